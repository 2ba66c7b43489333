#pragma once

#include <cstdint>
#include <map>

#include <QDate>
#include <QLocale>
#include <QString>
#include <QVariant>

#include "base/data/TField.h"
#include "base/data/Variant.h"

namespace tavrek::desktop {

// How a column shows its numbers: amounts and unit prices follow the session's
// precisions, quantities keep what was typed.
enum class TNumberKind { nkNone, nkAmount, nkUnitPrice, nkQuantity, nkInteger };

// Guesses the kind from the field name and type: "...Price..." and "...Cost..." are
// unit prices, "Quantity..."/"Qty..." quantities, other floats amounts.
TNumberKind NumberKindOf(const std::string& fieldName, TFieldType type);
int DecimalsOf(TNumberKind kind);

// Every number and date a person reads, on screen, in print and in hints, is written the
// Bulgarian way: "1 234,50", "08.12.2026".
const QLocale& Bulgarian();
QString NumberText(double value, int decimals);
QString DateText(const QDate& date);
// A 0/1 flag where no check box can be drawn: "Да" or "Не"; nothing for no value.
QString FlagText(const Variant& value);

QDate ToQDate(TDateTime value);
TDateTime FromQDate(const QDate& date);

// Decimals of a display format such as "0.00" or "#,##0.000"; -1 when it names none.
int DecimalsOfFormat(const std::string& displayFormat);

// The names of an integer column's values from a "names:" display format; empty for others.
std::map<int64_t, QString> ValueNamesOfFormat(const std::string& displayFormat);

// The text a cell or an edit shows for a value; decimals >= 0 overrides the kind's.
QString DisplayText(const Variant& value, TFieldType type, TNumberKind kind, int decimals = -1);
// The value an editor starts from: text for numbers (so no digits are lost), QDate for
// dates.
QVariant EditValue(const Variant& value, TFieldType type);
// What a typed or chosen value becomes before it goes to TField::SetValue. Text in a
// number field accepts both "," and "." as the decimal separator.
Variant FromEditValue(const QVariant& value, TFieldType type);

// What is wrong with text typed for a number with at most the given decimals (-1: any), in
// the words of the message table; empty when it is a valid number.
QString NumberInputError(const QString& text, int decimals);
// Decimals a typed number of a field may have: the column's format, else the session's
// precision of the field's kind; -1 for any.
int InputDecimals(TNumberKind kind, int formatDecimals);

QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

}  // namespace tavrek::desktop
