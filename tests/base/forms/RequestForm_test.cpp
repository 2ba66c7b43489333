#include <gtest/gtest.h>

#include "base/forms/EFormError.h"
#include "base/forms/IBaseIntf.h"
#include "base/forms/RequestForm.h"
#include "base/forms/Selectors.h"
#include "base/forms/TfBrSelectDocument.h"
#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

class TfTestSelectLines : public TfBrSelectDocument {
public:
    TfTestSelectLines() { MasterProvider = "D_PurchaseLine"; }
    std::string ClassName() const override { return "TfTestSelectLines"; }
};

class RequestFormTest : public FormTest {
protected:
    RequestFormTest() {
        RegisterFormClass("TfTestDocument", 10201, [] { return std::make_unique<TfTestDocument>(); }, "Поръчка",
                          TFormGroup::fgDocuments);
        RegisterFormClass("TfTestSelectLines", 10510, [] { return std::make_unique<TfTestSelectLines>(); },
                          "Избор на редове", TFormGroup::fgLists);
        TStoredDocuments{{{"H7", "C1", "0007", "V1", 7.0}}, {{"L1", "H7", "C1", "A", 2.0}, {"L2", "H7", "C1", "B", 5.0}}}.ScriptOn(server);
    }
};

TEST_F(RequestFormTest, DefaultValuesCreateADocumentThatTheCallerSavesThroughIBaseIntf) {
    TfTestDocument caller;
    const TDefaultValues defaults{
        {"N_Contragent_Code", "V1", false, false},
        {"Code", "A", true, false},
        {"Quantity", 2.0, true, true},
        {"Code", "B", true, false},
        {"Quantity", 5.0, true, true},
    };
    EXPECT_EQ(RequestForm(10201, {soNormal}, TFilter(), Variant(), Variant(), nullptr, defaults, &caller), 0);

    // Opened without a filter the editor reads only the field definitions.
    EXPECT_EQ(server.Calls()[0].Args[1].AsString(), "D_PurchHeader.Id=Null");
    IBaseIntf* order = FindFormByCallingForm(&caller);
    ASSERT_NE(order, nullptr);
    TfTestDocument& form = static_cast<TfTestDocument&>(order->Form());
    EXPECT_EQ(form.cdsMaster.State(), TDataSetState::dsInsert);
    EXPECT_EQ(order->GetMasterFieldAsString("N_Contragent_Code"), "V1");
    const std::string id = order->GetMasterFieldAsString("Id");
    ASSERT_EQ(form.cdsDetail.RecordCount(), 2);
    form.cdsDetail.Last();
    EXPECT_EQ(form.cdsDetail.FieldByName("Code").AsString(), "B");
    EXPECT_EQ(form.cdsDetail.FieldByName("Quantity").AsFloat(), 5.0);
    EXPECT_EQ(form.cdsDetail.FieldByName("Master_Id").AsString(), id);

    server.ClearCalls();
    server.Script("ApplyUpdates", "D_PurchHeader", {});
    order->SaveDocument();
    EXPECT_TRUE(order->IsSaveSuccessful());
    EXPECT_EQ(server.CallsTo("ApplyUpdates")[0].Args,
              (TVariantArray{"D_PurchHeader", int64_t{1}, "D_PurchaseLine", int64_t{2}}));
    EXPECT_EQ(server.CallsTo("RequestData")[0].Args[1].AsString(), "D_PurchHeader.Id=" + id);
}

TEST_F(RequestFormTest, AFreedCallerIsForgottenByTheFormsItOpened) {
    auto caller = std::make_unique<TfTestDocument>();
    RequestForm(10201, {soNormal}, TFilter(), Variant(), Variant(), nullptr, {}, caller.get(), caller.get());
    TfBase& opened = *host.OpenForms().at(0);
    caller.reset();
    EXPECT_EQ(opened.CallingForm, nullptr);
    EXPECT_EQ(opened.ParentForm, nullptr);
    EXPECT_EQ(FindFormByCallingForm(nullptr), dynamic_cast<IBaseIntf*>(&opened));
}

TEST_F(RequestFormTest, ClosingAfterAHandOverTellsTheMainWindow) {
    TFormRequest request;
    request.FormNumber = 10201;
    request.Filter.Add("D_PurchHeader.Id", "=", "H7");
    RequestForm(request);
    TfBase* form = host.OpenForms().at(0);
    form->HandOverOnClose = true;

    form->Close();

    const std::vector<HeadlessFormHost::TNotification> expected{{"ActiveFormChanged", nullptr}, {"FormClosed", form}};
    EXPECT_EQ(host.Notifications(), expected);
    EXPECT_TRUE(host.OpenForms().empty());
}

TEST_F(RequestFormTest, DefaultValueForAMissingFieldIsRefused) {
    TFormRequest request;
    request.FormNumber = 10201;
    request.DefaultValues = {{"NoSuchField", 1, false, false}};
    EXPECT_THROW(RequestForm(request), EFormError);
    EXPECT_TRUE(host.OpenForms().empty());
}

TEST_F(RequestFormTest, ModalSelectionHandsTheChosenRowsToTheCaller) {
    TfTestDocument caller;
    TSelectionList selection{{"Code", "Quantity"}, {}};
    host.ScriptModal("TfTestSelectLines", [](TfBase& form) {
        form.dbgMaster.SelectedRows.push_back(form.cdsMaster.GetBookmark());
        form.cdsMaster.Next();
        form.dbgMaster.SelectedRows.push_back(form.cdsMaster.GetBookmark());
        form.AcListBase.Execute("acSelect");
        return mrCancel;  // the form's own result wins
    });
    TFormRequest request;
    request.FormNumber = 10510;
    request.ShowOptions = {soModal};
    request.Filter.Add("D_PurchaseLine.Master_Id", "=", "H7");
    request.Selection = &selection;
    request.CallingForm = &caller;

    EXPECT_EQ(RequestForm(request), 1);

    const std::vector<TVariantArray> expected{{"A", 2.0}, {"B", 5.0}};
    EXPECT_EQ(selection.Rows, expected);
    ASSERT_EQ(caller.Processed.size(), 1u);
    EXPECT_EQ(caller.Processed[0].Rows, expected);
    EXPECT_EQ(request.Result, (TVariantArray{"A", 2.0}));
    EXPECT_TRUE(host.OpenForms().empty());
}

TEST_F(RequestFormTest, SelectorsCopyTheChosenRecord) {
    TfTestDocument form;
    TFormRequest open;
    open.Filter.Add("D_PurchHeader.Id", "=", "H7");
    form.Create(open);
    form.Show();
    form.cdsDetail.First();
    dialogs.ExpectSelect(true, Rows({"Id", "Name", "Qty"}, {{"I9", "Винт", 4.0}}));
    dialogs.ExpectSelect(false);
    dialogs.ExpectSelect(true, Rows({"Code", "Name"}, {{"V1", "Доставчик 1"}}));

    EXPECT_TRUE(GetSelector("N_Item", TFilter(), "Id,Qty", "Code,Quantity", form.cdsDetail));
    EXPECT_EQ(form.cdsDetail.State(), TDataSetState::dsEdit);
    EXPECT_EQ(form.cdsDetail.FieldByName("Code").AsString(), "I9");
    EXPECT_EQ(form.cdsDetail.FieldByName("Quantity").AsFloat(), 4.0);
    form.cdsDetail.Post();

    EXPECT_FALSE(GetSelector("N_Item", TFilter(), "Id", "Code", form.cdsDetail));
    EXPECT_EQ(form.cdsDetail.FieldByName("Code").AsString(), "I9");

    std::string code = "V", name;
    EXPECT_TRUE(GetControlSelector("410", TFilter().Add("N_Contragent.Code", "LIKE", "%s" + code + "%s"), "Code,Name",
                                   {&code, &name}));
    EXPECT_EQ(code, "V1");
    EXPECT_EQ(name, "Доставчик 1");
}

TEST_F(RequestFormTest, CopyByTemplateFillsTheNewDocumentFromTheCallingForm) {
    TfTestDocument source;
    TFormRequest open;
    open.Filter.Add("D_PurchHeader.Id", "=", "H7");
    source.Create(open);
    source.Show();
    server.OnRequestValue("S_CopyDocTemplateLine",
                          Rows({"IsLine", "SrcField", "TrgField", "DefaultValue"},
                               {{0, "N_Contragent_Code", "N_Contragent_Code", Variant()},
                                {0, "", "DocumentNo", "КИ-1"},
                                {1, "Code", "Code", Variant()},
                                {1, "Quantity", "Quantity", Variant()}}));
    TfTestDocument target;
    target.CallingForm = &source;
    target.Show();
    server.ClearCalls();

    target.CopyDocumentByTemplate("H7", "CT-1", 10220, 0, 1, 0);

    ASSERT_EQ(server.Calls().size(), 1u);
    EXPECT_EQ(server.Calls()[0].Args[3].AsString(), "S_CopyDocTemplateLine.Master_Id=CT-1");
    EXPECT_EQ(target.GetMasterFieldAsString("N_Contragent_Code"), "V1");
    EXPECT_EQ(target.GetMasterFieldAsString("DocumentNo"), "КИ-1");
    EXPECT_NE(target.GetMasterFieldAsString("Id"), "H7");
    ASSERT_EQ(target.cdsDetail.RecordCount(), 2);
    target.cdsDetail.First();
    EXPECT_EQ(target.cdsDetail.FieldByName("Code").AsString(), "A");
    EXPECT_EQ(target.cdsDetail.FieldByName("Quantity").AsFloat(), 2.0);
    EXPECT_TRUE(target.HasChanges());
}

}  // namespace
}  // namespace tavrek::testing
