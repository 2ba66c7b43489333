#pragma once

#include <string>
#include <vector>

#include "base/partner/ITavrekAPI.h"
#include "base/partner/TUblInvoice.h"

namespace tavrek {

// A vendor's service that keeps its documents as UBL invoices, whatever carries them (a
// folder, a web service): lists and reads them in the terms of our purchase lines. A
// transport says which documents there are and reads one by its name.
class TUblPartnerService : public ITavrekAPI {
public:
    TRequestResult GetDocuments(std::vector<std::string>& problems) override;
    TRequestResult GetDocumentLines(const std::string& documentNo, const std::string& fields,
                                    const TFilter& filter) override;
    TUblInvoice GetDocument(const std::string& documentNo) override;

protected:
    // The names of the vendor's documents, in the order they are listed.
    virtual std::vector<std::string> DocumentNames() = 0;
    // Reads one document; throws EPartnerError naming what is wrong.
    virtual TUblInvoice ReadDocument(const std::string& name) = 0;
    // The document number a name stands for when the name tells it ("INV-7.xml" -> "INV-7").
    virtual std::string NumberOfName(const std::string& name) const { return name; }
};

}  // namespace tavrek
