#pragma once

#include <functional>
#include <string>

#include "base/forms/TFormRequest.h"

namespace tavrek {

class IBaseIntf;
class TfBase;

// The operations that start from a posted purchase document, shared by the posted invoice,
// the posted credit memo and the posted advance payment (the posted receipt is annulled too):
// annulment, documents generated from copy-document templates, VAT protocols and the item
// charges of a line. Each works on the view's header (cdsMaster) and lines (cdsDetail) and
// ends by the view's own rules.
namespace uPostedPurchOperations {

// Fills the LedgerSubjectType drop-down of the view with the ids of "N_LedgerSubjectTypes"
// and selects the header's value.
void FillLedgerSubjectTypes(TfBase& view);

// How one kind of posted document is annulled.
struct TAnnulment {
    // The second argument of AnnulDocument: 0 invoice, 1 receipt, 2 credit memo, 3 return or
    // rejection of an order.
    int Kind = 0;
    // The header field that marks a document of a global document, and the credit-memo
    // marker passed to AnnulGlobalDoc.
    const char* GlobalField = "IsGlobalInvoice";
    int GlobalMarker = 0;
    // The view shows only consolidated documents: they are annulled as such whatever the flag.
    bool Consolidated = false;
    // A global protocol is annulled through AnnulPurchProtocol, and nothing was paid on it.
    bool Protocol = false;
    // The change shown after AnnulDocument is the server's output times this sign.
    double ChangeSign = 1.0;
    // The annul-payments value, decided after the user confirmed.
    std::function<int()> AnnulPayments = [] { return 0; };
};
// Asks the annulment date and reason, then "que_AnnulDocument" (Yes, No, Cancel), annuls the
// document on the server, shows the change when the session calculates change, refreshes,
// tells that the document was annulled (or why the server refused) and closes the view. An
// annulled document is left as it is; cancelling still closes the view.
void AnnulPostedDocument(TfBase& view, const TAnnulment& annulment);

// The annul-payments value of a posted invoice: -1 (no value) for an invoice paid at posting;
// otherwise 1 when its vendor entry has applied payments and the user agrees to annul them
// ("que_ToAnnulPaymentJurnal"), else 0.
int InvoiceAnnulPayments(TfBase& view);

// An advance payment may be annulled only while the general-ledger entries of its dimension
// still sum to its TotalValue_LCY; otherwise "err_AnnulPurchAdvPayment" is shown.
bool AdvanceDimensionIntact(TfBase& view);

// Releases the stock batches that the invoice (or only its current line) consumed, after
// "que_RestorItemEntryUsedQuantity" ("que_RestorRowItemEntryUsedQuantity"); items that could
// not be released are listed. Needs the view's edit-properties right.
void RestoreItemEntryUsedQuantity(TfBase& view, bool currentLineOnly);

// A payment can be generated while the document has something left to pay: its Remaining,
// rounded to cents, is above zero. A view without Remaining generates none.
bool HasRemainingToPay(TfBase& view);

// Shows the document's currency rate (the header's factor, else the rate at its date) in the
// currency-rate window, read-only.
void ShowCurrencyFactor(TfBase& view);

// Opens the target form on a new document copied from the view's document by the template
// keyed by the view's form number and the target's. Without exactly one template the user is
// told and an error ends the operation. beforeClose runs before the view closes; the new
// form is returned (nullptr when the target is not a document form of this client).
IBaseIntf* GenerateByCopyTemplate(TfBase& view, int targetFormNumber, const TDefaultValues& defaults,
                                  const std::function<void()>& beforeClose = {});

// The payment of the view's document in the payment editor (form 1040), by the copy template:
// the view saves what it may, and its lines are not followed while the document is handed
// over. The new payment is activated.
void GeneratePayment(TfBase& view, const TDefaultValues& defaults, const std::function<void()>& beforeClose = {});

// Runs the protocol procedure named by the key (default defaultName) on the view's document
// and opens the created protocol in form formNumber filtered by keyField.
void GenerateProtocol(TfBase& view, const std::string& procedureKey, const std::string& defaultName, int formNumber,
                      const std::string& keyField);

// The posted item-charge assignments of the current line (a line of Type 3) in form 10620;
// byItemCharge narrows them to the line's item charge.
void ShowPostedItemCharges(TfBase& view, bool byItemCharge);

}  // namespace uPostedPurchOperations
}  // namespace tavrek
