#pragma once

#include <string>
#include <string_view>

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "base/data/TField.h"
#include "base/server/TRequestResult.h"
#include "base/data/Variant.h"

namespace tavrek::server {

// Binds a value as a parameter: dates as serial days, Booleans as 0 and 1.
void BindVariant(SQLite::Statement& statement, int index, const Variant& value);
// Reads a column as a value of the given field type; dates come back as TDateTime.
Variant ReadColumn(const SQLite::Column& column, TFieldType type);
// Reads a result column by its declared type when it has one (a table column), else by
// the type of the value (an expression such as SUM(Amount)).
Variant ReadResultColumn(const SQLite::Column& column, const char* declaredType);
// The field type for a declared SQL column type; DATETIME and DATE columns are dates.
TFieldType FieldTypeOfDeclared(std::string_view declaredType);

// Binds values to the parameters 1..n in order.
void BindAll(SQLite::Statement& statement, const TVariantArray& values);
// The declared type of a result column; nullptr for an expression.
const char* DeclaredType(const SQLite::Statement& statement, int index);
// Runs a bound query and returns every row under the statement's column names.
TRequestResult SelectRows(SQLite::Statement& statement);
TRequestResult SelectRows(SQLite::Database& db, const std::string& sql, const TVariantArray& values = {});
// Runs a statement that changes rows; returns the number changed.
int ExecuteBound(SQLite::Database& db, const std::string& sql, const TVariantArray& values);

}  // namespace tavrek::server
