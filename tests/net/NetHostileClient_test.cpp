// The hostile client's steps again, sent through the network service: the service must shut
// every door the embedded server shuts.
#include "TLoopbackService.h"
#include "support/HostileClientCase.h"

namespace tavrek::testing {
namespace {

class NetHostileClientTest : public HostileClientCase {
protected:
    IAppServer& Client() override { return *client_; }

    TLoopbackService service_{DatabasePath()};
    std::unique_ptr<net::TRemoteServer> client_ = service_.SignedIn("admin", "demo-admin");
};

TEST_P(NetHostileClientTest, EachDoorIsShutByItsKeyAndNothingStoredChanges) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, NetHostileClientTest, ::testing::ValuesIn(ReadGoldenCases("server/hostile_client.txt")));

}  // namespace
}  // namespace tavrek::testing
