#pragma once

#include <set>
#include <string>

#include "base/data/Variant.h"

namespace tavrek {

enum class TAggregateKind { akSum, akMin, akMax, akCount };

// A maintained aggregate over one field of all records of a dataset. Kept up to date
// on every post and delete, never by walking the records. SUM accumulates in fixed point
// (10^-9 units) so that adding and removing the same values leaves no residue.
class TAggregate {
public:
    TAggregate(std::string name, std::string expression, TAggregateKind kind, int fieldIndex);

    // Parses "SUM(Field)", "MIN(...)", "MAX(...)", "COUNT(...)"; throws EDatabaseError.
    static void ParseExpression(const std::string& expression, TAggregateKind& kind, std::string& field);

    const std::string& Name() const { return name_; }
    const std::string& Expression() const { return expression_; }
    TAggregateKind Kind() const { return kind_; }
    int FieldIndex() const { return fieldIndex_; }

    bool Active = true;

    void Add(const Variant& value);
    void Remove(const Variant& value);
    void Reset();
    // Null while no record holds a value (COUNT gives 0).
    Variant Value() const;

private:
    std::string name_;
    std::string expression_;
    TAggregateKind kind_;
    int fieldIndex_;
    __int128 sum_ = 0;
    int64_t count_ = 0;
    std::multiset<double> values_;
};

}  // namespace tavrek
