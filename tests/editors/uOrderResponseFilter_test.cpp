#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "editors/uOrderResponseFilter.h"
#include "support/FileMutations.h"

namespace tavrek::testing {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Mutated responses are read whole or refused with a message; what is read has a code the
// confirmation knows and lines that name what they answer.
TEST(OrderResponseFilter, MutatedResponsesAreReadWholeOrRefused) {
    const int mutations = FuzzMutations();
    std::mt19937 random(20261210);
    for (const char* name : {"order_response_changed.xml", "order_response_accepted.xml"}) {
        SCOPED_TRACE(name);
        const std::string original = ReadText(TAVREK_TEST_DATA_DIR "/data/orderimport/" + std::string(name));
        int refused = 0;
        for (int i = 0; i < mutations; ++i) {
            const std::string text = MutatedFile(original, random);
            try {
                const TOrderResponse response = ParseOrderResponse(text);
                ASSERT_TRUE(response.Code == "AB" || response.Code == "AP" || response.Code == "RE" || response.Code == "CA")
                    << text;
                for (const TOrderResponseLine& line : response.Lines) {
                    ASSERT_FALSE(line.OrderLineId.empty() && line.VendorItemNo.empty() && line.BuyerItemNo.empty()) << text;
                    ASSERT_TRUE(std::isfinite(line.Quantity) && line.Quantity >= 0 && std::isfinite(line.Price)) << text;
                }
            } catch (const EOrderResponse& error) {
                ++refused;
                ASSERT_GT(std::string(error.what()).size(), 10u);
            }
        }
        EXPECT_GT(refused, 0);
    }
}

}  // namespace
}  // namespace tavrek::testing
