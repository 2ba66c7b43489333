#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <unordered_map>

#include "net/TServerPool.h"
#include "net/TServiceOptions.h"
#include "net/tavrek.grpc.pb.h"

namespace tavrek::net {

// The application server behind gRPC: each call runs on a pooled server of the company, in
// that server's transaction, as the user of the session its token names. Sessions live in
// the company database, so that other service processes on it serve them too; this
// process only caches them for a few seconds. Each call is logged in one line.
class TAppService final : public AppServer::Service {
public:
    TAppService(TServiceOptions options, std::ostream& log);
    ~TAppService() override;

    grpc::Status Login(grpc::ServerContext* context, const LoginRequest* request, LoginReply* reply) override;
    grpc::Status Logout(grpc::ServerContext* context, const LogoutRequest* request, LogoutReply* reply) override;
    grpc::Status Call(grpc::ServerContext* context, const CallRequest* request, CallReply* reply) override;

    // Rolls back the postings clients left open and stops the housekeeping; after the gRPC
    // server finished its calls.
    void Stop();

private:
    struct TSessionEntry {
        server::TServerSession Session;
        std::string Login;
        std::chrono::steady_clock::time_point Verified, LastCall;
        // The server of a posting begun and not yet ended: the session's calls run on it.
        std::unique_ptr<server::EmbeddedServer> Posting;
        bool PostingOpen = false;
    };
    struct TCaller {
        std::string Token, Login;
    };

    grpc::Status Refusal(grpc::ServerContext* context) const;
    static TCaller CallerOf(grpc::ServerContext* context);
    // The session of the caller's token, checked in the database when the cache is old.
    grpc::Status Resolve(const TCaller& caller, server::EmbeddedServer& server, server::TServerSession& session);
    std::unique_ptr<server::EmbeddedServer> TakeServer(const std::string& token);
    void GiveBack(const std::string& token, std::unique_ptr<server::EmbeddedServer> server, bool keep);
    // Whether the session's server stays with it after the call: its posting began and has not ended.
    bool KeepsServer(const std::string& token, const CallRequest& request, const CallReply& reply,
                     const server::EmbeddedServer& server);
    grpc::Status RunCall(const TCaller& caller, const CallRequest& request, CallReply& reply);
    void LogCall(const std::string& login, const std::string& method, std::chrono::steady_clock::time_point start,
                 const std::string& outcome);
    grpc::Status RunScenarioSql(server::EmbeddedServer& server, const CallRequest& request, CallReply& reply);
    void Housekeep();

    TServiceOptions options_;
    std::ostream& log_;
    std::mutex logMutex_;
    TServerPool pool_;
    std::string busyText_;
    std::mutex mutex_;
    std::unordered_map<std::string, TSessionEntry> sessions_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread housekeeper_;
};

}  // namespace tavrek::net
