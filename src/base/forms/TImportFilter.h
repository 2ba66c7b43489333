#pragma once

#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"

namespace tavrek {

// How a vendor's text file is read: the field separator, whether the first row is a heading,
// and the dataset field of each column. Without columns the heading row names the fields.
class TImportFilter {
public:
    std::string Name;
    char Separator = ';';
    bool HasHeading = true;
    std::vector<std::string> Columns;

    // The filters offered to the user: semicolon, comma and tab separated text.
    static const std::vector<TImportFilter>& Filters();
};

// A record of a text file with the number of the line it starts on.
struct TCsvRow {
    size_t Number = 0;
    std::vector<std::string> Cells;
};

// Reads RFC 4180 text: quoted cells may hold separators, line breaks and doubled quotes.
// Throws EFormError naming the line of a malformed record.
std::vector<TCsvRow> ParseCsvRows(const std::string& text, char separator);

// The import log of the current import: lines about rows that were not taken.
void ImportInitLog(const std::string& caption);
void ImportLog(const std::string& line);
// Ends the log and returns its lines (the caption first when anything was logged).
std::vector<std::string> ImportCloseLog();

// Lets the user choose a filter; false when cancelled.
bool SelectImportFilter(TImportFilter& filter);
// Lets the user choose the data file; false when cancelled.
bool SelectDataFile(std::string& path);

// Appends the file's rows to target (opened with its fields first when it is not active).
// The file is RFC 4180 text in UTF-8, with or without a byte order mark. Numbers may use a
// decimal comma, dates may be "dd.mm.yyyy" or "yyyy-mm-dd"; a row with a value that does not
// convert is left out and logged, or, allOrNothing, fails the import. Returns the rows taken;
// throws EFormError naming the row when the file is malformed, and when it cannot be read or
// names no field of target; target is then as it was.
int RequestImport(const TImportFilter& filter, const std::string& path, TClientDataSet& target,
                  bool allOrNothing = false);

}  // namespace tavrek
