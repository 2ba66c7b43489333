#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// The list of purchase invoices and general purchase documents of the company, newest
// first: opens the document's editor on a row, posts (and prints) documents without opening them, sends them to the goods check,
// and keeps the goods check and the document history when documents are deleted.
class TfBrPurchase : public TfBaseBrowseCardDocument {
public:
    TfBrPurchase();
    std::string ClassName() const override { return "TfBrPurchase"; }

    TAction& acSendDocumentsForCheck;
    TMenu pmPost{"btnPost", "Осчетов..."};

    void FormCreate() override;
    void PostDocument(bool print) override;
    TRequestResult GetPrintDocument() override;
    void acDeleteRecordExecute() override;
    void MoveToAnnulDocs() override;
    void acSendDocumentsForCheckExecute();

    // The print group of a posted invoice.
    static constexpr const char* kPostedInvoicePrintForm = "10020";

protected:
    // The kind of document the history keeps for a deleted one.
    int HistoryDocumentKind = 6;
    // The print group of what the list posts.
    const char* PostedPrintForm = kPostedInvoicePrintForm;
    // Before step of posting; the purchase lists always go on.
    virtual bool BeforePostDocument(bool print);
    virtual void AfterPostDocument(const TVariantArray& keys, bool print);
    int CurrentCardFormNumber() override;
    // The server's posting of the current row.
    virtual int PostOnServer(const std::string& id, TVariantArray& keys);
    // The list shows the company's documents of these two types under this caption.
    void ShowDocumentTypes(const char* caption, int64_t type, int64_t otherType);

private:
    // Posting of the current row; a refusal raises "err_PostingDocument".
    void PostCurrentDocument(bool print);
};

namespace uBrPurchase {
void Initialization();
void Finalization();
}  // namespace uBrPurchase

}  // namespace tavrek
