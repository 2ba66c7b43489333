#include <gtest/gtest.h>

#include "documents/uPurchDocumentModel.h"
#include "posted/uBrPostedReceipt.h"
#include "posted/uEdPostedReceipt.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class PostedReceipt : public DocumentFormTest<TfEdPostedReceipt> {
protected:
    PostedReceipt()
        : DocumentFormTest(TPurchDocument::pdPostedReceipt, {"que_AnnulDocument"}, "D_PurchReceiptHeader",
                           "D_PurchReceiptLine") {}
};

// The receipt is annulled from its document menu on the posting date proposed; it owes the
// vendor nothing, so nothing is asked about payments and no change is shown.
TEST_F(PostedReceipt, AnnulmentFromTheMenuAnnulsTheReceiptWithoutPayments) {
    LocalData().ShowChangeCalculation = true;
    Open({{"Id", "R1"}, {"Annul", 0}, {"PostingDate", TDateTime::FromDate(2026, 11, 5)}}, {});
    dialogs.ExpectAnnul(true, "Грешна доставка");
    dialogs.ExpectMessage(mrYes, "que_AnnulDocument");
    server.Script("AnnulDocument", "R1", {.Output = 0.0});
    dialogs.ExpectMessage(mrOk, "Доставка е анулирана.");
    Form().pmDocument.Find("miAnnulDoc")->Click();
    const std::vector<TServerCall> calls = server.CallsTo("AnnulDocument");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Args[1].AsInteger(), 1) << "the receipt kind";
    EXPECT_EQ(calls[0].Args[2].AsString(), "Грешна доставка");
    EXPECT_EQ(calls[0].Args[3].AsDateTime(), TDateTime::FromDate(2026, 11, 5));
    EXPECT_EQ(calls[0].Args[4].AsInteger(), 0);
    EXPECT_TRUE(Form().Closed());
}

TEST_F(PostedReceipt, TheStockCheckGetsTheReceiptsIdNumberAndOne) {
    Open({{"Id", "R1"}, {"DocumentNo", "0000000005"}}, {});
    EXPECT_EQ(Form().GetDocumentInfo(), (TVariantArray{1, 2}));
    for (const char* warehouseWork : {"miTrace", "miCancelReceived"}) {
        ASSERT_NE(Form().pmFunctions.Find(warehouseWork), nullptr) << warehouseWork;
        EXPECT_FALSE(Form().pmFunctions.Find(warehouseWork)->Enabled()) << "nothing behind it yet";
    }
    host.ScriptExternal(4230, 0);
    Form().pmDocument.Find("miCheckOnGoods")->OnClick();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    const TFormRequest& request = host.ExternalRequests()[0];
    EXPECT_TRUE(request.ShowOptions.empty());
    EXPECT_TRUE(request.Filter.Empty());
    ASSERT_EQ(request.DefaultValues.size(), 3u);
    const char* expected[] = {"R1", "0000000005", "1"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(request.DefaultValues[i].FieldName.empty());
        EXPECT_EQ(request.DefaultValues[i].Value.AsString(), expected[i]);
    }
}

class PostedReceiptList : public DocumentFormTest<TfBrPostedReceipt> {
protected:
    PostedReceiptList() : DocumentFormTest({{"DocumentNo", TFieldType::ftString}}, {}, "D_PurchReceiptHeader", "") {}
};

TEST_F(PostedReceiptList, AListWithoutAnIdFieldIgnoresTheStockCheck) {
    Open({{"DocumentNo", "0000000005"}}, {});
    EXPECT_EQ(Form().GetDocumentInfo(), (TVariantArray{1, 2}));
    Form().pmDocument.Find("miCheckOnGoods")->OnClick();
    EXPECT_TRUE(host.ExternalRequests().empty());
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
