#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/data/Variant.h"

namespace tavrek {

class EFilterError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

enum class TFilterOp { opEqual, opNotEqual, opLessEqual, opGreaterEqual, opIs, opLike };
enum class TFilterConnector { fcNone, fcAnd, fcOr };

// One condition of a filter: qualified field ("C_PurchasesSetup.Id"), operator, value,
// and the connector to the next condition (none on the last).
struct TFilterCondition {
    std::string Field;
    TFilterOp Op = TFilterOp::opEqual;
    Variant Value;
    TFilterConnector Connector = TFilterConnector::fcNone;
    // Groups opened before the condition and closed after it: "(A OR B) AND C".
    int Open = 0;
    int Close = 0;

    // A number in place of the field ("1=2", a filter that holds for nothing).
    bool IsLiteral() const;
    // The field name without its table qualifier.
    std::string_view FieldName() const;
    std::string_view TableName() const;
};

// The filter that forms pass to the server and to datasets: a list of conditions.
// AND binds tighter than OR, as in SQL; parentheses group: a field written "(A.X" opens a
// group and a connector written ") AND" (or a last one written ")") closes it. Operators and
// connectors may come padded (" =", " AND"); "IS" takes Null, "NULL" or "NOT NULL"; a text
// value already in quotes ("'V01'") is taken without them; "LIKE" takes % and _ wildcards.
class TFilter {
public:
    TFilter() = default;

    // Throws EFilterError for an operator or connector outside the known set.
    TFilter& Add(std::string field, std::string_view op, Variant value, std::string_view connector = "");
    TFilter& Add(TFilterCondition condition);

    const std::vector<TFilterCondition>& Conditions() const { return conditions_; }
    bool Empty() const { return conditions_.empty(); }

    // The conditions in their order, each but the last joined to the next by connector.
    static TFilter Chained(std::vector<TFilterCondition> conditions, TFilterConnector connector);

    static TFilterOp ParseOp(std::string_view op);
    static TFilterConnector ParseConnector(std::string_view connector);
    static std::string_view OpText(TFilterOp op);
    static std::string_view ConnectorText(TFilterConnector connector);

    // The simple text form, such as "MasterLine_Id='A1' AND (Quantity>=2 OR Kind=1)"; values
    // are quoted text, numbers or NULL; "1=2" holds for nothing. The comma form
    // "Field,=,value[,AND,Field,=,value...]" is taken too. Throws EFilterError on anything else.
    static TFilter Parse(std::string_view text);

    // Evaluates the filter against a record whose field values valueOf returns by field
    // name (the qualifier is dropped before the call).
    bool Matches(const std::function<Variant(std::string_view)>& valueOf) const;
    static bool Compare(const Variant& left, TFilterOp op, const Variant& right);

private:
    std::vector<TFilterCondition> conditions_;
};

// A text value written as an SQL literal ("'V01'", inner quotes doubled) without its quotes;
// any other value as it is.
Variant Unquoted(const Variant& value);

}  // namespace tavrek
