#pragma once

#include "documents/uEdPurchase.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {

// An invoice editor opened on one invoice of the scripted server (DocumentType 1), with the
// message keys of the invoice reading as themselves.
class EditorTest : public DocumentFormTest<TfEdPurchase> {
protected:
    EditorTest()
        : DocumentFormTest(TPurchDocument::pdInvoice,
                           {"err_CannotDeleteCheckedLine", "queChangeContragent", "err_PurchAdvancePaymentAccountNotSelected",
                            "inf_SelectItemCharge", "inf_SelectAccountLine", "msg_OperSuccess", "err_CommonError",
                            "que_WantToChangeItemUnitPrice", "err_SavingHistoryBeforeDel", "err_NoCntrFound_A1Service",
                            "err_GetPartnerConnList", "err_PartnerConnectionExpired", "err_MissingItemsFromAPI",
                            "err_GettingItemInfoFromVendor", "err_PostPurchase", "err_RecalcDocument"}) {
        server.SetMessage("err_DocumentForCheck_2", "err_DocumentForCheck_2 %s");
    }
    void Open(TRow header, std::vector<TRow> lines) {
        header.emplace("DocumentType", 1);
        DocumentFormTest::Open(std::move(header), std::move(lines));
    }
};

}  // namespace tavrek::testing
