#pragma once

#include <cstdint>
#include <map>

#include <QString>

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
    QString FooterAggregate;
    QString FooterText;
};

}  // namespace tavrek::desktop
