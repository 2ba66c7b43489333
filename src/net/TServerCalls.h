#pragma once

#include "net/tavrek.pb.h"
#include "server/EmbeddedServer.h"

namespace tavrek::net {

// Runs one call of a client on the server of its session: the arguments as the client
// proxy packed them, the results packed for it. Throws what the server throws, and
// std::invalid_argument for a method the server does not have.
void RunServerCall(server::EmbeddedServer& server, const CallRequest& request, CallReply& reply);

// Whether the method only reads: a client that lost the connection during it knows that
// nothing was written.
bool IsReadOnlyCall(const CallRequest& request);

}  // namespace tavrek::net

namespace tavrek::net {

// What a failed call's status carries in its details, so that the client proxy throws what
// the embedded server would have thrown.
inline constexpr const char* kErrorConnectionLost = "connection-lost";  // the database went away
inline constexpr const char* kErrorRefused = "refused";                 // a request the server does not run
inline constexpr const char* kErrorSession = "session";                 // no valid session
inline constexpr const char* kErrorBusy = "busy";                       // too many calls at once
inline constexpr const char* kErrorFailure = "failure";                 // anything else the server threw

// The metadata every call after the login carries.
inline constexpr const char* kTokenHeader = "x-tavrek-token";
inline constexpr const char* kLoginHeader = "x-tavrek-login";

}  // namespace tavrek::net
