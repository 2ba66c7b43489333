#include <gtest/gtest.h>

#include "documents/uPurchDocumentModel.h"
#include "editors/uEdPurchOffer.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class PurchOffer : public DocumentFormTest<TfEdPurchOffer> {
protected:
    PurchOffer()
        : DocumentFormTest(TPurchDocument::pdOffer, {"queChangeContragent", "que_SaveBeforeToDo"}) {}
    void OpenOffer() {
        Open({{"Id", "F1"}, {"DocumentType", 20}, {"Contragent_Id", "V01"}},
             {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"Quantity", 2.0}, {"DirectUnitCost_ACY", 5.0}},
              {{"Id", "L2"}, {"Line_No", 2}, {"Code", "1002"}, {"Quantity", 3.0}, {"DirectUnitCost_ACY", 7.0}}});
    }
    static std::string ConvertText(const char* kind) {
        return std::string("exec usp_ConvertPurchOffer 'C1', 'F1','") + kind + "','BG1','U1'";
    }
};

TEST_F(PurchOffer, ANewVendorRepricesEveryLineWithoutAQuestion) {
    OpenOffer();
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {}), true);
    server.OnPrice(0, {4.5, 10.0, true, "", ""}, true);
    Header().Edit();
    Header().FieldByName("Contragent_Id").SetAsString("V02");
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), 2u);
    for (int line : {1, 2}) {
        GotoLine(line);
        EXPECT_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), 4.5);
        EXPECT_EQ(Lines().FieldByName("LineDiscount").AsFloat(), 10.0);
    }
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(PurchOffer, ConversionOpensTheNewDocumentOrShowsTheServersReason) {
    const struct {
        TAction& (*action)(TfEdPurchOffer&);
        const char* kind;
        int target;
    } cases[] = {{[](TfEdPurchOffer& f) -> TAction& { return f.acCreateOrder; }, "1", 10201},
                 {[](TfEdPurchOffer& f) -> TAction& { return f.acCreatePurch; }, "2", 10011}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        OpenOffer();
        server.OnRequestValue(ConvertText(c.kind), Rows({"Code", "ErrMsg"}, {{"-1", "Офертата е празна"}}));
        dialogs.ExpectMessage(mrOk, "Офертата е празна");
        c.action(Form()).Execute();
        EXPECT_EQ(server.Methods(), std::vector<std::string>{"RequestValue"}) << "refused: nothing else happens";
        const size_t before = host.ExternalRequests().size();

        server.ClearCalls();
        server.OnRequestValue(ConvertText(c.kind), Rows({"Code", "ErrMsg"}, {{"N7", ""}}));
        host.ScriptExternal(c.target, 0);
        c.action(Form()).Execute();
        EXPECT_EQ(Keys("RequestData"), (std::vector<std::string>{"D_PurchHeader", "D_PurchaseLine"})) << "refreshed";
        ASSERT_EQ(host.ExternalRequests().size(), before + 1);
        const TFormRequest& opened = host.ExternalRequests().back();
        EXPECT_EQ(opened.FormNumber, c.target);
        EXPECT_EQ(opened.Filter.Conditions().at(0).Field, "D_PurchHeader.Id");
        EXPECT_EQ(opened.Filter.Conditions().at(0).Value.AsString(), "N7");
    }
}

TEST_F(PurchOffer, AnUnsavedOfferIsNotConvertedUnlessSaved) {
    OpenOffer();
    Lines().Edit();
    Lines().FieldByName("Description2").SetAsString("нов текст");
    Lines().Post();
    dialogs.ExpectMessage(mrNo, "que_SaveBeforeToDo");
    Form().acCreateOrder.Execute();
    EXPECT_TRUE(server.CallsTo("RequestValue").empty());
}

TEST_F(PurchOffer, AnOfferIsNeverPosted) {
    OpenOffer();
    Form().acPostDocument.Execute();
    Form().acPostAndPrintDocument.Execute();
    EXPECT_TRUE(server.Calls().empty());
}

TEST_F(PurchOffer, ChoosingAnotherVendorInItsSelectorAsksFirst) {
    OpenOffer();
    const THeaderField& vendor = *Form().Description.FindField("N_Contragent_Code");
    const TRequestResult chosen = Rows({"Id", "Code", "Name"}, {{"V02", "002", "Друг"}});
    dialogs.ExpectMessage(mrNo, "queChangeContragent");
    EXPECT_FALSE(Form().SetSelectorAction(vendor, chosen));
    dialogs.ExpectMessage(mrYes, "queChangeContragent");
    EXPECT_TRUE(Form().SetSelectorAction(vendor, chosen));
}

}  // namespace
}  // namespace tavrek::testing
