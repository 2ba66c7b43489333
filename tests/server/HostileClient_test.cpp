// The hostile client's steps against the embedded server.
#include "support/HostileClientCase.h"

namespace tavrek::testing {
namespace {

class HostileClientTest : public HostileClientCase {};

TEST_P(HostileClientTest, EachDoorIsShutByItsKeyAndNothingStoredChanges) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, HostileClientTest, ::testing::ValuesIn(ReadGoldenCases("server/hostile_client.txt")));

}  // namespace
}  // namespace tavrek::testing
