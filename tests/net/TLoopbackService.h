#pragma once

#include <memory>
#include <sstream>
#include <string>

#include <grpcpp/grpcpp.h>

#include "net/TAppService.h"
#include "net/TRemoteServer.h"

namespace tavrek::testing {

// The network service of a company inside the test process, on a free loopback port, and
// the clients that reach it as desktops would.
class TLoopbackService {
public:
    // Port 0: a free one. With credentials, TLS ones, the service is served as over a network.
    explicit TLoopbackService(const std::string& company, net::TServiceOptions options = Quick(), int port = 0,
                              std::shared_ptr<grpc::ServerCredentials> credentials = nullptr);
    ~TLoopbackService();

    // Options for tests: no wait after a refused login, few calls at once.
    static net::TServiceOptions Quick();

    const std::string& Address() const { return address_; }
    int Port() const { return port_; }
    // A client signed in as the login; fails the test when the server refuses him.
    std::unique_ptr<net::TRemoteServer> SignedIn(const std::string& login, const std::string& password) const;
    // The request log so far.
    std::string Log() const { return log_.str(); }

private:
    std::ostringstream log_;
    std::unique_ptr<net::TAppService> service_;
    std::unique_ptr<grpc::Server> server_;
    std::string address_;
    int port_ = 0;
};

}  // namespace tavrek::testing
