#include "net/TAppService.h"

#include <ctime>
#include <iomanip>
#include <sstream>

#include <soci/soci.h>

#include "net/TNetAddress.h"
#include "net/TServerCalls.h"
#include "net/TWireFormat.h"
#include "server/SqlValue.h"
#include "server/TQueryBuilder.h"
#include "server/db/TDbTransaction.h"
#include "server/session/TLoginSessions.h"

namespace tavrek::net {
namespace {

using Clock = std::chrono::steady_clock;

// A session checked in the database this recently is taken from the cache.
constexpr auto kSessionRecheck = std::chrono::seconds(5);

grpc::Status Failed(grpc::StatusCode code, const std::string& text, const char* kind) {
    return grpc::Status(code, text, kind);
}

std::string Header(grpc::ServerContext* context, const char* name) {
    const auto& metadata = context->client_metadata();
    const auto it = metadata.find(name);
    return it == metadata.end() ? std::string() : std::string(it->second.data(), it->second.size());
}

std::string Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::ostringstream text;
    text << std::put_time(&utc, "%Y-%m-%dT%H:%M:%S") << '.' << std::setw(3) << std::setfill('0') << millis << 'Z';
    return text.str();
}

// Runs body in a write transaction of the server's database, connecting anew when the
// connection was lost before; a lost connection is the status the client is told.
template <typename Body>
grpc::Status InTransaction(server::EmbeddedServer& server, Body&& body) {
    server::TDbSession& db = server.Database();
    try {
        if (db.Broken()) db.Reconnect();
        server::TDbTransaction transaction(db, server::TTransactionKind::tkWrite);
        grpc::Status status = body(db);
        if (status.ok()) transaction.Commit();
        return status;
    } catch (const soci::soci_error& e) {
        if (!db.Dialect().IsConnectionLost(e)) throw;
        db.MarkBroken();
        return Failed(grpc::StatusCode::ABORTED, server.GetMessageText(server::EConnectionLost::kMessageKey),
                      kErrorConnectionLost);
    }
}

}  // namespace

TAppService::TAppService(TServiceOptions options, std::ostream& log)
    : options_(std::move(options)), log_(log), pool_(options_.Company, options_.MaxCalls) {
    // The first server opens the database now: a company that cannot be served stops the start.
    std::unique_ptr<server::EmbeddedServer> first = pool_.TryTake();
    busyText_ = first->GetMessageText("err_ServerBusy");
    if (busyText_.empty()) busyText_ = "Сървърът на приложението е зает. Нищо не е записано; опитайте отново след малко.";
    pool_.Give(std::move(first));
    housekeeper_ = std::thread([this] { Housekeep(); });
}

TAppService::~TAppService() { Stop(); }

void TAppService::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) return;
        stopping_ = true;
    }
    wake_.notify_all();
    housekeeper_.join();
    std::lock_guard lock(mutex_);
    for (auto& [token, entry] : sessions_)
        if (entry.Posting) {
            entry.Posting->EndPosting();
            pool_.Give(std::move(entry.Posting));
        }
}

// Without TLS the service answers only this machine: a password must not cross a network in clear.
grpc::Status TAppService::Refusal(grpc::ServerContext* context) const {
    if (options_.Tls || IsLoopbackPeer(context->peer())) return grpc::Status::OK;
    return Failed(grpc::StatusCode::PERMISSION_DENIED,
                  "Сървърът приема връзки без TLS само от същата машина; свържете се през TLS.", kErrorSession);
}

TAppService::TCaller TAppService::CallerOf(grpc::ServerContext* context) {
    return {Header(context, kTokenHeader), Header(context, kLoginHeader)};
}

void TAppService::LogCall(const std::string& login, const std::string& method, Clock::time_point start,
                          const std::string& outcome) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::ostringstream line;
    line << Now() << " user=" << (login.empty() ? "-" : login) << " method=" << method << " ms=" << std::fixed
         << std::setprecision(1) << ms << " result=" << outcome << "\n";
    std::lock_guard lock(logMutex_);
    log_ << line.str() << std::flush;
}

std::unique_ptr<server::EmbeddedServer> TAppService::TakeServer(const std::string& token) {
    {
        std::lock_guard lock(mutex_);
        const auto it = sessions_.find(token);
        if (it != sessions_.end() && it->second.Posting) return std::move(it->second.Posting);
    }
    return pool_.TryTake();
}

bool TAppService::KeepsServer(const std::string& token, const CallRequest& request, const CallReply& reply,
                              const server::EmbeddedServer& server) {
    std::lock_guard lock(mutex_);
    const auto it = sessions_.find(token);
    if (it == sessions_.end()) return false;
    if (request.method() == "BeginPosting") it->second.PostingOpen = reply.result() == 1;
    if (request.method() == "EndPosting") it->second.PostingOpen = false;
    return it->second.PostingOpen || server.InPosting();
}

void TAppService::GiveBack(const std::string& token, std::unique_ptr<server::EmbeddedServer> server, bool keep) {
    if (keep) {
        std::lock_guard lock(mutex_);
        const auto it = sessions_.find(token);
        if (it != sessions_.end()) {
            it->second.Posting = std::move(server);
            return;
        }
        server->EndPosting();
    }
    pool_.Give(std::move(server));
}

grpc::Status TAppService::Resolve(const TCaller& caller, server::EmbeddedServer& server,
                                  server::TServerSession& session) {
    const auto notSignedIn = [&] {
        return Failed(grpc::StatusCode::UNAUTHENTICATED, server.GetMessageText("err_NotSignedIn"), kErrorSession);
    };
    if (caller.Token.empty()) return notSignedIn();
    std::optional<server::TServerSession> known;
    {
        std::lock_guard lock(mutex_);
        const auto it = sessions_.find(caller.Token);
        if (it != sessions_.end()) {
            if (it->second.Login != caller.Login) return notSignedIn();
            const Clock::time_point now = Clock::now();
            const bool idle = now - it->second.LastCall > options_.SessionIdle;
            if (!idle && (now - it->second.Verified < kSessionRecheck || it->second.Posting || server.InPosting())) {
                it->second.LastCall = now;
                session = it->second.Session;
                return grpc::Status::OK;
            }
            known = it->second.Session;
        }
    }
    server::TTokenSession stored;
    const grpc::Status touched = InTransaction(server, [&](server::TDbSession& db) {
        stored = server::TLoginSessions(db).Touch(caller.Token, options_.SessionIdle);
        return grpc::Status::OK;
    });
    if (!touched.ok()) return touched;
    if (stored.State != server::TTokenSession::TState::tsValid || stored.Login != caller.Login) {
        std::lock_guard lock(mutex_);
        sessions_.erase(caller.Token);
        if (stored.State == server::TTokenSession::TState::tsExpired)
            return Failed(grpc::StatusCode::UNAUTHENTICATED, server.GetMessageText("err_SessionExpired"), kErrorSession);
        return notSignedIn();
    }
    if (known) {
        session = *known;
    } else {
        server.SetSession({stored.CompanyId, stored.BusinessGroupId, stored.UserId});
        session = server.Session();
    }
    std::lock_guard lock(mutex_);
    TSessionEntry& entry = sessions_[caller.Token];
    entry.Session = session;
    entry.Login = stored.Login;
    entry.Verified = entry.LastCall = Clock::now();
    return grpc::Status::OK;
}

grpc::Status TAppService::Login(grpc::ServerContext* context, const LoginRequest* request, LoginReply* reply) {
    const Clock::time_point start = Clock::now();
    grpc::Status status = Refusal(context);
    std::unique_ptr<server::EmbeddedServer> server;
    if (status.ok()) server = pool_.TryTake();
    if (status.ok() && !server)
        status = Failed(grpc::StatusCode::RESOURCE_EXHAUSTED, busyText_, kErrorBusy);
    if (!status.ok()) {
        LogCall(request->login(), "Login", start, status.error_details());
        return status;
    }
    TSignedInUser user;
    const int result = server->Login(request->company_id(), request->login(), request->password(), user);
    reply->set_result(result);
    if (result == 0) {
        status = InTransaction(*server, [&](server::TDbSession& db) {
            server::ExecuteBound(db, "DELETE FROM S_NetSession WHERE Expires < ?",
                                 {std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count()});
            reply->set_token(server::TLoginSessions(db).Open(user.CompanyId, user.BusinessGroupId, user.UserId, user.Login,
                                                             options_.SessionIdle));
            return grpc::Status::OK;
        });
        reply->set_company_id(user.CompanyId);
        reply->set_business_group_id(user.BusinessGroupId);
        reply->set_user_id(user.UserId);
        reply->set_login(user.Login);
        ToWire(user.Rights, *reply->mutable_rights());
        if (status.ok()) {
            std::lock_guard lock(mutex_);
            TSessionEntry& entry = sessions_[reply->token()];
            entry.Session = server->Session();
            entry.Login = user.Login;
            entry.Verified = entry.LastCall = Clock::now();
        }
    } else {
        reply->set_refusal(server->LastRefusalText());
    }
    pool_.Give(std::move(server));
    // A refused login waits here, holding no connection, so that passwords cannot be tried quickly.
    if (result != 0) std::this_thread::sleep_for(options_.LoginRefusalDelay);
    LogCall(request->login(), "Login", start, !status.ok() ? status.error_details() : result == 0 ? "ok" : "refused");
    return status;
}

grpc::Status TAppService::Logout(grpc::ServerContext* context, const LogoutRequest*, LogoutReply*) {
    const Clock::time_point start = Clock::now();
    const TCaller caller = CallerOf(context);
    std::unique_ptr<server::EmbeddedServer> server = TakeServer(caller.Token);
    if (!server) return Failed(grpc::StatusCode::RESOURCE_EXHAUSTED, busyText_, kErrorBusy);
    server::TServerSession session;
    grpc::Status status = Resolve(caller, *server, session);
    if (status.ok()) {
        if (server->InPosting()) server->EndPosting();
        status = InTransaction(*server, [&](server::TDbSession& db) {
            server::TLoginSessions(db).Close(caller.Token);
            return grpc::Status::OK;
        });
        std::lock_guard lock(mutex_);
        sessions_.erase(caller.Token);
    }
    pool_.Give(std::move(server));
    LogCall(caller.Login, "Logout", start, status.ok() ? "ok" : status.error_details());
    return status;
}

grpc::Status TAppService::Call(grpc::ServerContext* context, const CallRequest* request, CallReply* reply) {
    const Clock::time_point start = Clock::now();
    const TCaller caller = CallerOf(context);
    grpc::Status status = Refusal(context);
    if (status.ok()) status = RunCall(caller, *request, *reply);
    const std::string outcome = !status.ok()                                   ? status.error_details()
                                : reply->result() < 0 || !reply->refusal().empty() ? "refused"
                                                                                  : "ok";
    LogCall(caller.Login, request->method(), start, outcome);
    return status;
}

grpc::Status TAppService::RunCall(const TCaller& caller, const CallRequest& request, CallReply& reply) {
    std::unique_ptr<server::EmbeddedServer> server = TakeServer(caller.Token);
    if (!server) return Failed(grpc::StatusCode::RESOURCE_EXHAUSTED, busyText_, kErrorBusy);
    server::TServerSession session;
    grpc::Status status;
    try {
        // A client reads the texts of messages before it signs in, as it may from an embedded server.
        const bool beforeSignIn = caller.Token.empty() && request.method() == "GetMessageText";
        if (!beforeSignIn) status = Resolve(caller, *server, session);
        if (status.ok()) {
            server->AdoptSession(session);
            server->ForgetLastRefusal();
            if (request.method() == "ScenarioSelect" || request.method() == "ScenarioExecute")
                status = RunScenarioSql(*server, request, reply);
            else
                RunServerCall(*server, request, reply);
            reply.set_refusal(server->LastRefusalText());
        }
    } catch (const server::EConnectionLost& e) {
        status = Failed(grpc::StatusCode::ABORTED, e.what(), kErrorConnectionLost);
    } catch (const std::invalid_argument& e) {
        status = Failed(grpc::StatusCode::INVALID_ARGUMENT, e.what(), kErrorRefused);
    } catch (const std::exception& e) {
        status = Failed(grpc::StatusCode::INTERNAL, e.what(), kErrorFailure);
    }
    const bool keep = KeepsServer(caller.Token, request, reply, *server);
    GiveBack(caller.Token, std::move(server), keep);
    return status;
}

grpc::Status TAppService::RunScenarioSql(server::EmbeddedServer& server, const CallRequest& request, CallReply& reply) {
    if (!options_.ScenarioSql)
        return Failed(grpc::StatusCode::PERMISSION_DENIED,
                      "Сървърът не изпълнява проверките на сценарии (пуснете го с --scenario-checks)", kErrorRefused);
    const TVariantArray args = FromWire(request.args());
    const std::string sql = args.empty() ? std::string() : args[0].AsString();
    const TVariantArray values(args.empty() ? args.end() : args.begin() + 1, args.end());
    return InTransaction(server, [&](server::TDbSession& db) {
        if (request.method() == "ScenarioSelect") ToWire(server::SelectRows(db, sql, values), *reply.mutable_rows());
        else reply.set_result(server::ExecuteBound(db, sql, values));
        return grpc::Status::OK;
    });
}

void TAppService::Housekeep() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::seconds(1), [this] { return stopping_; })) {
        const Clock::time_point now = Clock::now();
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            TSessionEntry& entry = it->second;
            if (entry.Posting && now - entry.LastCall > options_.PostingIdle) {
                entry.Posting->EndPosting();
                pool_.Give(std::move(entry.Posting));
                entry.PostingOpen = false;
            }
            if (!entry.Posting && now - entry.LastCall > options_.SessionIdle) it = sessions_.erase(it);
            else ++it;
        }
    }
}

}  // namespace tavrek::net
