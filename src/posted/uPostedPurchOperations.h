#pragma once

#include <functional>
#include <string>

#include "base/forms/TFormRequest.h"

namespace tavrek {

class IBaseIntf;
class TfBase;

// The operations that start from a posted purchase document, shared by the posted invoice,
// the posted credit memo and the posted advance payment: annulment, documents generated
// from copy-document templates, VAT protocols and the item charges of a line. Each works on
// the view's header (cdsMaster) and lines (cdsDetail) and ends by the view's own rules.
namespace uPostedPurchOperations {

// Fills the LedgerSubjectType drop-down of the view with the ids of "N_LedgerSubjectTypes"
// and selects the header's value.
void FillLedgerSubjectTypes(TfBase& view);

// How one kind of posted document is annulled.
struct TAnnulment {
    // The second argument of AnnulDocument: 0 invoice, 2 credit memo.
    int Kind = 0;
    // The header field that marks a document of a global document, and the credit-memo
    // marker passed to AnnulGlobalDoc.
    const char* GlobalField = "IsGlobalInvoice";
    int GlobalMarker = 0;
    // The change shown after AnnulDocument is the server's output times this sign.
    double ChangeSign = 1.0;
    // The annul-payments value, decided after the user confirmed.
    std::function<int()> AnnulPayments = [] { return 0; };
};
// Asks the annulment date and reason, then "que_AnnulDocument" (Yes, No, Cancel), annuls the
// document on the server, shows the change when the session calculates change, refreshes and
// closes the view. An annulled document is left as it is; cancelling still closes the view.
void AnnulPostedDocument(TfBase& view, const TAnnulment& annulment);

// Opens the target form on a new document copied from the view's document by the template
// keyed by the view's form number and the target's. Without exactly one template the user is
// told and an error ends the operation. beforeClose runs before the view closes; the new
// form is returned (nullptr when the target is not a document form of this client).
IBaseIntf* GenerateByCopyTemplate(TfBase& view, int targetFormNumber, const TDefaultValues& defaults,
                                  const std::function<void()>& beforeClose = {});

// Runs the protocol procedure named by the key (default defaultName) on the view's document
// and opens the created protocol in form formNumber filtered by keyField.
void GenerateProtocol(TfBase& view, const std::string& procedureKey, const std::string& defaultName, int formNumber,
                      const std::string& keyField);

// The posted item-charge assignments of the current line (a line of Type 3) in form 10620;
// byItemCharge narrows them to the line's item charge.
void ShowPostedItemCharges(TfBase& view, bool byItemCharge);

}  // namespace uPostedPurchOperations
}  // namespace tavrek
