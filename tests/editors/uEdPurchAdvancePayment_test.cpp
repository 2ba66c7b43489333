#include <gtest/gtest.h>

#include "editors/uEdPurchAdvancePayment.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class AdvancePaymentEditor : public DocumentFormTest<TfEdPurchAdvancePayment> {
protected:
    AdvancePaymentEditor()
        : DocumentFormTest(TPurchDocument::pdAdvancePayment, {"err_PurchAdvancePaymentAccountNotSelected", "queChangeContragent"}) {}
};

TEST_F(AdvancePaymentEditor, ANewAdvanceHasExactlyOneLineAsSoonAsItsHeaderIsInserted) {
    Open({{"Id", "H1"}, {"DocumentType", 30}},
         {{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "4091"}, {"Quantity", 1.0}}});
    Form().acInsertRecord.Execute();
    ASSERT_EQ(Header().State(), TDataSetState::dsInsert);
    EXPECT_EQ(Header().FieldByName("DocumentType").AsInteger(), 30);
    ASSERT_EQ(Lines().RecordCount(), 1);
    ExpectFields(Lines(), {{"Type", 2}, {"Quantity", 1.0}, {"Line_No", 1}});
    EXPECT_FALSE(Header().FieldByName("Id").AsString().empty());
    EXPECT_EQ(Lines().FieldByName("Master_Id").AsString(), Header().FieldByName("Id").AsString());

    Header().FieldByName("VATBusPostGroup_Id").SetAsString("EU");
    EXPECT_EQ(Lines().RecordCount(), 1) << "the header groups go onto the one line";
    EXPECT_EQ(Lines().FieldByName("VATBusPostGroup_Id").AsString(), "EU");
}

TEST_F(AdvancePaymentEditor, AHeaderGroupOnAnAdvanceWithoutItsLineBringsTheLineBack) {
    Open({{"Id", "H1"}, {"DocumentType", 30}}, {});
    Header().Edit();
    Header().FieldByName("VATBusPostGroup_Id").SetAsString("EU");
    Header().FieldByName("GenBusPostGroup_Id").SetAsString("EU-G");
    ASSERT_EQ(Lines().RecordCount(), 1);
    EXPECT_EQ(Lines().FieldByName("VATBusPostGroup_Id").AsString(), "EU");
    EXPECT_EQ(Lines().FieldByName("GenBusPostGroup_Id").AsString(), "EU-G");
}

TEST_F(AdvancePaymentEditor, SavingWithoutAnAccountIsRefusedAndSavesNothing) {
    for (const Variant& account : {Variant(), Variant("")}) {
        SCOPED_TRACE(account.IsNull() ? "null" : "empty");
        Open({{"Id", "H1"}, {"DocumentType", 30}},
             {{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", account}, {"Quantity", 1.0}}});
        Lines().Edit();
        Lines().FieldByName("DirectUnitCost_ACY").SetAsFloat(500.0);
        dialogs.ExpectMessage(mrOk, "err_PurchAdvancePaymentAccountNotSelected");
        Form().acSave.Execute();
        EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty());
        EXPECT_EQ(Lines().RecordCount(), 1);
        EXPECT_TRUE(Form().HasChanges()) << "the typed amount waits for the account";
    }
    server.Script("ApplyUpdates", "", {});
    server.OnSQLScript("", 0);
    Lines().Edit();
    Lines().FieldByName("Code").SetAsString("4091");
    Form().acSave.Execute();
    EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 1u);
}

// The vendor rule asks nothing; choosing another vendor asks once, and No keeps the old one.
TEST_F(AdvancePaymentEditor, AnotherVendorIsTakenOnlyWhenConfirmed) {
    for (int answer : {mrNo, mrYes}) {
        SCOPED_TRACE(answer);
        Open({{"Id", "H1"}, {"DocumentType", 30}, {"Contragent_Id", "V01"}},
             {{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "4091"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 500.0}}});
        dialogs.ExpectSelect(true, Rows({"Id", "Code", "Name"}, {{"V02", "5002", "Вносител ООД"}}));
        dialogs.ExpectMessage(answer, "queChangeContragent");
        if (answer == mrYes)
            server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {{"BANK"}}));
        Header().Edit();
        EXPECT_EQ(Form().SelectLookup(*Form().Description.FindField("N_Contragent_Code"), "50"), answer == mrYes);
        EXPECT_EQ(Header().FieldByName("Contragent_Id").AsString(), answer == mrYes ? "V02" : "V01");
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_TRUE(server.CallsTo("GetContragentParams").empty()) << "the lookup brought the vendor's defaults";
        EXPECT_DOUBLE_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), 500.0) << "an account line has no price list";
    }
}

}  // namespace
}  // namespace tavrek::testing
