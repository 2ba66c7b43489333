#include <gtest/gtest.h>

#include "documents/uEdPurchCrMemoDoc.h"
#include "documents/uEdPurchaseDoc.h"
#include "support/DocumentFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

class GenericDocEditor : public DocumentFormTest<TfEdPurchaseDoc> {
protected:
    GenericDocEditor() : DocumentFormTest(TPurchDocument::pdGenericDocument, {"err_RecalcDocument"}) {}
    void OpenDocument(std::vector<TRow> lines) {
        Open({{"Id", "H1"}, {"DocumentType", 31}, {"VATBusPostGroup_Id", "DOM"}, {"GenBusPostGroup_Id", "DOM"}},
             std::move(lines));
    }
    double Line(const char* field) { return Lines().FieldByName(field).AsFloat(); }
};

TEST_F(GenericDocEditor, TheHeadersPostingGroupsReachEveryLine) {
    OpenDocument({{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "602"}},
                  {{"Id", "L2"}, {"Line_No", 2}, {"Type", 2}, {"Code", "603"}},
                  {{"Id", "L3"}, {"Line_No", 3}, {"Type", 2}, {"Code", "604"}}});
    GotoLine(2);
    Header().Edit();
    Header().FieldByName("GenBusPostGroup_Id").SetAsString("EU");
    Header().FieldByName("VATBusPostGroup_Id").SetAsString("EU");
    for (int lineNo : {1, 2, 3}) {
        GotoLine(lineNo);
        EXPECT_EQ(Lines().FieldByName("GenBusPostGroup_Id").AsString(), "EU") << lineNo;
        EXPECT_EQ(Lines().FieldByName("VATBusPostGroup_Id").AsString(), "EU") << lineNo;
    }
    EXPECT_TRUE(Form().dbgDetail.Enabled);
    EXPECT_EQ(host.WaitDepth(), 0);
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(GenericDocEditor, TypedVATBasesAndAmountsFollowEachOther) {
    for (const TGoldenCase& c : ReadGoldenCases("documents/generic_typed_vat.txt")) {
        SCOPED_TRACE(c.Name);
        OpenDocument({{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "602"}, {"TotalValue", 500.0},
                       {"VATPercent", c["Percent"]}, {"VATBaseAmount", 40.0}}});
        Lines().Edit();
        Lines().FieldByName(c.Text("Typed")).SetAsFloat(c.Number("Value"));
        EXPECT_DOUBLE_EQ(Line("VATBaseAmount"), c.Number("Base"));
        EXPECT_NEAR(Line("VATValue"), c.Number("VAT"), 1e-9);
        EXPECT_NEAR(Line("TotalVAT"), c.Number("TotalVAT"), 1e-9);
        EXPECT_FALSE(Form().Suspended);
    }
}

TEST_F(GenericDocEditor, SavingSendsNoServerRecalculation) {
    OpenDocument({{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "602"}}});
    server.Script("ApplyUpdates", "", {});
    Lines().Edit();
    Lines().FieldByName("Description").SetAsString("Наем");
    Form().acSave.Execute();
    EXPECT_TRUE(Form().LastSaveSucceeded());
    EXPECT_TRUE(server.CallsTo("ExecuteSQLScript").empty());
}

// A generic document's local amounts stay as each line converts: no cent is moved.
TEST_F(GenericDocEditor, RecalculationMovesNoCent) {
    Open({{"Id", "H1"}, {"DocumentType", 31}, {"Currency_Id", "EUR"}, {"CurrencyFactor", 1.5}},
         {{{"Id", "L1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "602"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 0.01},
           {"VATPercent", 20.0}, {"VATBaseAmount", 0.01}},
          {{"Id", "L2"}, {"Line_No", 2}, {"Type", 2}, {"Code", "603"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 0.01},
           {"VATPercent", 20.0}, {"VATBaseAmount", 0.01}},
          {{"Id", "L3"}, {"Line_No", 3}, {"Type", 2}, {"Code", "604"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 100.0},
           {"VATPercent", 20.0}, {"VATBaseAmount", 50.0}}});
    Form().acReCalcDocument.Execute();
    for (int lineNo : {1, 2}) {
        GotoLine(lineNo);
        EXPECT_DOUBLE_EQ(Line("TotalValue_LCY"), 0.02) << "each cent converts on its own";
    }
    GotoLine(3);
    EXPECT_DOUBLE_EQ(Line("TotalValue_LCY"), 150.0) << "the invoice editor would move -0.01 here";
    EXPECT_DOUBLE_EQ(Header().FieldByName("TotalValue").AsFloat(), 100.02);
    EXPECT_NEAR(Header().FieldByName("VATValue").AsFloat(), 20.0, 0.0051) << "each line recomputed at 20 %";
}

class GenericCrMemoEditor : public DocumentFormTest<TfEdPurchCrMemoDoc> {
protected:
    GenericCrMemoEditor() : DocumentFormTest(TPurchDocument::pdGenericCrMemo, {}) {}
};

TEST_F(GenericCrMemoEditor, IsTheCreditMemoEditorWithTheLedgerDataOnItsPages) {
    Open({{"Id", "H1"}, {"DocumentType", 32}}, {});
    for (const char* field : {"VATBusPostGroup_Id", "CntrPostingGroup_Id", "VATLedger", "PurchType163a", "ToInvoiceNo"})
        EXPECT_NE(Form().Description.FindField(field), nullptr) << field;
    Form().acInsertRecord.Execute();
    EXPECT_EQ(Header().FieldByName("DocumentType").AsInteger(), 32);
}

}  // namespace
}  // namespace tavrek::testing
