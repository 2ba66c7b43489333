#pragma once

#include <string>

#include "base/partner/TUblPartnerService.h"

namespace tavrek {

// A vendor's web service over HTTP or HTTPS, reached with the connection's user name and
// password (basic authentication):
//   GET  <address>/documents         the numbers of the vendor's documents, one per line
//   GET  <address>/documents/<no>    one document as a UBL invoice
//   POST <address>/orders            an order (Base64 text); the answer is the vendor's
//                                    document numbers
// An unreachable service throws EPartnerError; an answer with an error status throws
// EPartnerRejected with the vendor's text.
class THttpPartnerService : public TUblPartnerService {
public:
    THttpPartnerService(const std::string& url, const std::string& userName, const std::string& password);

    std::string SendDocument(const std::string& base64Text) override;

    // Answers longer than this are refused rather than read on.
    static constexpr size_t kMaxAnswerBytes = 16u << 20;

protected:
    std::vector<std::string> DocumentNames() override;
    TUblInvoice ReadDocument(const std::string& name) override;

private:
    // The body of a successful answer to a GET (body empty) or a POST of body.
    std::string Request(const std::string& path, const std::string* body);

    std::string url_;
    std::string userName_;
    std::string password_;
};

}  // namespace tavrek
