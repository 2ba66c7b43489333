#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <soci/soci.h>

#include "base/data/Variant.h"
#include "base/server/TRequestResult.h"
#include "server/db/IDbDialect.h"

namespace tavrek::server {

class TDbSession;

// SQL with "?" (or "?N" for the N-th value) placeholders, as the engines' driver takes it:
// each placeholder becomes its own ":pK" (or marker and K), and Order[K] names the value it takes.
struct TPlaceholders {
    std::string Sql;
    std::vector<size_t> Order;
};
TPlaceholders TranslatePlaceholders(const std::string& sql, const std::string& marker = ":p");

// The kinds of the values a statement is prepared for, one letter each ('n' Null, 'i'
// integer, 'd' real or date, 's' text): a statement is bound to fixed types.
std::string TypeSignature(const TVariantArray& values);

// A statement prepared once and run many times with new values bound each time. Values
// are always bound, never pasted into the text.
class TDbStatement {
public:
    TDbStatement(TDbSession& db, const std::string& sql, const TVariantArray& values, bool returnsRows);
    ~TDbStatement();

    // Runs with values; returns the number of rows changed.
    long long Execute(const TVariantArray& values);
    // Runs with values and hands every row to onRow.
    void ForEachRow(const TVariantArray& values, const std::function<void(const TVariantArray&)>& onRow);
    // Runs with values and returns every row under the statement's column names.
    TRequestResult Select(const TVariantArray& values);

private:
    struct TSlot {
        long long Integer = 0;
        double Real = 0;
        std::string Text;
        soci::indicator Indicator = soci::i_ok;
    };
    void Bind(const TVariantArray& values);
    std::string ColumnName(size_t i) const;
    std::vector<std::string> ColumnNames() const;
    // Numbers in date columns become dates.
    void MarkDates(TVariantArray& values);

    TDbSession& db_;
    std::vector<size_t> order_;
    std::vector<TSlot> slots_;
    std::vector<bool> dates_;  // per result column, found on the first row
    // Rows of a query come from the engine's own statement where the dialect has one,
    // else from the driver's statement into its row.
    std::unique_ptr<IDbQuery> query_;
    std::vector<std::string> columns_;
    std::unique_ptr<soci::row> row_;
    std::unique_ptr<soci::statement> statement_;
};

}  // namespace tavrek::server
