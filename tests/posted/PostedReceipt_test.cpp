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
        : DocumentFormTest(TPurchDocument::pdPostedReceipt, {}, "D_PurchReceiptHeader", "D_PurchReceiptLine") {}
};

TEST_F(PostedReceipt, TheStockCheckGetsTheReceiptsIdNumberAndOne) {
    Open({{"Id", "R1"}, {"DocumentNo", "0000000005"}}, {});
    EXPECT_EQ(Form().GetDocumentInfo(), (TVariantArray{1, 2}));
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
