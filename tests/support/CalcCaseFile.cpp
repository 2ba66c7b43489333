#include "support/CalcCaseFile.h"

#include <stdexcept>

#include "support/GoldenTable.h"

namespace tavrek::testing {

std::vector<TCalcCase> ReadCalcCases(const std::string& file) {
    std::vector<TCalcCase> cases;
    for (const TGoldenCase& golden : ReadGoldenCases("calc/" + file)) {
        TCalcCase& c = cases.emplace_back();
        c.Name = golden.Name;
        c.Rule = golden.Text("rule");
        if (golden.Has("AmountDecimals")) c.AmountDecimals = static_cast<int>(golden["AmountDecimals"].AsInteger());
        if (golden.Has("UnitPriceDecimals")) c.UnitPriceDecimals = static_cast<int>(golden["UnitPriceDecimals"].AsInteger());
        for (const TGoldenRow& row : golden.Rows) {
            TValues* values = row.Kind == "header" ? &c.Header : row.Kind == "line" ? &c.Line
                              : row.Kind == "vatsetup"                      ? &c.VATSetup
                                                                            : nullptr;
            if (values != nullptr) values->insert(values->end(), row.Pairs.begin(), row.Pairs.end());
            else if (row.Kind == "expect")
                for (const auto& [key, value] : row.Pairs) c.Expected.emplace_back(key, value.AsFloat());
            else throw std::runtime_error(file + ": unknown line kind " + row.Kind);
        }
    }
    return cases;
}

}  // namespace tavrek::testing
