#include "uEdPurchaseFormTest.h"

namespace tavrek::testing {

EditorTest::EditorTest()
    : PurchEditorTest(TPurchDocument::pdInvoice,
                      {"err_CannotDeleteCheckedLine", "queChangeContragent", "err_PurchAdvancePaymentAccountNotSelected",
                       "inf_SelectItemCharge", "inf_SelectAccountLine", "msg_OperSuccess", "err_CommonError",
                       "que_WantToChangeItemUnitPrice", "err_SavingHistoryBeforeDel", "err_NoCntrFound_A1Service",
                       "err_GetPartnerConnList", "err_PartnerConnectionExpired", "err_MissingItemsFromAPI",
                       "err_GettingItemInfoFromVendor", "err_PostPurchase", "err_RecalcDocument"}) {
    server.SetMessage("err_DocumentForCheck_2", "err_DocumentForCheck_2 %s");
}

}  // namespace tavrek::testing
