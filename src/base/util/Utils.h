#pragma once

#include <string>
#include <string_view>

namespace tavrek {

class TClientDataSet;

// Rounds to the given number of decimal places, halves away from zero: 2.675 -> 2.68 and
// -2.675 -> -2.68. A double that lies within representation noise of a half (2.675 is
// stored as 2.67499999999999982236431605997495353221893310546875) counts as that half,
// so results match the decimal arithmetic a person does by hand. The result is the
// double nearest to the rounded decimal. Negative decimals round to tens, hundreds, ...
double RoundUp(double value, int decimals);

// A number as a person reads it in Bulgarian: the given decimals after a comma, rounded as
// RoundUp rounds, thousands apart by a no-break space from five digits on ("12 345,50",
// "1234,50"), as the desktop's Bulgarian locale writes them; never "-0,00".
std::string NumberText(double value, int decimals);
// An amount as a message shows it: NumberText with two decimals ("2,68" for 2.675).
std::string AmountText(double value);

// A new key in the GUID text form "{8-4-4-4-12}" with upper-case hex digits.
std::string CreateUniqueID();

// Sets the base-unit companion of a quantity field ("Quantity" -> "Quantity_Base") to the
// field times QtyPerUnitOfMeasure (1 when that is 0 or missing); nothing when the
// companion does not exist. The line must be in edit mode. Guards with Calculating.
void CalcBaseQuantity(TClientDataSet& line, std::string_view fieldName, bool& Calculating);

// Adds a maintained aggregate to an open dataset, replacing one of the same name.
void CreateDynamicAggregate(TClientDataSet& dataSet, const std::string& name, const std::string& expression);

enum class TMarkMode { mmMark = 0, mmUnmark = 1, mmInvert = 2 };
// Sets a flag field (0/1) on every visible record: mark, unmark or invert. The current
// record is kept.
void MarkRecords(TClientDataSet& dataSet, int mode, std::string_view fieldName);

}  // namespace tavrek
