#pragma once

#include <string>

#include "base/server/IAppServer.h"

namespace tavrek {

// Signs the user in through the server and, when it lets him in, takes him into the
// session (TakeSignedInUser). 0, or the server's refusal, its text in LastRefusalText.
int SignIn(IAppServer& server, const std::string& companyId, const std::string& login, const std::string& password);

// The session's data become the user's: company, business group, user, rights, and the
// company's precisions and local currency; the server becomes the one the client asks.
void TakeSignedInUser(IAppServer& server, const TSignedInUser& user);

}  // namespace tavrek
