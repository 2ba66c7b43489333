#pragma once

#include <string>
#include <string_view>

#include "base/data/TField.h"
#include "base/data/Variant.h"
#include "base/server/TRequestResult.h"
#include "server/db/TDbSession.h"

namespace tavrek::server {

// A value read from the database as a value of the given field type: the engines hand
// out dates as serial days and some numbers as text.
Variant ReadColumn(const Variant& value, TFieldType type);
// The field type for a declared SQL column type; DATETIME, DATE and DATEREAL columns are dates.
TFieldType FieldTypeOfDeclared(std::string_view declaredType);

// Runs a bound query and returns every row under the statement's column names.
TRequestResult SelectRows(TDbSession& db, const std::string& sql, const TVariantArray& values = {});
// Runs a statement that changes rows; returns the number changed.
int ExecuteBound(TDbSession& db, const std::string& sql, const TVariantArray& values);

}  // namespace tavrek::server
