#pragma once

#include <string>
#include <utility>
#include <vector>

#include <QString>

namespace tavrek::desktop {

class TDataSetModel;

// What a sheet says above its table: the form's caption and the filter the rows were
// chosen by, one caption and value a line.
struct TExcelHeading {
    QString Title;
    std::vector<std::pair<QString, QString>> Filter;
};

// Writes the rows a grid model shows to an .xlsx file, the columns given (model columns, in
// the order shown) under their captions: numbers and dates as numbers in the grid's format,
// names and flags as the grid reads them, the footer in bold under the last row. Returns the
// rows written; a file that cannot be written throws std::runtime_error with the reason.
int ExportToExcel(const std::string& path, const TExcelHeading& heading, TDataSetModel& model,
                  const std::vector<int>& columns);

}  // namespace tavrek::desktop
