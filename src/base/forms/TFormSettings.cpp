#include "base/forms/TFormSettings.h"

namespace tavrek {
namespace {

std::string Key(const std::string& formClass, const TGrid& grid) { return formClass + "." + grid.Name; }

}  // namespace

TFormSettings& TFormSettings::Instance() {
    static TFormSettings settings;
    return settings;
}

void TFormSettings::Save(const std::string& formClass, const TGrid& grid) {
    TGridSettings columns;
    for (const TGridColumn& column : grid.Columns) columns.push_back({column.FieldName, column.Width, column.Visible});
    grids_[Key(formClass, grid)] = std::move(columns);
}

void TFormSettings::Apply(const std::string& formClass, TGrid& grid) const {
    const auto it = grids_.find(Key(formClass, grid));
    if (it == grids_.end()) return;
    for (const TColumn& stored : it->second) {
        TGridColumn* column = grid.FindColumn(stored.FieldName);
        if (column == nullptr) continue;
        column->Width = stored.Width;
        column->Visible = stored.Visible;
    }
}

}  // namespace tavrek
