#include "replenishment/uVendorLinePlacement.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tavrek::testing {
namespace {

struct TPlacementCase {
    std::string Name;
    std::vector<TOpenOrderLine> OrderLines;
    std::vector<TVendorQuantity> VendorLines;
    std::vector<TPlacedQuantity> Placed;
};

TPlacedQuantity ReadPlaced(std::istringstream& words) {
    TPlacedQuantity placed;
    std::string orderLine;
    words >> placed.VendorLine >> orderLine >> placed.Quantity;
    if (orderLine != "free") placed.OrderLine = std::stoul(orderLine);
    return placed;
}

std::vector<TPlacementCase> ReadCases() {
    std::ifstream file(std::string(TAVREK_TEST_DATA_DIR) + "/replenishment/data/vendor_line_placement.txt");
    EXPECT_TRUE(file.good());
    std::vector<TPlacementCase> cases;
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "case") {
            cases.push_back({});
            std::getline(words >> std::ws, cases.back().Name);
        } else if (kind == "order") {
            TOpenOrderLine& o = cases.back().OrderLines.emplace_back();
            words >> o.Code >> o.Quantity >> o.ReturnedQty >> o.ReceivedQty >> o.RejectedQty >> o.CalculatedQTY;
        } else if (kind == "vendor") {
            TVendorQuantity& v = cases.back().VendorLines.emplace_back();
            words >> v.Code >> v.Quantity;
            if (v.Code == "-") v.Code.clear();
        } else if (kind == "placed") {
            cases.back().Placed.push_back(ReadPlaced(words));
        }
    }
    return cases;
}

std::string Describe(const std::vector<TPlacedQuantity>& placed) {
    std::ostringstream text;
    for (const TPlacedQuantity& p : placed)
        text << p.VendorLine << "->" << (p.OrderLine ? std::to_string(*p.OrderLine) : "free") << ":" << p.Quantity << " ";
    return text.str();
}

TEST(VendorLinePlacement, EachVendorLineFillsTheOpenOrderLinesOfItsItemAndTheRestIsFree) {
    const std::vector<TPlacementCase> cases = ReadCases();
    ASSERT_GE(cases.size(), 10u);
    for (const TPlacementCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Describe(TVendorLinePlacement::Place(c.VendorLines, c.OrderLines)), Describe(c.Placed));
    }
}

}  // namespace
}  // namespace tavrek::testing
