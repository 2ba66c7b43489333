#include <gtest/gtest.h>

#include "base/forms/TfEdBaseGlobalDocument.h"
#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

class TfTestGlobalDocument : public TfEdBaseGlobalDocument {
public:
    TfTestGlobalDocument() {
        MasterProvider = "D_PurchHeader";
        MasterTable = "D_PurchHeader";
        DetailProvider = "D_PurchaseLine";
        Description.AddField("N_Contragent_Code", "Доставчик", TFieldKind::fkLookup).Selector = "410";
        Description.FindField("N_Contragent_Code")->SelectorFilterField = "N_Contragent.Code";
        Description.FindField("N_Contragent_Code")->SelectorFields = "Code";
    }
    std::string ClassName() const override { return "TfTestGlobalDocument"; }

    bool AcceptSelection = true;
    void cdsMasterBeforeDelete() override { dm().Server().DeleteGlobalDoc(cdsMaster.FieldByName("Id").AsString(), 0); }
    bool SetSelectorAction(const THeaderField&, const TRequestResult&) override { return AcceptSelection; }
};

class GlobalDocumentTest : public FormTest {
protected:
    GlobalDocumentTest() {
        TStoredDocuments{{{"G1", "C1", "Г-1", "V1", 3.0}}, {{"L1", "G1", "C1", "A", 1.0}, {"L2", "G1", "C1", "B", 2.0}}}
            .ScriptOn(server);
        form.Filter.Add("D_PurchHeader.Id", "=", "G1");
        form.Show();
        server.ClearCalls();
    }
    TfTestGlobalDocument form;
};

TEST_F(GlobalDocumentTest, DeletingLeavesTheLinesToTheServerAndSendsOnlyTheHeader) {
    dialogs.ExpectMessage(mrYes);
    server.Script("DeleteGlobalDoc", "G1", {});
    server.Script("ApplyUpdates", "D_PurchHeader", {});

    form.acDeleteRecord.Execute();

    EXPECT_EQ(server.Methods(), (std::vector<std::string>{"DeleteGlobalDoc", "ApplyUpdates"}));
    EXPECT_EQ(server.Calls()[1].Args, (TVariantArray{"D_PurchHeader", int64_t{1}}));
    EXPECT_TRUE(form.Closed());
}

TEST_F(GlobalDocumentTest, RefusedDeletionShowsWhatTheServerHolds) {
    dialogs.ExpectMessage(mrYes);
    server.Script("DeleteGlobalDoc", "G1", {});
    server.Script("ApplyUpdates", "D_PurchHeader", {.Result = 1, .Text = "Документът е осчетоводен"});
    dialogs.ExpectMessage(mrOk, "Документът е осчетоводен");

    form.acDeleteRecord.Execute();

    EXPECT_EQ(server.CallsTo("RequestData").size(), 2u);
    EXPECT_EQ(form.cdsMaster.RecordCount(), 1);
    EXPECT_EQ(form.cdsDetail.RecordCount(), 2);
    EXPECT_FALSE(form.Closed());
}

TEST_F(GlobalDocumentTest, LookupSelectionCanBeRefusedByTheForm) {
    const THeaderField& vendor = *form.Description.FindField("N_Contragent_Code");
    dialogs.ExpectSelect(true, Rows({"Code", "Name"}, {{"V2", "Доставчик 2"}}));
    dialogs.ExpectSelect(true, Rows({"Code", "Name"}, {{"V3", "Доставчик 3"}}));

    form.AcceptSelection = false;
    EXPECT_FALSE(form.SelectLookup(vendor, "V"));
    EXPECT_EQ(form.cdsMaster.FieldByName("N_Contragent_Code").AsString(), "V1");

    form.AcceptSelection = true;
    EXPECT_TRUE(form.SelectLookup(vendor, "V"));
    EXPECT_EQ(form.cdsMaster.FieldByName("N_Contragent_Code").AsString(), "V3");
    EXPECT_EQ(form.cdsMaster.State(), TDataSetState::dsEdit);
}

}  // namespace
}  // namespace tavrek::testing
