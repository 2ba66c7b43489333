#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/data/Variant.h"

namespace tavrek {

class TClientDataSet;

enum class TFieldType { ftString, ftInteger, ftFloat, ftBoolean, ftDateTime };

// A column of a dataset. Reads and writes the current record of its dataset; a value
// written is converted to the field's type, so an integer field never holds text.
class TField {
public:
    TField(TClientDataSet& dataSet, std::string name, TFieldType type, int index);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    const std::string& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    int Index() const { return index_; }
    TClientDataSet& DataSet() const { return *dataSet_; }

    bool IsNull() const { return ValueRef().IsNull(); }
    Variant Value() const { return ValueRef(); }
    const Variant& ValueRef() const;
    void SetValue(const Variant& value);

    double AsFloat() const { return ValueRef().AsFloat(); }
    void SetAsFloat(double value) { SetValue(Variant(value)); }
    int64_t AsInteger() const { return ValueRef().AsInteger(); }
    void SetAsInteger(int64_t value) { SetValue(Variant(value)); }
    std::string AsString() const { return ValueRef().AsString(); }
    void SetAsString(const std::string& value) { SetValue(Variant(value)); }
    bool AsBoolean() const { return ValueRef().AsBoolean(); }
    void SetAsBoolean(bool value) { SetValue(Variant(value)); }
    TDateTime AsDateTime() const { return ValueRef().AsDateTime(); }
    void SetAsDateTime(TDateTime value) { SetValue(Variant(value)); }
    void Clear() { SetValue(Variant()); }

    // Converts a value to what a field of the given type stores; throws EVariantError.
    static Variant Coerce(const Variant& value, TFieldType type);

    std::string DisplayLabel;
    int DisplayWidth = 0;
    bool Visible = true;
    bool ReadOnly = false;
    bool Required = false;

    // Runs after a new value is set, whether or not it differs from the old one.
    std::function<void(TField&)> OnChange;
    // Runs with the new value in the record, before OnChange; an exception rejects the value
    // (the old one is put back) and passes on.
    std::function<void(TField&)> OnValidate;

private:
    TClientDataSet* dataSet_;
    std::string name_;
    TFieldType type_;
    int index_;
};

}  // namespace tavrek
