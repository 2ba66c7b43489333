#pragma once

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "base/data/TFilter.h"
#include "base/data/Variant.h"

namespace tavrek::testing {

// One line of a case: its kind (the first word), the values that follow without a key, and
// the key=value pairs. A value is null, a whole number, a number or text; quoted ('...', a
// quote doubled inside) it is always text and may hold spaces.
struct TGoldenRow {
    std::string Kind;
    std::vector<Variant> Words;
    std::vector<std::pair<std::string, Variant>> Pairs;

    // The value of key; Null when the row has none.
    const Variant& operator[](const std::string& key) const;
    bool Has(const std::string& key) const;
    std::string Text(const std::string& key) const { return (*this)[key].AsString(); }
    double Number(const std::string& key) const { return (*this)[key].AsFloat(); }
    int Int(const std::string& key) const { return static_cast<int>((*this)[key].AsInteger()); }
};

// A case of a golden table: "case NAME key=value ..." and the rows up to the next case.
struct TGoldenCase : TGoldenRow {
    std::string Name;
    std::vector<TGoldenRow> Rows;

    std::vector<const TGoldenRow*> RowsOf(const std::string& kind) const;
    // The first row of the kind; an empty row when there is none.
    const TGoldenRow& Row(const std::string& kind) const;
    // The rows of the kind as filter conditions: field, operator, value and connector.
    TFilter Filter(const std::string& kind = "where") const;
};

// A failing case is named by its name, not by its bytes.
inline void PrintTo(const TGoldenCase& c, std::ostream* out) { *out << c.Name; }

// Words a test knows only when it runs (the key of a document it made, say), each standing in
// the file for its text.
using TGoldenNames = std::map<std::string, std::string>;

// The cases of tests/golden/<file>; '#' lines are comments. A missing file, a row before
// the first case or a file without cases throws.
std::vector<TGoldenCase> ReadGoldenCases(const std::string& file, const TGoldenNames& names = {});

}  // namespace tavrek::testing
