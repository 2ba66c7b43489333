#include "server/TQueryBuilder.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/util/Text.h"
#include "server/TAccessPolicy.h"

namespace tavrek::server {
namespace {

constexpr std::array kFunctions = {"COALESCE", "IFNULL", "ISNULL", "ABS", "SUM", "TOTAL", "MIN",
                                   "MAX",      "COUNT",  "AVG",    "ROUND", "UPPER", "LOWER"};

std::string Joined(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : ", ") + part;
    return joined;
}

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

const TColumnInfo& CheckedColumn(const TRelationInfo& relation, const std::vector<std::string>& qualifiers,
                                 std::string_view field) {
    const std::string name = Trim(field);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        const std::string qualifier = name.substr(0, dot);
        const bool known = std::any_of(qualifiers.begin(), qualifiers.end(),
                                       [&](const std::string& q) { return EqualsIgnoreCase(q, qualifier); });
        if (!known) throw EQueryRefused("Полето '" + name + "' не е от '" + relation.Name + "'");
    }
    const TColumnInfo* column = relation.Column(dot == std::string::npos ? name : name.substr(dot + 1));
    if (column == nullptr) throw EQueryRefused("Непознато поле '" + name + "' в '" + relation.Name + "'");
    return *column;
}

// Reads a field list token by token and writes it back with checked, quoted names.
class TFieldListParser {
public:
    TFieldListParser(const TRelationInfo& relation, const std::vector<std::string>& qualifiers, std::string_view text)
        : relation_(relation), qualifiers_(qualifiers), text_(text) {}

    void Parse(std::string& sql, std::vector<std::string>& columns) {
        SkipSpaces();
        if (pos_ == text_.size() || Peek() == "*") {
            if (pos_ < text_.size()) Next();
            ExpectEnd();
            for (const TColumnInfo& c : relation_.Columns) {
                sql += (sql.empty() ? "" : ", ") + QuoteIdentifier(c.Name);
                columns.push_back(c.Name);
            }
            return;
        }
        for (;;) {
            std::string name;
            const std::string expression = Expression(name);
            if (EqualsIgnoreCase(Peek(), "AS")) {
                Next();
                name = Next();
                if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return IsIdentChar(c) && c != '.'; }))
                    Fail("невалидно име след AS");
            }
            sql += (sql.empty() ? "" : ", ") + expression + " AS " + QuoteAlias(name);
            columns.push_back(name);
            if (Peek() != ",") break;
            Next();
        }
        ExpectEnd();
    }

private:
    std::string Expression(std::string& name) {
        const std::string token = Next();
        if (token.empty()) Fail("очаква се поле");
        if (std::isdigit(static_cast<unsigned char>(token[0]))) {
            if (!std::all_of(token.begin(), token.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || c == '.'; }))
                Fail("невалидно число " + token);
            name = token;
            return token;
        }
        if (!IsIdentChar(token[0])) Fail("неочакван знак '" + token + "'");
        if (Peek() != "(") {
            name = CheckedColumn(relation_, qualifiers_, token).Name;
            return QuoteIdentifier(name);
        }
        return Function(token, name);
    }

    std::string Function(const std::string& token, std::string& name) {
        const auto known = std::find_if(kFunctions.begin(), kFunctions.end(),
                                         [&](const char* f) { return EqualsIgnoreCase(f, token); });
        if (known == kFunctions.end()) Fail("непозната функция " + token);
        // Spelled as both engines know them.
        const bool total = EqualsIgnoreCase(token, "TOTAL");
        const bool nullIf = EqualsIgnoreCase(token, "ISNULL") || EqualsIgnoreCase(token, "IFNULL");
        const std::string function = total ? "SUM" : nullIf ? "COALESCE" : *known;
        Next();
        std::vector<std::string> args;
        if (Peek() == "*") {
            Next();
            args.push_back("*");
        }
        while (Peek() != ")") {
            if (!args.empty() && Next() != ",") Fail("очаква се ','");
            std::string inner;
            args.push_back(Expression(inner));
        }
        Next();
        name = (total ? std::string("TOTAL") : function) + "(" + Joined(args) + ")";
        // PostgreSQL rounds only exact numbers.
        if (function == "ROUND" && args.size() == 2) args[0] = "CAST(" + args[0] + " AS NUMERIC)";
        const std::string call = function + "(" + Joined(args) + ")";
        return total ? "COALESCE(" + call + ", 0)" : call;
    }

    void SkipSpaces() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    std::string Peek() {
        const size_t saved = pos_;
        std::string token = Next();
        pos_ = saved;
        return token;
    }

    std::string Next() {
        SkipSpaces();
        if (pos_ >= text_.size()) return {};
        const size_t start = pos_;
        if (IsIdentChar(text_[pos_])) {
            while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
        } else {
            ++pos_;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    void ExpectEnd() {
        SkipSpaces();
        if (pos_ != text_.size()) Fail("неочакван текст '" + std::string(text_.substr(pos_)) + "'");
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EQueryRefused("Невалиден списък от полета '" + std::string(text_) + "': " + what);
    }

    const TRelationInfo& relation_;
    const std::vector<std::string>& qualifiers_;
    std::string_view text_;
    size_t pos_ = 0;
};

// Dates are stored as serial days; forms also pass them as "yyyymmdd" or ISO text.
Variant ComparableValue(const TColumnInfo& column, const Variant& value) {
    const Variant plain = Unquoted(value);
    if (column.Type != TFieldType::ftDateTime || plain.Type() != TVarType::varString) return plain;
    const std::string text = Trim(plain.AsString());
    try {
        if (text.size() == 8 && text.find_first_not_of("0123456789") == std::string::npos)
            return Variant(TDateTime::FromDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                                               std::stoi(text.substr(6, 2))));
        return Variant(TDateTime::Parse(text));
    } catch (const std::exception&) {
        return plain;
    }
}

// The value is matched as typed: only a leading and a trailing % (contains, begins with,
// ends with) are wildcards; a % or _ inside is the character itself.
std::string LikePattern(const std::string& value) {
    size_t begin = 0, end = value.size();
    const bool leading = begin < end && value[begin] == '%';
    if (leading) ++begin;
    const bool trailing = end > begin && value[end - 1] == '%';
    if (trailing) --end;
    std::string pattern = leading ? "%" : "";
    for (size_t i = begin; i < end; ++i) {
        if (value[i] == '%' || value[i] == '_' || value[i] == '\\') pattern += '\\';
        pattern += value[i];
    }
    return trailing ? pattern + "%" : pattern;
}

std::string ConditionSql(const TColumnInfo& column, const TFilterCondition& c, std::vector<Variant>& params) {
    const std::string name = QuoteIdentifier(column.Name);
    switch (c.Op) {
        case TFilterOp::opIs:
            if (c.Value.IsNull()) return name + " IS NULL";
            if (EqualsIgnoreCase(Trim(c.Value.AsString()), "NOT NULL")) return name + " IS NOT NULL";
            if (EqualsIgnoreCase(Trim(c.Value.AsString()), "NULL")) return name + " IS NULL";
            throw EQueryRefused("Операторът IS приема само NULL или NOT NULL за '" + c.Field + "'");
        case TFilterOp::opLike:
            params.push_back(LikePattern(Unquoted(c.Value).AsString()));
            return "LOWER(" + name + ") LIKE LOWER(?) ESCAPE '\\'";
        default: break;
    }
    params.push_back(ComparableValue(column, c.Value));
    return name + " " + std::string(TFilter::OpText(c.Op)) + " ?";
}

// A condition on a line's header ("D_PurchHeader.Contragent_Id" over "D_PurchaseLine")
// selects the lines of the headers that meet it.
std::string HeaderConditionSql(const TRelationInfo& header, const TFilterCondition& c, std::vector<Variant>& params) {
    const TColumnInfo& column = CheckedColumn(header, {header.Name}, c.Field);
    return "master_id IN (SELECT id FROM " + QuoteIdentifier(header.Name) + " WHERE " +
           ConditionSql(column, c, params) + ")";
}

// "1=2": a number compared with a value, bound like any other.
std::string LiteralConditionSql(const TFilterCondition& c, std::vector<Variant>& params) {
    if (c.Op == TFilterOp::opIs || c.Op == TFilterOp::opLike)
        throw EQueryRefused("Невалидно условие '" + c.Field + "' във филтъра");
    params.insert(params.end(), {Variant(std::stod(c.Field)), c.Value});
    return "? " + std::string(TFilter::OpText(c.Op)) + " ?";
}

bool OnParent(const TRelationInfo& relation, const TFilterCondition& c) {
    return relation.Parent != nullptr && EqualsIgnoreCase(c.TableName(), relation.Parent->Name);
}

}  // namespace

std::string QuoteAlias(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string QuoteIdentifier(std::string_view name) { return QuoteAlias(ToLowerAscii(name)); }

std::string FilterSql(const TRelationInfo& relation, const std::vector<std::string>& qualifiers, const TFilter& filter,
                      std::vector<Variant>& params) {
    std::string sql;
    const auto& conditions = filter.Conditions();
    int depth = 0;
    for (size_t i = 0; i < conditions.size(); ++i) {
        const TFilterCondition& c = conditions[i];
        sql += std::string(static_cast<size_t>(c.Open), '(');
        if (c.IsLiteral()) sql += LiteralConditionSql(c, params);
        else sql += OnParent(relation, c) ? HeaderConditionSql(*relation.Parent, c, params)
                                          : ConditionSql(CheckedColumn(relation, qualifiers, c.Field), c, params);
        sql += std::string(static_cast<size_t>(c.Close), ')');
        depth += c.Open - c.Close;
        if (depth < 0) throw EQueryRefused("Филтърът има излишна затваряща скоба");
        if (i + 1 < conditions.size()) sql += c.Connector == TFilterConnector::fcOr ? " OR " : " AND ";
    }
    if (depth != 0) throw EQueryRefused("Филтърът има незатворена скоба");
    return sql;
}

TQuery BuildSelect(const TRelationInfo& relation, const std::vector<std::string>& qualifiers, std::string_view fields,
                   const TFilter& filter, std::string_view orderBy, const std::string& companyId) {
    TQuery query;
    std::string list;
    TFieldListParser(relation, qualifiers, fields).Parse(list, query.Columns);
    query.Sql = "SELECT " + list + " FROM " + QuoteIdentifier(relation.Name);
    std::string where = FilterSql(relation, qualifiers, filter, query.Params);
    const std::string scope = TAccessPolicy::CompanyScope(relation, companyId, query.Params);
    if (!scope.empty()) where = where.empty() ? scope : "(" + where + ") AND " + scope;
    if (!where.empty()) query.Sql += " WHERE " + where;
    if (!orderBy.empty()) query.Sql += " ORDER BY " + std::string(orderBy);
    return query;
}

}  // namespace tavrek::server
