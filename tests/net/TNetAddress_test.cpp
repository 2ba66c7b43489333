#include "net/TNetAddress.h"

#include <gtest/gtest.h>

#include "net/TServerOptions.h"

namespace tavrek::net {
namespace {

TEST(TNetAddressTest, ParsesHostAndPortAndKnowsThisMachine) {
    struct TCase {
        const char* Text;
        bool Valid;
        const char* Host;
        int Port;
        bool Loopback;
    };
    const TCase cases[] = {
        {"127.0.0.1:7443", true, "127.0.0.1", 7443, true},
        {"127.8.9.10:1", true, "127.8.9.10", 1, true},
        {"localhost:0", true, "localhost", 0, true},
        {"[::1]:7443", true, "::1", 7443, true},
        {"0.0.0.0:7443", true, "0.0.0.0", 7443, false},
        {"128.0.0.1:7443", true, "128.0.0.1", 7443, false},
        {"tavrek.example:7443", true, "tavrek.example", 7443, false},
        {"::1:7443", false, "", 0, false},
        {"127.0.0.1", false, "", 0, false},
        {"127.0.0.1:", false, "", 0, false},
        {":7443", false, "", 0, false},
        {"127.0.0.1:70000", false, "", 0, false},
        {"127.0.0.1:74a", false, "", 0, false},
    };
    for (const TCase& c : cases) {
        const std::optional<TNetAddress> address = TNetAddress::Parse(c.Text);
        ASSERT_EQ(address.has_value(), c.Valid) << c.Text;
        if (!address) continue;
        EXPECT_EQ(address->Host, c.Host) << c.Text;
        EXPECT_EQ(address->Port, c.Port) << c.Text;
        EXPECT_EQ(address->IsLoopback(), c.Loopback) << c.Text;
        EXPECT_EQ(address->ToString(), c.Text) << c.Text;
    }
}

// Without TLS the service answers this machine only.
TEST(TNetAddressTest, OnlyPeersOfThisMachineAreLoopback) {
    EXPECT_TRUE(IsLoopbackPeer("ipv4:127.0.0.1:40512"));
    EXPECT_TRUE(IsLoopbackPeer("ipv6:[::1]:40512"));
    EXPECT_TRUE(IsLoopbackPeer("unix:/run/tavrek.sock"));
    EXPECT_FALSE(IsLoopbackPeer("ipv4:10.0.0.7:40512"));
    EXPECT_FALSE(IsLoopbackPeer("ipv6:[fe80::1]:40512"));
    EXPECT_FALSE(IsLoopbackPeer("ipv4:127.0.0.1"));
    EXPECT_FALSE(IsLoopbackPeer(""));
}

TEST(TServerOptionsTest, RefusesToServeANetworkWithoutTls) {
    struct TCase {
        std::vector<std::string> Args;
        bool Refused;
    };
    const TCase cases[] = {
        {{"--listen", "127.0.0.1:7443", "c.tavrek"}, false},
        {{"--listen", "0.0.0.0:7443", "c.tavrek"}, true},
        {{"--listen", "10.0.0.2:7443", "--tls-cert", "c.pem", "--tls-key", "k.pem", "c.tavrek"}, false},
        {{"--listen", "10.0.0.2:7443", "--tls-cert", "c.pem", "c.tavrek"}, true},
        {{"--listen", "127.0.0.1:7443"}, true},
        {{"--listen", "127.0.0.1:7443", "--max-calls", "0", "c.tavrek"}, true},
        {{"--listen", "127.0.0.1:7443", "--session-idle", "x", "c.tavrek"}, true},
        {{"--listen", "127.0.0.1:7443", "--verbose", "c.tavrek"}, true},
        {{"c.tavrek"}, true},
    };
    for (const TCase& c : cases) {
        const TServerOptions options = ParseServerOptions(c.Args);
        EXPECT_EQ(!options.Error.empty(), c.Refused) << c.Args[1] << " " << options.Error;
    }
    const TServerOptions options =
        ParseServerOptions({"--listen", "[::1]:0", "--max-calls", "7", "--session-idle", "60", "--scenario-checks", "x"});
    EXPECT_EQ(options.Service.MaxCalls, 7);
    EXPECT_EQ(options.Service.SessionIdle, std::chrono::seconds(60));
    EXPECT_TRUE(options.Service.ScenarioSql);
    EXPECT_EQ(options.Service.Company, "x");
}

}  // namespace
}  // namespace tavrek::net
