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
                                   std::shared_ptr<grpc::ServerCredentials> credentials) {
    options.Company = company;
    options.Tls = credentials != nullptr;
    service_ = std::make_unique<net::TAppService>(options, log_);
    grpc::ServerBuilder builder;
    builder.AddListeningPort("127.0.0.1:" + std::to_string(port),
                             credentials ? credentials : grpc::InsecureServerCredentials(), &port_);
    builder.RegisterService(service_.get());
    server_ = builder.BuildAndStart();
    address_ = "127.0.0.1:" + std::to_string(port_);
}

TLoopbackService::~TLoopbackService() {
    server_->Shutdown();
    service_->Stop();
}

std::unique_ptr<net::TRemoteServer> TLoopbackService::SignedIn(const std::string& login,
                                                               const std::string& password) const {
    auto client = std::make_unique<net::TRemoteServer>(address_);
    TSignedInUser user;
    EXPECT_EQ(client->Login({}, login, password, user), 0) << client->LastRefusalText();
    return client;
}

}  // namespace tavrek::testing
