#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <QString>

#include "base/data/TClientDataSet.h"
#include "base/forms/TFormDescription.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {

// One grid column as the host shows it: which field, how it reads and what its footer
// shows (a maintained aggregate of the dataset, or nothing).
struct TColumnLayout {
    int FieldIndex = 0;
    QString Caption;
    int Width = 0;  // pixels; 0 lets the grid pick from the caption
    bool ReadOnly = false;
    bool Flag = false;  // an integer 0/1 shown as a check box
    TNumberKind Kind = TNumberKind::nkNone;
    int Decimals = -1;  // from the column's display format; -1 follows Kind
    std::map<int64_t, QString> ValueNames;  // an integer column shown by name
    std::string NamesTable;                 // a key column shown by its master row's name
    QString FooterAggregate;
    QString FooterText;
};

// Whether a 0/1 integer field reads as yes or no (a check box on screen).
bool IsFlagField(const std::string& fieldName);
// The name of a master row of the table ("бр." for the unit PCS); the key itself when it has none.
QString KeyName(const std::string& table, const Variant& key);

// Columns for every visible field of the dataset, in field order.
std::vector<TColumnLayout> DefaultColumns(TClientDataSet& dataSet);
// The visible columns of a described grid whose fields the dataset has; a grid that
// describes none shows every visible field.
std::vector<TColumnLayout> GridColumns(const TGrid& grid, TClientDataSet& dataSet);

// The text of a cell: the value's name where the column names it, else the value as its
// kind reads. A check box column reads "Да" or "Не", for printouts that draw no box.
QString CellText(const TColumnLayout& column, TFieldType type, const Variant& value);
// The text under a column: its aggregate's value, else its fixed text.
QString FooterText(const TColumnLayout& column, TClientDataSet& dataSet);

}  // namespace tavrek::desktop
