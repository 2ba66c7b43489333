#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// What tells the posted consolidated documents apart: where they are kept, how they are
// annulled and whether they show the VAT ledger's subject type.
struct TPostedGlobalKind {
    int KindCode;
    const char* Header;
    const char* Lines;
    const char* GlobalField;  // the header's flag of a consolidated document
    int Marker;               // the annulment's credit-memo marker
    bool Protocol;            // annulled through AnnulPurchProtocol
    bool ShowsLedgerSubjects;
    const char* Caption;
};

// The read-only view of a posted consolidated document, annulled from here: the annulment
// frees its source documents on the server, so they can be consolidated again.
class TfEdPostGlobalPurchDocument : public TfBaseEditPostedDocument {
public:
    explicit TfEdPostGlobalPurchDocument(const TPostedGlobalKind& kind);
    // The shared view of the posted global documents, never a form of its own.
    std::string ClassName() const override = 0;

    void FormCreate() override;
    void FormShow() override;
    void acAnnulDocumentExecute() override;

private:
    void DescribeLayout();
    const TPostedGlobalKind& kind_;
};

}  // namespace tavrek
