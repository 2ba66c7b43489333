#include "server/SqlValue.h"

#include <stdexcept>
#include <vector>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>

#include "base/util/Text.h"

namespace tavrek::server {

void BindVariant(SQLite::Statement& statement, int index, const Variant& value) {
    switch (value.Type()) {
        case TVarType::varNull: statement.bind(index); break;
        case TVarType::varBoolean: statement.bind(index, value.AsBoolean() ? 1 : 0); break;
        case TVarType::varInteger: statement.bind(index, value.AsInteger()); break;
        case TVarType::varDouble: statement.bind(index, value.AsFloat()); break;
        case TVarType::varDate: statement.bind(index, value.AsDateTime().Serial()); break;
        case TVarType::varString: statement.bind(index, value.AsString()); break;
    }
}

Variant ReadColumn(const SQLite::Column& column, TFieldType type) {
    if (column.isNull()) return Variant();
    switch (type) {
        case TFieldType::ftInteger:
            return column.isText() ? Variant(column.getString()) : Variant(column.getInt64());
        case TFieldType::ftFloat:
            return column.isText() ? Variant(column.getString()) : Variant(column.getDouble());
        case TFieldType::ftBoolean: return Variant(column.getInt64() != 0);
        case TFieldType::ftDateTime:
            if (!column.isText()) return Variant(TDateTime(column.getDouble()));
            try {
                return Variant(TDateTime::Parse(column.getString()));
            } catch (const std::invalid_argument&) {
                return Variant();
            }
        case TFieldType::ftString: break;
    }
    return Variant(column.getString());
}

Variant ReadResultColumn(const SQLite::Column& column, const char* declaredType) {
    if (declaredType != nullptr && *declaredType != '\0') return ReadColumn(column, FieldTypeOfDeclared(declaredType));
    const int type = column.getType();
    if (type == SQLite::INTEGER) return Variant(column.getInt64());
    if (type == SQLite::FLOAT) return Variant(column.getDouble());
    if (type == SQLite::Null) return Variant();
    return Variant(column.getString());
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

void BindAll(SQLite::Statement& statement, const TVariantArray& values) {
    for (size_t i = 0; i < values.size(); ++i) BindVariant(statement, static_cast<int>(i + 1), values[i]);
}

const char* DeclaredType(const SQLite::Statement& statement, int index) {
    try {
        return statement.getColumnDeclaredType(index);
    } catch (const SQLite::Exception&) {
        return nullptr;  // an expression column
    }
}

TRequestResult SelectRows(SQLite::Statement& statement) {
    TRequestResult result;
    const int count = statement.getColumnCount();
    // Copied: SQLite may re-prepare the statement on its first step, freeing its type texts.
    std::vector<std::string> declared;
    for (int i = 0; i < count; ++i) {
        result.Columns.emplace_back(statement.getColumnName(i));
        const char* type = DeclaredType(statement, i);
        declared.emplace_back(type == nullptr ? "" : type);
    }
    while (statement.executeStep()) {
        TVariantArray row;
        row.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) row.push_back(ReadResultColumn(statement.getColumn(i), declared[static_cast<size_t>(i)].c_str()));
        result.Rows.push_back(std::move(row));
    }
    return result;
}

TRequestResult SelectRows(SQLite::Database& db, const std::string& sql, const TVariantArray& values) {
    SQLite::Statement statement(db, sql);
    BindAll(statement, values);
    return SelectRows(statement);
}

int ExecuteBound(SQLite::Database& db, const std::string& sql, const TVariantArray& values) {
    SQLite::Statement statement(db, sql);
    BindAll(statement, values);
    return statement.exec();
}

}  // namespace tavrek::server
