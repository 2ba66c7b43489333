#pragma once

#include <string>

#include "base/data/TClientDataSet.h"
#include "base/partner/TUblInvoice.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

class TVendorDocumentImport;
class TVendorItemMapping;

// A vendor's document taken into a purchase editor: the document service set up for the
// header's vendor, the documents it offers, one fetched by its number and read into the
// header and lines with its items mapped. Every failure is told to the user by key and
// leaves the editor's document as it was.
class TVendorDocumentReceiver {
public:
    // Calculating is the editor's flag: the field rules stay quiet while a line is written.
    TVendorDocumentReceiver(TClientDataSet& header, TClientDataSet& lines, bool& calculating);

    // The header's vendor offers its documents and the user chooses one (row chosen of
    // documents); false when there is no vendor, no service or no choice.
    bool ChooseDocument(TRequestResult& documents, int& chosen);
    bool Fetch(const std::string& documentNo, TUblInvoice& document);
    // numberField is the header field that keeps the vendor's own number of the document.
    // Returns false when the user left the mapping of the items or the items could not be read.
    bool Import(const TUblInvoice& document, const std::string& numberField);
    // Our item of every line, the user asked for those the server does not know; false, told
    // to the user, when the server failed or the user left.
    bool MapItems(TVendorItemMapping& items);
    void CopyHeader(const TUblInvoice& document, const std::string& numberField);
    void WarnMissingItems(const TVendorItemMapping& items);

private:
    struct TConnection {
        std::string Url, UserName, Password;
    };
    bool Connect(TConnection& connection);
    bool ListDocuments(TRequestResult& documents);
    void ShowSummary(const TVendorDocumentImport& import, const TVendorItemMapping& items);

    TClientDataSet& header_;
    TClientDataSet& lines_;
    bool& calculating_;
};

}  // namespace tavrek
