#include <gtest/gtest.h>

#include "posted/uEdPostedPurchCrMemo.h"
#include "posted/uPostedPurchOperations.h"
#include "support/DocumentFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

using namespace uPostedPurchOperations;

// The operations work on any posted view; the posted credit memo view carries the document.
class PostedOperations : public DocumentFormTest<TfEdPostedPurchCrMemo> {
protected:
    PostedOperations()
        : DocumentFormTest(TPurchDocument::pdPostedCrMemo,
                          {"que_ToAnnulPaymentJurnal", "err_AnnulPurchAdvPayment", "que_RestorItemEntryUsedQuantity",
                           "que_RestorRowItemEntryUsedQuantity", "inf_OperationSuccess", "err_NoQtyInStockToRelocate"},
                          "D_PurchCrMemoHeader", "D_PurchCrMemoLine") {
        server.SetMessage("c_NoQtyInStockToRelocate", "%s %s: %s/%s");
    }
    void OpenDocument(TRow extra = {}) {
        TRow header{{"Id", "P1"}, {"DirectPay", 0}, {"TotalValue_LCY", 500.0}};
        for (auto& [k, v] : extra) header[k] = v;
        Open(header, {{{"Id", "PL1"}, {"Line_No", 1}, {"Type", 2}, {"Code", "4091"}, {"AccountDimension_Id", "ADV-7"}}});
    }
};

TEST_F(PostedOperations, ThePaymentsAreAnnulledOnlyWhenAppliedAndTheUserAgrees) {
    for (const TGoldenCase& c : ReadGoldenCases("posted/annul_payments.txt")) {
        SCOPED_TRACE(c.Name);
        std::vector<TVariantArray> entries;
        for (int n = 1; n <= c.Int("Entries"); ++n) entries.push_back({"E" + std::to_string(n)});
        OpenDocument({{"DirectPay", c.Int("DirectPay")}});
        if (c.Int("DirectPay") == 0) server.OnRequestValue("G_ContragentEntry", Rows({"Id"}, entries));
        if (entries.size() == 1)
            server.OnRequestValue("G_ContragentEntryDetail",
                                  Rows({"Amount"}, c.Has("Applied") ? std::vector<TVariantArray>{{c["Applied"]}}
                                                                    : std::vector<TVariantArray>{}));
        if (c.Has("Answer")) dialogs.ExpectMessage(AnswerNamed(c.Text("Answer")), "que_ToAnnulPaymentJurnal");
        EXPECT_EQ(InvoiceAnnulPayments(Form()), c.Int("Expected"));
        if (entries.size() == 1) {
            EXPECT_EQ(server.CallsTo("RequestValue").back().Args[3].AsString(),
                      "G_ContragentEntryDetail.Comp_id=C1 AND G_ContragentEntryDetail.ContragentEntry_Id=E1 AND "
                      "G_ContragentEntryDetail.documentType=1 AND G_ContragentEntryDetail.entryType=1");
        }
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(PostedOperations, AnAdvanceWhoseDimensionMovedCannotBeAnnulled) {
    const struct {
        const char* name;
        std::vector<TVariantArray> sum;
        bool intact;
    } cases[] = {
        {"the dimension holds the whole advance", {{500.0}}, true},
        {"part of it was set off", {{300.0}}, false},
        {"no entries found", {}, true},
        {"a sum of nothing", {{Variant()}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDocument();
        server.OnRequestValue("G_LEntry", Rows({"Amount"}, c.sum));
        if (!c.intact) dialogs.ExpectMessage(mrOk, "err_AnnulPurchAdvPayment");
        EXPECT_EQ(AdvanceDimensionIntact(Form()), c.intact);
        EXPECT_EQ(server.CallsTo("RequestValue").back().Args[3].AsString(),
                  "G_LEntry.Comp_id=C1 AND G_LEntry.AccountDimension_Id=ADV-7");
    }
}

TEST_F(PostedOperations, ReleasingBatchesReportsTheItemsThatCouldNotBeReleased) {
    OpenDocument();
    server.OnRequestValue("S_UserFormRight", Rows({"EditProps"}, {{1}}), true);
    dialogs.ExpectMessage(mrNo, "que_RestorItemEntryUsedQuantity");
    RestoreItemEntryUsedQuantity(Form(), false);
    EXPECT_EQ(server.Calls().size(), 1u) << "the right only";

    server.OnRequestValue("C_CompanySetup", Rows({"AllowNegativeQTY"}, {{1}}));
    server.OnRequestValue("exec dbo.usp_RestorItemEntryUsedQuantity 'C1', 'PL1', 1,2 ,0 ",
                          Rows({"Code", "Name", "Qty", "Free"}, {{"1001", "Брашно", 5.0, 2.0}, {"1002", "Захар", 1.0, 0.0}}));
    dialogs.ExpectMessage(mrYes, "que_RestorRowItemEntryUsedQuantity");
    dialogs.ExpectMessage(mrOk, "err_NoQtyInStockToRelocate\r\n1001 Брашно: 5/2\r\n1002 Захар: 1/0\r\n");
    RestoreItemEntryUsedQuantity(Form(), true);

    server.OnRequestValue("C_CompanySetup", Rows({"AllowNegativeQTY"}, {}));
    server.OnRequestValue("exec dbo.usp_RestorItemEntryUsedQuantity 'C1', 'P1', 0,0 ,0 ", Rows({"Code"}, {}));
    dialogs.ExpectMessage(mrYes, "que_RestorItemEntryUsedQuantity");
    dialogs.ExpectMessage(mrOk, "inf_OperationSuccess");
    RestoreItemEntryUsedQuantity(Form(), false);
}

TEST_F(PostedOperations, APaymentIsGeneratedOnlyWhileSomethingRemainsAfterRounding) {
    const struct {
        Variant remaining;
        bool enabled;
    } cases[] = {{120.0, true}, {0.005, true}, {0.004, false}, {0.0, false}, {-3.0, false}, {Variant(), false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remaining.IsNull() ? "null" : c.remaining.AsString());
        OpenDocument({{"Remaining", c.remaining}});
        EXPECT_EQ(HasRemainingToPay(Form()), c.enabled);
    }
}

TEST_F(PostedOperations, TheCurrencyRateIsShownReadOnly) {
    OpenDocument({{"Currency_Id", "EUR"}, {"CurrencyFactor", 0.0}, {"DocumentDate", TDateTime::FromDate(2026, 11, 2)}});
    server.OnCurrencyRate("EUR", 1.95583);
    dialogs.ExpectCurrencyRate(true);
    ShowCurrencyFactor(Form());
    EXPECT_EQ(dialogs.Shown().back().Text2, "1.95583");
    EXPECT_TRUE(dialogs.Shown().back().ReadOnly);
}

}  // namespace
}  // namespace tavrek::testing
