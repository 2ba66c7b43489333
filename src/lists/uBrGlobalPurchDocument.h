#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// What tells the lists of consolidated documents apart.
struct TGlobalListKind {
    const char* Caption;
    int DocumentType;
    int OtherDocumentType;  // a second kind the list holds, or 0
    const char* CardClass;
    const char* OtherCardClass;  // the card of the second kind
    int Marker;                  // the credit-memo marker of posting and deletion
    bool Posts;                  // protocols are posted from their editor only
    int LinkedFormNumber;
};

// A list of the company's consolidated documents not posted yet: each opens in its editor,
// is posted (and printed) from here, or deleted together with its rows on the server.
class TfBrGlobalPurchDocument : public TfBaseBrowseCardDocument {
public:
    explicit TfBrGlobalPurchDocument(const TGlobalListKind& kind);
    // The shared list of the global documents, never a form of its own.
    std::string ClassName() const override = 0;

    int LinkedFormNumber = 0;
    TMenu pmPost{"btnPost", "Осчетов..."};

    void FormCreate() override;
    void FormShow() override;
    void PostDocument(bool print) override;
    void acPostDocumentExecute() override;
    void acPostAndPrintDocumentExecute() override;
    void acDeleteRecordExecute() override;
    bool ConfirmDeletion() override;
    TRequestResult GetPrintDocument() override;

protected:
    int CurrentCardFormNumber() override;

private:
    void PostCurrentDocument(bool print);
    // The server's rows of every marked document (or the current one) are deleted first; a
    // refusal ends the deletion there.
    void DeleteOnServer();
    const TGlobalListKind& kind_;
    bool confirmed_ = false;
};

}  // namespace tavrek
