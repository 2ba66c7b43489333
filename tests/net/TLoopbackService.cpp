#include "TLoopbackService.h"

#include <gtest/gtest.h>

namespace tavrek::testing {

net::TServiceOptions TLoopbackService::Quick() {
    net::TServiceOptions options;
    options.LoginRefusalDelay = std::chrono::milliseconds(0);
    options.MaxCalls = 4;
    return options;
}

TLoopbackService::TLoopbackService(const std::string& company, net::TServiceOptions options, int port,
                                   const std::string& tlsCert, const std::string& tlsKey) {
    options.Company = company;
    host_ = std::make_unique<net::TServiceHost>(options, net::TNetAddress{"127.0.0.1", port}, log_, tlsCert, tlsKey);
}

std::unique_ptr<net::TRemoteServer> TLoopbackService::SignedIn(const std::string& login,
                                                               const std::string& password) const {
    auto client = std::make_unique<net::TRemoteServer>(Address());
    TSignedInUser user;
    EXPECT_EQ(client->Login({}, login, password, user), 0) << client->LastRefusalText();
    return client;
}

}  // namespace tavrek::testing
