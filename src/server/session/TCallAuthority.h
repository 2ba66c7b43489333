#pragma once

#include <string>
#include <vector>

#include "base/data/TFilter.h"
#include "base/server/IAppServer.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// The form a document of the kind is edited or viewed in; 0 when no form has the kind.
int FormOfDocumentType(int documentType);

// Whether the session's user may make a call. Each check that refuses sets the context's
// refusal ("err_RightNotGranted" naming the right and the form, or "err_OtherCompany") and
// answers false; the call then changes nothing.
class TCallAuthority {
public:
    static constexpr const char* kRightNotGrantedKey = "err_RightNotGranted";
    static constexpr const char* kOtherCompanyKey = "err_OtherCompany";

    explicit TCallAuthority(TServerContext& ctx) : ctx_(ctx) {}

    // The ids of the database's companies but the one given, for the session.
    static std::vector<std::string> OtherCompanies(TDbSession& db, const std::string& companyId);

    // The right on the form of the document with the id, found among the document headers;
    // a document of another company is refused whatever the right.
    bool MayOnDocument(const std::string& id, TFormRight right);
    // The right on the form; form 0: on some form.
    bool MayOnForm(int form, TFormRight right);
    // A procedure, table function or statement by name: no argument may name another
    // company, and the procedures that generate, post, annul or change need their right.
    bool MayCall(const std::string& name, const TVariantArray& args);
    // A filter of a read: no condition may name another company.
    bool MayFilter(const TFilter& filter);
    // Every change of the packets: none into another company; inserting, changing and
    // deleting documents on their form, lines with the right to edit, setup tables with the
    // setup right.
    bool MayApply(const std::vector<TUpdatePacket>& packets);

private:
    bool Refuse(const char* key, const std::string& arg = {});
    // Whether the value is the id of a company other than the session's.
    bool NamesOtherCompany(const Variant& value) const;

    TServerContext& ctx_;
};

}  // namespace tavrek::server
