#include "base/data/TField.h"

#include <cmath>

#include "base/data/EVariantError.h"
#include "base/data/TClientDataSet.h"

namespace tavrek {

TField::TField(TClientDataSet& dataSet, std::string name, TFieldType type, int index)
    : DisplayLabel(name), dataSet_(&dataSet), name_(std::move(name)), type_(type), index_(index) {}

const Variant& TField::ValueRef() const { return dataSet_->CurrentValues()[index_]; }

void TField::SetValue(const Variant& value) { dataSet_->SetFieldValue(index_, Coerce(value, type_)); }

Variant TField::Coerce(const Variant& value, TFieldType type) {
    if (value.IsNull()) return value;
    switch (type) {
        case TFieldType::ftString:
            return value.Type() == TVarType::varString ? value : Variant(value.AsString());
        case TFieldType::ftInteger: return Variant(value.AsInteger());
        case TFieldType::ftFloat: {
            const double number = value.AsFloat();
            if (!std::isfinite(number)) throw EVariantError("Невалидна числова стойност");
            return Variant(number);
        }
        case TFieldType::ftBoolean: return Variant(value.AsBoolean());
        case TFieldType::ftDateTime: return Variant(value.AsDateTime());
    }
    return value;
}

}  // namespace tavrek
