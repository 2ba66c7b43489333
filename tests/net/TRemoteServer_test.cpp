// The client proxy against a service on loopback: what it answers must be what the embedded
// server answers, and every session rule holds across the network.
#include <gtest/gtest.h>

#include <thread>

#include "TLoopbackService.h"
#include "base/data/TClientDataSet.h"
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

TEST_F(RemoteServerTest, AnIdleSessionExpires) {
    net::TServiceOptions options = TLoopbackService::Quick();
    options.SessionIdle = std::chrono::seconds(1);
    TLoopbackService strict(DatabasePath(), options);
    auto client = strict.SignedIn("buyer", "demo-buyer");
    EXPECT_GT(client->GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1), 0) << "a call keeps it alive";
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    try {
        client->GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1);
        ADD_FAILURE() << "an expired session answered";
    } catch (const net::ESessionRefused& e) {
        EXPECT_EQ(e.what(), Server().GetMessageText("err_SessionExpired"));
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

}  // namespace
}  // namespace tavrek::testing
