// The client proxy against a service on loopback: what it answers must be what the embedded
// server answers, and every session rule holds across the network.
#include <grpcpp/grpcpp.h>
#include <gtest/gtest.h>

#include <future>
#include <semaphore>
#include <thread>

#include "TLoopbackService.h"
#include "base/data/TClientDataSet.h"
#include "net/tavrek.grpc.pb.h"
#include "server/TQueryBuilder.h"
#include "support/SqliteFixture.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

std::string Dump(const TRequestResult& rows) {
    std::string text;
    for (const std::string& column : rows.Columns) text += column + ",";
    for (const TVariantArray& row : rows.Rows) {
        text += "\n";
        for (const Variant& value : row) text += value.DebugString() + "|";
    }
    return text;
}

std::string Dump(TClientDataSet& data) {
    std::string text;
    for (const TFieldDef& def : data.FieldDefs()) text += def.Name + ":" + std::to_string(static_cast<int>(def.Type)) + ",";
    for (int i = 0; i < data.RawRecordCount(); ++i) {
        text += "\n";
        for (const Variant& value : data.RawRecord(i)) text += value.DebugString() + "|";
    }
    return text;
}

class RemoteServerTest : public SqliteFixture {
protected:
    TLoopbackService service_{DatabasePath()};
    std::unique_ptr<net::TRemoteServer> remote_ = service_.SignedIn("admin", "demo-admin");
};

// Each call once on the embedded server and once through the network, the answers compared as text.
TEST_F(RemoteServerTest, AnswersAsTheEmbeddedServerDoes) {
    const std::vector<std::pair<const char*, std::function<std::string(IAppServer&)>>> calls = {
        {"value of a table, every row",
         [](IAppServer& s) {
             TRequestResult rows;
             const int n = s.RequestValue(0, "N_Item", "Code,Name", TFilter().Add("N_Item.Code", "LIKE", "10%"), rows, true);
             return std::to_string(n) + Dump(rows);
         }},
        {"value of a table, first row of many",
         [](IAppServer& s) {
             TRequestResult rows;
             return std::to_string(s.RequestValue(0, "N_Item", "Code", TFilter(), rows)) + Dump(rows);
         }},
        {"dataset of a provider",
         [](IAppServer& s) {
             TClientDataSet data;
             s.RequestData("N_Contragent", TFilter().Add("N_Contragent.Code", "=", "5011"), data);
             return Dump(data);
         }},
        {"dataset in packets, fields from the first",
         [](IAppServer& s) {
             TClientDataSet data;
             const int first = s.RequestDataPacket("N_Item", TFilter(), 0, 3, data);
             const int second = s.RequestDataPacket("N_Item", TFilter(), 3, 3, data);
             return std::to_string(first) + "+" + std::to_string(second) + Dump(data);
         }},
        {"dataset of the client's own fields",
         [](IAppServer& s) {
             TClientDataSet data;
             data.AddField("Code", TFieldType::ftString);
             data.AddField("Name", TFieldType::ftString);
             s.RequestData("N_Item", TFilter().Add("N_Item.Code", "=", "1008"), data);
             return Dump(data);
         }},
        {"currency rate", [](IAppServer& s) { return std::to_string(s.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1)); }},
        {"message text", [](IAppServer& s) { return s.GetMessageText("err_LoginFailed"); }},
        {"vendor's parameters", [](IAppServer& s) { return Dump(s.GetContragentParams("V11")); }},
        {"a refused procedure",
         [](IAppServer& s) {
             try {
                 s.ExecuteStoredProcedure("usp_NoSuchProcedure", {});
             } catch (const server::EQueryRefused& e) {
                 return std::string("refused: ") + e.what();
             }
             return std::string("ran");
         }},
        {"a refused statement", [](IAppServer& s) { return std::to_string(s.ExecuteSQLScript("DROP TABLE N_Item")) + s.LastRefusalText(); }},
    };
    for (const auto& [name, call] : calls) EXPECT_EQ(call(*remote_), call(Server())) << name;
}

TEST_F(RemoteServerTest, SavesAChangeLogAsTheClientMadeIt) {
    TClientDataSet lines;
    remote_->RequestData("N_Item", TFilter().Add("N_Item.Code", "LIKE", "100%"), lines);
    ASSERT_GE(lines.RecordCount(), 3);
    lines.First();
    lines.Edit();
    lines.FieldByName("Name").SetAsString("Кисело мляко 2%");
    lines.Post();
    std::string errorText;
    ASSERT_EQ(remote_->ApplyUpdates({{"N_Item", &lines}}, errorText), 0) << errorText;
    EXPECT_EQ(lines.ChangeCount(), 0) << "the change log is merged once the server saved it";
    EXPECT_EQ(Value("SELECT Name FROM N_Item WHERE Id = '" + lines.FieldByName("Id").AsString() + "'").AsString(),
              "Кисело мляко 2%");
}

TEST_F(RemoteServerTest, SessionsAreRefusedWhenTheyAreNotTheCallers) {
    TSignedInUser user;
    net::TRemoteServer stranger(service_.Address());
    EXPECT_LT(stranger.Login({}, "admin", "wrong", user), 0);
    EXPECT_EQ(stranger.LastRefusalText(), Server().GetMessageText("err_LoginFailed"));
    EXPECT_THROW(stranger.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1), net::ESessionRefused)
        << "no token";
    stranger.UseToken(remote_->Token(), "buyer");
    EXPECT_THROW(stranger.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1), net::ESessionRefused)
        << "another user's token";
    stranger.UseToken(remote_->Token() + "0", "admin");
    EXPECT_THROW(stranger.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1), net::ESessionRefused)
        << "a made-up token";
    const std::string token = remote_->Token();
    remote_->Logout();
    stranger.UseToken(token, "admin");
    EXPECT_THROW(stranger.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1), net::ESessionRefused)
        << "the token of a session logged out";
    EXPECT_NE(service_.Log().find("user=admin method=Login ms="), std::string::npos) << service_.Log();
    EXPECT_NE(service_.Log().find("result=refused"), std::string::npos) << service_.Log();
}

// An idle session expires; a change refused for it is saved once the user signs in again, and only then.
TEST_F(RemoteServerTest, AnExpiredSessionIsRenewedAndTheRefusedCallRepeated) {
    enum class THook { SignsIn, Declines, ClaimsWithoutSigningIn };
    const struct {
        const char* Name;
        bool LoggedOut;
        THook Hook;
        int Asked;
        const char* Refusal;  // empty: saved
    } cases[] = {
        // First: a sign-in removes the expired sessions, which are then refused as unknown.
        {"declined", false, THook::Declines, 1, "err_SessionExpired"},
        {"signed in again", false, THook::SignsIn, 1, ""},
        {"claimed without signing in: refused, not asked again", false, THook::ClaimsWithoutSigningIn, 1, "err_NotSignedIn"},
        {"logged out: nobody to renew", true, THook::SignsIn, 0, "err_NotSignedIn"},
    };
    net::TServiceOptions options = TLoopbackService::Quick();
    options.SessionIdle = std::chrono::seconds(1);
    TLoopbackService strict(DatabasePath(), options);
    struct TClient {
        std::unique_ptr<net::TRemoteServer> Remote;
        TClientDataSet Lines;
        int Asked = 0;
    };
    std::vector<TClient> clients(std::size(cases));
    for (size_t i = 0; i < clients.size(); ++i) {
        TClient& c = clients[i];
        c.Remote = strict.SignedIn("admin", "demo-admin");
        c.Remote->RequestData("N_Item", TFilter().Add("N_Item.Code", "LIKE", "10%"), c.Lines);
        ASSERT_GT(c.Lines.RecordCount(), static_cast<int>(i));
        c.Lines.SetRecNo(static_cast<int>(i) + 1);
        c.Lines.Edit();
        c.Lines.FieldByName("Name").SetAsString("Подновено " + std::to_string(i));
        c.Lines.Post();
        c.Remote->SetSessionRenewal([&c, hook = cases[i].Hook] {
            ++c.Asked;
            EXPECT_THROW(c.Remote->GetMessageText("err_LoginFailed"), net::ESessionRefused) << "asked again while asking";
            TSignedInUser user;
            return hook == THook::ClaimsWithoutSigningIn ||
                   (hook == THook::SignsIn && c.Remote->Login({}, "admin", "demo-admin", user) == 0);
        });
        if (cases[i].LoggedOut) c.Remote->Logout();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    for (size_t i = 0; i < clients.size(); ++i) {
        SCOPED_TRACE(cases[i].Name);
        TClient& c = clients[i];
        const bool saved = *cases[i].Refusal == '\0';
        std::string errorText, refusal;
        try {
            EXPECT_EQ(c.Remote->ApplyUpdates({{"N_Item", &c.Lines}}, errorText), 0) << errorText;
        } catch (const net::ESessionRefused& e) {
            refusal = e.what();
        }
        EXPECT_EQ(refusal, saved ? "" : Server().GetMessageText(cases[i].Refusal));
        EXPECT_EQ(c.Asked, cases[i].Asked);
        EXPECT_EQ(c.Lines.ChangeCount(), saved ? 0 : 1) << "the change stays with the client until saved";
        const std::string id = c.Lines.FieldByName("Id").AsString();
        EXPECT_EQ(Value("SELECT Name FROM N_Item WHERE Id = '" + id + "'").AsString() == "Подновено " + std::to_string(i),
                  saved);
    }
}

// Sessions live in the database: another service on it, or one started anew, serves them.
TEST_F(RemoteServerTest, AnotherServiceOnTheDatabaseServesTheSession) {
    TLoopbackService second(DatabasePath());
    net::TRemoteServer client(second.Address());
    client.UseToken(remote_->Token(), "admin");
    TRequestResult rows;
    EXPECT_EQ(client.RequestValue(0, "N_Item", "Code", TFilter().Add("N_Item.Code", "=", "1008"), rows), 1);
}

TEST_F(RemoteServerTest, CallsBeyondTheLimitAreRefusedAsBusy) {
    net::TServiceOptions options = TLoopbackService::Quick();
    options.MaxCalls = 1;
    TLoopbackService small(DatabasePath(), options);
    auto posting = small.SignedIn("admin", "demo-admin");
    auto other = small.SignedIn("buyer", "demo-buyer");
    ASSERT_TRUE(posting->BeginPosting()) << "the posting holds the only connection until it ends";
    try {
        other->GetMessageText("err_LoginFailed");
        ADD_FAILURE() << "a call beyond the limit ran";
    } catch (const net::EServerBusy& e) {
        EXPECT_EQ(e.what(), Server().GetMessageText("err_ServerBusy"));
    }
    EXPECT_TRUE(posting->EndPosting()) << "ended before its posting: rolled back";
    EXPECT_FALSE(other->GetMessageText("err_LoginFailed").empty());
    EXPECT_NE(small.Log().find("result=busy"), std::string::npos) << small.Log();
}

TEST_F(RemoteServerTest, ALostServiceIsToldAndTheNextCallConnectsAnew) {
    auto service = std::make_unique<TLoopbackService>(DatabasePath());
    const int port = service->Port();
    auto client = service->SignedIn("buyer", "demo-buyer");
    service.reset();
    try {
        client->GetMessageText("err_LoginFailed");
        ADD_FAILURE() << "a call to a stopped service answered";
    } catch (const server::EConnectionLost& e) {
        EXPECT_EQ(e.what(), Server().GetMessageText("err_DatabaseConnectionLost"));
    }
    TLoopbackService again(DatabasePath(), TLoopbackService::Quick(), port);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // past the client's reconnection backoff
    EXPECT_FALSE(client->GetMessageText("err_LoginFailed").empty()) << "the session outlives the service";
}

// A self-signed certificate of localhost, made for the test.
std::string MakeCertificate(const std::filesystem::path& folder) {
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost "
                                "-addext subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout " +
                                (folder / "key.pem").string() + " -out " + (folder / "cert.pem").string() +
                                " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return {};
    return (folder / "cert.pem").string();
}

TEST_F(RemoteServerTest, OverTlsOnlyTlsClientsAreServed) {
    const std::filesystem::path folder = NewTestFolder();
    const std::string cert = MakeCertificate(folder);
    ASSERT_FALSE(cert.empty()) << "openssl made no certificate";
    TLoopbackService secure(DatabasePath(), TLoopbackService::Quick(), 0, cert, (folder / "key.pem").string());
    net::TRemoteServer plain(secure.Address());
    TSignedInUser user;
    EXPECT_THROW(plain.Login({}, "admin", "demo-admin", user), server::EConnectionLost);
    setenv("TAVREK_SERVER_CA", cert.c_str(), 1);
    net::TRemoteServer client(secure.Address());
    unsetenv("TAVREK_SERVER_CA");
    EXPECT_EQ(client.Login({}, "admin", "demo-admin", user), 0) << client.LastRefusalText();
    std::filesystem::remove_all(folder);
}

// An application server that takes a call and holds it until it is shut down: the call is
// surely running on the server when its connection dies.
class THeldCalls final : public net::AppServer::Service {
public:
    grpc::Status Call(grpc::ServerContext* context, const net::CallRequest*, net::CallReply*) override {
        arrived.release();
        while (!context->IsCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return grpc::Status::OK;
    }
    std::binary_semaphore arrived{0};
};

// A dropped call tells the user whether a change may have been written; a change on a
// connection that was just opened counts as sent too.
TEST(RemoteServerOutcomeTest, ADroppedCallTellsWhetherAChangeMayHaveBeenWritten) {
    const struct {
        const char* Name;
        bool Write, Reached;
        const char* Reported;
    } cases[] = {
        {"a write the server was running", true, true, net::ECallOutcomeUnknown::kMessageKey},
        {"a read the server was running", false, true, server::EConnectionLost::kMessageKey},
        {"a write to a server never reached", true, false, server::EConnectionLost::kMessageKey},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        THeldCalls service;
        int port = 0;
        grpc::ServerBuilder builder;
        builder.AddListeningPort("127.0.0.1:0", grpc::InsecureServerCredentials(), &port);
        builder.RegisterService(&service);
        std::unique_ptr<grpc::Server> held = builder.BuildAndStart();
        ASSERT_NE(held, nullptr);
        if (!c.Reached) held.reset();
        net::TRemoteServer client("127.0.0.1:" + std::to_string(port));
        std::future<std::string> reported = std::async(std::launch::async, [&client, &c]() -> std::string {
            try {
                if (c.Write) client.ExecuteSQLScript("UPDATE N_Item SET Name = Name");
                else client.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1);
            } catch (const net::ECallOutcomeUnknown&) {
                return net::ECallOutcomeUnknown::kMessageKey;
            } catch (const server::EConnectionLost&) {
                return server::EConnectionLost::kMessageKey;
            }
            return "answered";
        });
        if (held) {
            ASSERT_TRUE(service.arrived.try_acquire_for(std::chrono::seconds(10))) << "the call never reached the server";
            held->Shutdown(std::chrono::system_clock::now());
        }
        EXPECT_EQ(reported.get(), c.Reported);
    }
}

}  // namespace
}  // namespace tavrek::testing
