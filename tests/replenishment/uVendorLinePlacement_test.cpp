#include "replenishment/uVendorLinePlacement.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

// The vendor's lines of a case: our item's code ("-" when the vendor's item maps to none) and quantity.
std::vector<TVendorQuantity> VendorLines(const TGoldenCase& c) {
    std::vector<TVendorQuantity> lines;
    for (const TGoldenRow* row : c.RowsOf("vendor"))
        lines.push_back({row->Words[0].AsString() == "-" ? "" : row->Words[0].AsString(), row->Words[1].AsFloat()});
    return lines;
}

std::vector<TOpenOrderLine> OrderLines(const TGoldenCase& c) {
    std::vector<TOpenOrderLine> lines;
    for (const TGoldenRow* row : c.RowsOf("order")) {
        TOpenOrderLine& o = lines.emplace_back();
        o.Code = row->Words[0].AsString();
        o.Quantity = row->Words[1].AsFloat();
        o.ReturnedQty = row->Words[2].AsFloat();
        o.ReceivedQty = row->Words[3].AsFloat();
        o.RejectedQty = row->Words[4].AsFloat();
        o.CalculatedQTY = row->Words[5].AsFloat();
    }
    return lines;
}

std::string Describe(const std::vector<TPlacedQuantity>& placed) {
    std::ostringstream text;
    for (const TPlacedQuantity& p : placed)
        text << p.VendorLine << "->" << (p.OrderLine ? std::to_string(*p.OrderLine) : "free") << ":" << p.Quantity << " ";
    return text.str();
}

TEST(VendorLinePlacement, EachVendorLineFillsTheOpenOrderLinesOfItsItemAndTheRestIsFree) {
    const std::vector<TGoldenCase> cases = ReadGoldenCases("replenishment/vendor_line_placement.txt");
    ASSERT_GE(cases.size(), 10u);
    for (const TGoldenCase& c : cases) {
        std::string placed;
        for (const TGoldenRow* row : c.RowsOf("placed"))
            placed += row->Words[0].AsString() + "->" + row->Words[1].AsString() + ":" + row->Words[2].AsString() + " ";
        EXPECT_EQ(Describe(TVendorLinePlacement::Place(VendorLines(c), OrderLines(c))), placed) << c.Name;
    }
}

}  // namespace
}  // namespace tavrek::testing
