#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/data/TFilter.h"
#include "base/partner/TUblInvoice.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// A failure of the vendor's document service: no connection, refused credentials or a
// document that cannot be read. The text is for the user.
class EPartnerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The vendor's service was reached and refused the request; the text is the vendor's reason.
class EPartnerRejected : public EPartnerError {
public:
    using EPartnerError::EPartnerError;
};

// The vendor's document service as the package reaches it through a partner connection.
class ITavrekAPI {
public:
    virtual ~ITavrekAPI() = default;

    // The vendor's documents, one row each, with the columns "DocumentNo,DocumentDate,
    // DueDate,PayMethod_id,Currency_Id,Comment,SubDocTypeCode,SourceDocumentNo,
    // PriceIncludingVAT". Documents that cannot be read are left out and described in
    // problems, so one broken file does not hide the others.
    virtual TRequestResult GetDocuments(std::vector<std::string>& problems) = 0;

    // The lines of one document with the requested columns (comma separated). Conditions
    // on columns of the line are applied; conditions on our own document (D_PurchHeader)
    // are met by the connection itself. Throws EPartnerError when the document is missing
    // or cannot be read.
    virtual TRequestResult GetDocumentLines(const std::string& documentNo, const std::string& fields,
                                            const TFilter& filter) = 0;

    // The whole document, with its allowances, charges, VAT and totals. Throws EPartnerError
    // when it is missing, cannot be read or does not add up.
    virtual TUblInvoice GetDocument(const std::string& documentNo) = 0;

    // Hands a document (Base64 text) to the vendor; returns the vendor's answer. Throws
    // EPartnerRejected when the vendor refuses it, EPartnerError when the service is not reached.
    virtual std::string SendDocument(const std::string& base64Text) = 0;
};

// Connects to the service at the address of a partner connection. Throws EPartnerError
// when there is no service there or the credentials are refused.
std::unique_ptr<ITavrekAPI> GetITavrekAPI(const std::string& url, const std::string& userName,
                                          const std::string& password);

}  // namespace tavrek
