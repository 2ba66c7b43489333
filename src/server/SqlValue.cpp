#include "server/SqlValue.h"

#include <stdexcept>

#include "base/util/Text.h"

namespace tavrek::server {
namespace {

Variant DateOf(const Variant& value) {
    if (value.Type() != TVarType::varString) return Variant(TDateTime(value.AsFloat()));
    try {
        return Variant(TDateTime::Parse(value.AsString()));
    } catch (const std::invalid_argument&) {
        return Variant();
    }
}

}  // namespace

Variant ReadColumn(const Variant& value, TFieldType type) {
    if (value.IsNull()) return Variant();
    switch (type) {
        case TFieldType::ftInteger:
            return value.Type() == TVarType::varString ? value : Variant(value.AsInteger());
        case TFieldType::ftFloat:
            return value.Type() == TVarType::varString ? value : Variant(value.AsFloat());
        case TFieldType::ftBoolean: return Variant(value.AsInteger() != 0);
        case TFieldType::ftDateTime: return value.Type() == TVarType::varDate ? value : DateOf(value);
        case TFieldType::ftString: break;
    }
    return value.Type() == TVarType::varString ? value : Variant(value.AsString());
}

TFieldType FieldTypeOfDeclared(std::string_view declaredType) {
    const std::string type = ToLowerAscii(declaredType);
    if (type.find("date") != std::string::npos || type.find("time") != std::string::npos)
        return TFieldType::ftDateTime;
    if (type.find("int") != std::string::npos) return TFieldType::ftInteger;
    if (type.find("real") != std::string::npos || type.find("floa") != std::string::npos ||
        type.find("doub") != std::string::npos || type.find("num") != std::string::npos)
        return TFieldType::ftFloat;
    return TFieldType::ftString;
}

TRequestResult SelectRows(TDbSession& db, const std::string& sql, const TVariantArray& values) {
    return db.Select(sql, values);
}

int ExecuteBound(TDbSession& db, const std::string& sql, const TVariantArray& values) {
    return db.Execute(sql, values);
}

}  // namespace tavrek::server
