#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/session/LocalData.h"
#include "documents/uPurchDocumentModel.h"
#include "support/CalcCaseFile.h"
#include "support/DataSetBuilder.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

// Writes values into the current record without running field handlers.
inline void Put(TClientDataSet& dataSet, const TValues& values) {
    for (const auto& [field, value] : values) {
        TField& f = dataSet.FieldByName(field);
        auto handler = std::move(f.OnChange);
        f.OnChange = nullptr;
        f.SetValue(value);
        f.OnChange = std::move(handler);
    }
}

inline void ExpectFields(TClientDataSet& dataSet, const TExpected& expected, const std::string& caseName) {
    for (const auto& [field, value] : expected)
        EXPECT_NEAR(dataSet.FieldByName(field).AsFloat(), value, 1e-9) << caseName << ": " << field;
}

// Sets the case's precisions and writes its header and line values.
inline void PrepareCase(TClientDataSet& header, TClientDataSet& line, const TCalcCase& c) {
    LocalData().AmountDecimals = static_cast<int8_t>(c.AmountDecimals);
    LocalData().UnitPriceDecimals = static_cast<int8_t>(c.UnitPriceDecimals);
    Put(header, c.Header);
    Put(line, c.Line);
}

// The server's answer of one row holding these values.
inline TRequestResult OneRow(const TValues& values) {
    std::vector<std::string> columns;
    TVariantArray row;
    for (const auto& [column, value] : values) columns.push_back(column), row.push_back(value);
    return Rows(columns, {row});
}

using TLineRules = std::map<std::string, void (*)(TClientDataSet&, TClientDataSet&, bool&)>;

// Runs the case's rule, looked up by name, on a header and line in edit mode and compares the line.
inline void ExpectGoldenCase(TClientDataSet& header, TClientDataSet& line, const TLineRules& rules, const TCalcCase& c) {
    const auto rule = rules.find(c.Rule);
    ASSERT_NE(rule, rules.end()) << c.Name << ": unknown rule " << c.Rule;
    bool calculating = false;
    PrepareCase(header, line, c);
    rule->second(header, line, calculating);
    ExpectFields(line, c.Expected, c.Name);
    EXPECT_FALSE(calculating) << c.Name;
}

// A price and discount the server proposes for a line.
inline TItemParams Proposal(double price, double discount, bool allow = true) {
    TItemParams p;
    p.Price = price;
    p.Discount = discount;
    p.AllowInvoiceDisc = allow;
    return p;
}

// A session test with one invoice header and line open in edit mode.
class CalcTest : public SessionTest {
protected:
    TPurchaseDocument doc = MakePurchaseDocument();
    TClientDataSet& header = *doc.Header;
    TClientDataSet& line = *doc.Line;
    bool calculating = false;
};

}  // namespace tavrek::testing
