#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/session/LocalData.h"
#include "documents/uPurchDocumentModel.h"
#include "support/DataSetBuilder.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

using TValues = std::vector<std::pair<std::string, Variant>>;
using TExpected = std::vector<std::pair<std::string, double>>;

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

// An open dataset with the fields of the document model.
inline std::unique_ptr<TClientDataSet> MakeModelDataSet(const std::string& name, const TPurchFieldList& fields) {
    auto dataSet = std::make_unique<TClientDataSet>(name);
    for (const TFieldDef& def : fields) dataSet->AddField(def.Name, def.Type);
    dataSet->CreateDataSet();
    return dataSet;
}

// One golden case: the two precisions, header and line values before, values after.
struct TCalcCase {
    std::string Name;
    int AmountDecimals = 2;
    int UnitPriceDecimals = 2;
    TValues Header;
    TValues Line;
    TExpected Expected;
};

// A session test with one invoice header and line open in edit mode.
class CalcTest : public SessionTest {
protected:
    TPurchaseDocument doc = MakePurchaseDocument();
    TClientDataSet& header = *doc.Header;
    TClientDataSet& line = *doc.Line;
    bool calculating = false;

    void Prepare(const TCalcCase& c) {
        LocalData().AmountDecimals = static_cast<int8_t>(c.AmountDecimals);
        LocalData().UnitPriceDecimals = static_cast<int8_t>(c.UnitPriceDecimals);
        Put(header, c.Header);
        Put(line, c.Line);
    }
};

}  // namespace tavrek::testing
