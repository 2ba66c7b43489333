#pragma once

#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"

namespace tavrek {

// What the server keeps of a purchase document before it is deleted or annulled: a document
// under goods check may be deleted only when the server agrees, and every deleted document
// leaves its history. The kind tells the server which document it is (4 for the purchase
// documents' deletion check; 6 invoice, 8 credit memo, 5 order for the history).

// "usp_CheckDocumentBeforeDelete": asked only for a document under goods check (CheckStatus
// above 0) while the session uses the goods check. A refusal shows "err_DocumentForCheck_"
// with the returned code, formatted with the server's text, and returns false.
// With lineCodes, the same check for deleting those lines of the document (their Codes,
// comma-separated).
bool PurchCheckDocumentBeforeDelete(TClientDataSet& header, int kind, const std::string* lineCodes = nullptr);
// The same check for every marked row of a list (the current row when none is marked),
// stopping at the first refusal; the list is left on its current row when all may go.
bool PurchCheckMarkedBeforeDelete(TClientDataSet& rows, const std::vector<TBookmark>& marked, int kind);
// "proc_SaveHistoryBeforeDelete": a non-zero code shows "err_SavingHistoryBeforeDel".
// Returns whether the history was saved.
bool PurchSaveHistoryBeforeDelete(TClientDataSet& header, int kind);

}  // namespace tavrek
