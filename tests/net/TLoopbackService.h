#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "net/TRemoteServer.h"
#include "net/TServiceHost.h"

namespace tavrek::testing {

// The network service of a company inside the test process, on a loopback port, and the
// clients that reach it as desktops would.
class TLoopbackService {
public:
    // Port 0: a free one. With a certificate and its key, over TLS.
    explicit TLoopbackService(const std::string& company, net::TServiceOptions options = Quick(), int port = 0,
                              const std::string& tlsCert = {}, const std::string& tlsKey = {});

    // Options for tests: no wait after a refused login, few calls at once.
    static net::TServiceOptions Quick();

    std::string Address() const { return host_->Bound().ToString(); }
    int Port() const { return host_->Bound().Port; }
    // A client signed in as the login; fails the test when the server refuses him.
    std::unique_ptr<net::TRemoteServer> SignedIn(const std::string& login, const std::string& password) const;
    // The request log so far.
    std::string Log() const { return log_.str(); }

private:
    std::ostringstream log_;
    std::unique_ptr<net::TServiceHost> host_;
};

}  // namespace tavrek::testing
