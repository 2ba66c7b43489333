#include "base/data/TFilter.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/data/EVariantError.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

bool IsNumeric(const Variant& v) {
    switch (v.Type()) {
        case TVarType::varInteger:
        case TVarType::varDouble:
        case TVarType::varBoolean:
        case TVarType::varDate: return true;
        default: return false;
    }
}

// Compares numerically when either side is a number and the other converts; otherwise as text.
int ThreeWay(const Variant& left, const Variant& right) {
    if (IsNumeric(left) || IsNumeric(right)) {
        try {
            const double a = left.AsFloat(), b = right.AsFloat();
            return a < b ? -1 : (a > b ? 1 : 0);
        } catch (const EVariantError&) {
        }
    }
    return left.AsString().compare(right.AsString()) < 0 ? -1 : (left.AsString() == right.AsString() ? 0 : 1);
}

bool LikeMatch(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return text.empty();
    if (pattern.front() == '%') {
        for (size_t i = 0; i <= text.size(); ++i)
            if (LikeMatch(text.substr(i), pattern.substr(1))) return true;
        return false;
    }
    if (text.empty()) return false;
    const bool same = pattern.front() == '_' ||
                      std::tolower(static_cast<unsigned char>(pattern.front())) ==
                          std::tolower(static_cast<unsigned char>(text.front()));
    return same && LikeMatch(text.substr(1), pattern.substr(1));
}

class TFilterTextParser {
public:
    explicit TFilterTextParser(std::string_view text) : text_(text) {}

    TFilter Parse() {
        TFilter filter;
        SkipSpaces();
        while (pos_ < text_.size()) {
            TFilterCondition condition;
            condition.Open = Count('(');
            condition.Field = ReadIdentifier();
            condition.Op = TFilter::ParseOp(ReadOperator());
            condition.Value = ReadValue();
            condition.Close = Count(')');
            if (pos_ < text_.size()) condition.Connector = TFilter::ParseConnector(ReadIdentifier());
            filter.Add(std::move(condition));
            SkipSpaces();
        }
        return filter;
    }

private:
    int Count(char paren) {
        int count = 0;
        for (SkipSpaces(); pos_ < text_.size() && text_[pos_] == paren; SkipSpaces()) {
            ++pos_;
            ++count;
        }
        return count;
    }

    void SkipSpaces() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw EFilterError("Невалиден филтър '" + std::string(text_) + "': " + what);
    }

    std::string ReadIdentifier() {
        SkipSpaces();
        const size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_' || text_[pos_] == '.'))
            ++pos_;
        if (start == pos_) Fail("очаква се име на поле");
        return std::string(text_.substr(start, pos_ - start));
    }

    std::string ReadOperator() {
        SkipSpaces();
        for (std::string_view op : {"<>", "<=", ">=", "="})
            if (text_.substr(pos_, op.size()) == op) {
                pos_ += op.size();
                return std::string(op);
            }
        return ReadIdentifier();
    }

    Variant ReadValue() {
        SkipSpaces();
        if (pos_ < text_.size() && text_[pos_] == '\'') return ReadQuoted();
        const size_t start = pos_;
        while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_])) && text_[pos_] != ')') ++pos_;
        const std::string word(text_.substr(start, pos_ - start));
        if (word.empty()) Fail("очаква се стойност");
        if (EqualsIgnoreCase(word, "NULL")) return Variant();
        try {
            return Variant(Variant(word).AsFloat());
        } catch (const EVariantError&) {
            Fail("невалидна стойност " + word);
        }
    }

    Variant ReadQuoted() {
        std::string value;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            if (text_[pos_] != '\'') {
                value += text_[pos_];
                continue;
            }
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                value += '\'';
                ++pos_;
                continue;
            }
            ++pos_;
            return Variant(value);
        }
        Fail("незатворени кавички");
    }

    std::string_view text_;
    size_t pos_ = 0;
};

// The conditions as a stream of groups, conditions and connectors, evaluated by descent:
// OR of AND-terms, a term being a condition or a group.
class TFilterEvaluator {
public:
    TFilterEvaluator(const std::vector<TFilterCondition>& conditions,
                     const std::function<Variant(std::string_view)>& valueOf)
        : valueOf_(valueOf) {
        for (size_t i = 0; i < conditions.size(); ++i) {
            const TFilterCondition& c = conditions[i];
            tokens_.insert(tokens_.end(), static_cast<size_t>(c.Open), kOpen);
            tokens_.push_back(static_cast<int>(i));
            tokens_.insert(tokens_.end(), static_cast<size_t>(c.Close), kClose);
            if (i + 1 < conditions.size()) tokens_.push_back(c.Connector == TFilterConnector::fcOr ? kOr : kAnd);
        }
        conditions_ = &conditions;
    }

    bool Evaluate() {
        const bool result = Or();
        if (at_ != tokens_.size()) throw EFilterError("Филтърът има излишна затваряща скоба");
        return result;
    }

private:
    static constexpr int kOpen = -1, kClose = -2, kAnd = -3, kOr = -4;

    bool Or() {
        bool result = And();
        while (Next(kOr)) result = And() || result;
        return result;
    }
    bool And() {
        bool result = Term();
        while (Next(kAnd)) result = Term() && result;
        return result;
    }
    bool Term() {
        if (Next(kOpen)) {
            const bool result = Or();
            if (!Next(kClose)) throw EFilterError("Филтърът има незатворена скоба");
            return result;
        }
        if (at_ >= tokens_.size() || tokens_[at_] < 0) throw EFilterError("Филтърът има празна група");
        const TFilterCondition& c = (*conditions_)[static_cast<size_t>(tokens_[at_++])];
        const Variant left = c.IsLiteral() ? Variant(std::stod(c.Field)) : valueOf_(c.FieldName());
        return TFilter::Compare(left, c.Op, c.Value);
    }
    bool Next(int token) {
        if (at_ >= tokens_.size() || tokens_[at_] != token) return false;
        ++at_;
        return true;
    }

    const std::function<Variant(std::string_view)>& valueOf_;
    const std::vector<TFilterCondition>* conditions_ = nullptr;
    std::vector<int> tokens_;
    size_t at_ = 0;
};

// "Field,=,value[,connector,Field,=,value...]"
bool IsCommaForm(std::string_view text) {
    const size_t first = text.find(',');
    if (first == std::string_view::npos) return false;
    const size_t second = text.find(',', first + 1);
    if (second == std::string_view::npos) return false;
    try {
        TFilter::ParseOp(text.substr(first + 1, second - first - 1));
        return true;
    } catch (const EFilterError&) {
        return false;
    }
}

TFilter ParseCommaForm(std::string_view text) {
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(Trim(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    TFilter filter;
    for (size_t i = 0; i + 2 < parts.size(); i += 4)
        filter.Add(parts[i], parts[i + 1], Variant(parts[i + 2]), i + 3 < parts.size() ? parts[i + 3] : "");
    return filter;
}

// How many times paren leads the text; the text loses them.
int TakeLeading(std::string& text, char paren) {
    int count = 0;
    for (text = Trim(text); !text.empty() && text.front() == paren; text = Trim(text.substr(1))) ++count;
    return count;
}

}  // namespace

bool TFilterCondition::IsLiteral() const {
    return !Field.empty() && Field.find_first_not_of("0123456789.-") == std::string::npos;
}

std::string_view TFilterCondition::FieldName() const {
    const size_t dot = Field.rfind('.');
    return dot == std::string::npos ? std::string_view(Field) : std::string_view(Field).substr(dot + 1);
}

std::string_view TFilterCondition::TableName() const {
    const size_t dot = Field.rfind('.');
    return dot == std::string::npos ? std::string_view() : std::string_view(Field).substr(0, dot);
}

TFilter& TFilter::Add(std::string field, std::string_view op, Variant value, std::string_view connector) {
    TFilterCondition condition;
    condition.Open = TakeLeading(field, '(');
    std::string joint(connector);
    condition.Close = TakeLeading(joint, ')');
    condition.Field = std::move(field);
    condition.Op = ParseOp(op);
    condition.Value = std::move(value);
    condition.Connector = ParseConnector(joint);
    return Add(std::move(condition));
}

TFilter TFilter::Chained(std::vector<TFilterCondition> conditions, TFilterConnector connector) {
    TFilter filter;
    for (size_t i = 0; i < conditions.size(); ++i) {
        conditions[i].Connector = i + 1 < conditions.size() ? connector : TFilterConnector::fcNone;
        filter.Add(std::move(conditions[i]));
    }
    return filter;
}

TFilter& TFilter::Add(TFilterCondition condition) {
    condition.Field = Trim(condition.Field);
    if (condition.Field.empty()) throw EFilterError("Условие на филтър без поле");
    condition.Value = Unquoted(condition.Value);
    if (condition.Op == TFilterOp::opIs && condition.Value.Type() == TVarType::varString &&
        EqualsIgnoreCase(Trim(condition.Value.AsString()), "NULL"))
        condition.Value = Variant();
    conditions_.push_back(std::move(condition));
    return *this;
}

TFilterOp TFilter::ParseOp(std::string_view padded) {
    const std::string trimmed = Trim(padded);
    const std::string_view op = trimmed;
    if (op == "=") return TFilterOp::opEqual;
    if (op == "<>") return TFilterOp::opNotEqual;
    if (op == "<=") return TFilterOp::opLessEqual;
    if (op == ">=") return TFilterOp::opGreaterEqual;
    if (EqualsIgnoreCase(op, "IS")) return TFilterOp::opIs;
    if (EqualsIgnoreCase(op, "LIKE")) return TFilterOp::opLike;
    throw EFilterError("Непознат оператор във филтър: '" + std::string(op) + "'");
}

TFilterConnector TFilter::ParseConnector(std::string_view padded) {
    const std::string trimmed = Trim(padded);
    const std::string_view connector = trimmed;
    if (connector.empty()) return TFilterConnector::fcNone;
    if (EqualsIgnoreCase(connector, "AND")) return TFilterConnector::fcAnd;
    if (EqualsIgnoreCase(connector, "OR")) return TFilterConnector::fcOr;
    throw EFilterError("Непозната връзка между условия: '" + std::string(connector) + "'");
}

std::string_view TFilter::OpText(TFilterOp op) {
    switch (op) {
        case TFilterOp::opEqual: return "=";
        case TFilterOp::opNotEqual: return "<>";
        case TFilterOp::opLessEqual: return "<=";
        case TFilterOp::opGreaterEqual: return ">=";
        case TFilterOp::opIs: return "IS";
        case TFilterOp::opLike: return "LIKE";
    }
    return "=";
}

std::string_view TFilter::ConnectorText(TFilterConnector connector) {
    switch (connector) {
        case TFilterConnector::fcAnd: return "AND";
        case TFilterConnector::fcOr: return "OR";
        default: return "";
    }
}

TFilter TFilter::Parse(std::string_view text) {
    return IsCommaForm(text) ? ParseCommaForm(text) : TFilterTextParser(text).Parse();
}

bool TFilter::Compare(const Variant& left, TFilterOp op, const Variant& right) {
    switch (op) {
        case TFilterOp::opIs: {
            const bool notNull = !right.IsNull() && EqualsIgnoreCase(right.AsString(), "NOT NULL");
            return notNull ? !left.IsNull() : left.IsNull();
        }
        case TFilterOp::opLike: return !left.IsNull() && LikeMatch(left.AsString(), right.AsString());
        default: break;
    }
    if (left.IsNull() || right.IsNull()) return false;
    const int order = ThreeWay(left, right);
    switch (op) {
        case TFilterOp::opEqual: return order == 0;
        case TFilterOp::opNotEqual: return order != 0;
        case TFilterOp::opLessEqual: return order <= 0;
        case TFilterOp::opGreaterEqual: return order >= 0;
        default: return false;
    }
}

bool TFilter::Matches(const std::function<Variant(std::string_view)>& valueOf) const {
    return conditions_.empty() || TFilterEvaluator(conditions_, valueOf).Evaluate();
}

Variant Unquoted(const Variant& value) {
    if (value.Type() != TVarType::varString) return value;
    const std::string& text = value.AsString();
    if (text.size() < 2 || text.front() != '\'' || text.back() != '\'') return value;
    std::string inner;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\'' && text[i + 1] == '\'' && i + 2 < text.size()) ++i;
        inner += text[i];
    }
    return Variant(inner);
}

}  // namespace tavrek
