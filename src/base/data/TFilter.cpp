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
            condition.Field = ReadIdentifier();
            condition.Op = TFilter::ParseOp(ReadOperator());
            condition.Value = ReadValue();
            SkipSpaces();
            if (pos_ < text_.size()) condition.Connector = TFilter::ParseConnector(ReadIdentifier());
            filter.Add(std::move(condition));
            SkipSpaces();
        }
        return filter;
    }

private:
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
        while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
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

}  // namespace

std::string_view TFilterCondition::FieldName() const {
    const size_t dot = Field.rfind('.');
    return dot == std::string::npos ? std::string_view(Field) : std::string_view(Field).substr(dot + 1);
}

std::string_view TFilterCondition::TableName() const {
    const size_t dot = Field.rfind('.');
    return dot == std::string::npos ? std::string_view() : std::string_view(Field).substr(0, dot);
}

TFilter& TFilter::Add(std::string field, std::string_view op, Variant value, std::string_view connector) {
    return Add(TFilterCondition{std::move(field), ParseOp(op), std::move(value), ParseConnector(connector)});
}

TFilter& TFilter::Add(TFilterCondition condition) {
    if (condition.Field.empty()) throw EFilterError("Условие на филтър без поле");
    conditions_.push_back(std::move(condition));
    return *this;
}

TFilterOp TFilter::ParseOp(std::string_view op) {
    if (op == "=") return TFilterOp::opEqual;
    if (op == "<>") return TFilterOp::opNotEqual;
    if (op == "<=") return TFilterOp::opLessEqual;
    if (op == ">=") return TFilterOp::opGreaterEqual;
    if (EqualsIgnoreCase(op, "IS")) return TFilterOp::opIs;
    if (EqualsIgnoreCase(op, "LIKE")) return TFilterOp::opLike;
    throw EFilterError("Непознат оператор във филтър: '" + std::string(op) + "'");
}

// Callers write connectors as they read in the statement (" AND"): blanks around them count for nothing.
TFilterConnector TFilter::ParseConnector(std::string_view connector) {
    while (!connector.empty() && connector.front() == ' ') connector.remove_prefix(1);
    while (!connector.empty() && connector.back() == ' ') connector.remove_suffix(1);
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

TFilter TFilter::Parse(std::string_view text) { return TFilterTextParser(text).Parse(); }

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
    // OR of AND-groups: a group holds while all of its conditions hold.
    bool group = true;
    for (const TFilterCondition& c : conditions_) {
        group = group && Compare(valueOf(c.FieldName()), c.Op, c.Value);
        if (c.Connector == TFilterConnector::fcOr) {
            if (group) return true;
            group = true;
        }
    }
    return group;
}

}  // namespace tavrek
