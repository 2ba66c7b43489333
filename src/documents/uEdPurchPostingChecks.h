#pragma once

#include <string>

#include "base/data/Variant.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

class TClientDataSet;

// The checks a purchase document passes before it is posted, and its hand-over to the goods
// check. Each asks the server and shows the user why a check failed.

// The goods check of the document is complete: the session does not use the goods check, the
// document has no check state, or it is not waiting in the check (state 1).
bool DocumentCheckIsDone(TClientDataSet& header);
// Hands the document to the goods check; true when the server took it.
bool SendDocumentForCheck(const Variant& id, int documentKind, int option1, int option2, bool lockDocument,
                          const Variant& businessGroupId);
// Lines booked on an account that needs an analytical dimension carry one.
bool CheckForAccountDimension(const Variant& id, int option1, int option2);
// The goods check lets a document under check be deleted: asks usp_CheckDocumentBeforeDelete
// (documentKind as the check knows it) when the session uses the goods check, and shows the
// reason of a refusal.
bool PurchDocumentMayBeDeleted(const Variant& id, int documentKind);
// Saves the history of a document before it moves to the annulled documents (history kind
// as the server keeps it); false, with the message shown, when the server could not.
bool SaveHistoryBeforeDelete(const Variant& id, int historyKind);
// The change-calculation window after a posting paid in cash: the cashier types what the
// vendor was handed and sees the change.
void ShowChangeCalculation(double due, double received);
// The payment method allows posting the document as it is paid (DirectPay 1: paid at posting).
bool CheckCanPostDocument(const Variant& payMethodId, const std::string& cashDeskId, int saleOrPurchase,
                          const Variant& directPay);

// The number of a posted document, from the keys a posting returns (Id, number).
std::string PostedNumber(const TVariantArray& keys);
// The DocumentNo of the document with this Id in the table; empty when there is none.
std::string PostedNumberOf(const std::string& table, const Variant& id);
// Tells the person which document a generation created: its kind and number, read from the
// table's header with this Id.
void TellCreatedDocument(const std::string& table, const Variant& id);

}  // namespace tavrek
