#include "desktop/TColumnLayout.h"

#include "base/ui/Messages.h"

namespace tavrek::desktop {
namespace {

TColumnLayout ColumnOf(const TGridColumn& column, TClientDataSet& dataSet, int fieldIndex) {
    const TField& field = dataSet.Fields(fieldIndex);
    TColumnLayout layout;
    layout.FieldIndex = fieldIndex;
    const std::string described = FieldCaption(field.FieldName());
    layout.Caption = ToQ(!column.Caption.empty() ? column.Caption : !described.empty() ? described : field.DisplayLabel);
    layout.Width = column.Width;
    layout.ReadOnly = column.ReadOnly;
    layout.Kind = NumberKindOf(field.FieldName(), field.DataType());
    layout.Decimals = DecimalsOfFormat(column.DisplayFormat);
    layout.Flag = column.DisplayFormat == kCheckBoxFormat;
    layout.ValueNames = ValueNamesOfFormat(column.DisplayFormat);
    layout.FooterAggregate = ToQ(column.FooterAggregate);
    layout.FooterText = ToQ(column.FooterText);
    return layout;
}

}  // namespace

std::vector<TColumnLayout> DefaultColumns(TClientDataSet& dataSet) {
    std::vector<TColumnLayout> columns;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const TField& field = dataSet.Fields(i);
        if (!field.Visible) continue;
        TColumnLayout column;
        column.FieldIndex = i;
        column.Caption = ToQ(field.DisplayLabel);
        column.ReadOnly = field.ReadOnly;
        column.Kind = NumberKindOf(field.FieldName(), field.DataType());
        columns.push_back(column);
    }
    return columns;
}

std::vector<TColumnLayout> GridColumns(const TGrid& grid, TClientDataSet& dataSet) {
    if (grid.Columns.empty()) return DefaultColumns(dataSet);
    std::vector<TColumnLayout> columns;
    for (const TGridColumn& column : grid.Columns) {
        const TField* field = dataSet.FindField(column.FieldName);
        if (column.Visible && field != nullptr) columns.push_back(ColumnOf(column, dataSet, field->Index()));
    }
    return columns;
}

QString CellText(const TColumnLayout& column, TFieldType type, const Variant& value) {
    if (column.Flag) return !value.IsNull() && value.AsFloat() != 0.0 ? QStringLiteral("Да") : QString();
    if (!column.ValueNames.empty() && !value.IsNull()) {
        const auto name = column.ValueNames.find(value.AsInteger());
        if (name != column.ValueNames.end()) return name->second;
    }
    return DisplayText(value, type, column.Kind, column.Decimals);
}

QString FooterText(const TColumnLayout& column, TClientDataSet& dataSet) {
    if (column.FooterAggregate.isEmpty()) return column.FooterText;
    if (!dataSet.Active() || dataSet.FindAggregate(FromQ(column.FooterAggregate)) == nullptr) return {};
    Variant value = dataSet.AggregateValue(FromQ(column.FooterAggregate));
    // A sum over no lines is nothing to the dataset and zero to the reader.
    if (value.IsNull()) value = Variant(0.0);
    if (value.Type() == TVarType::varInteger) return QString::number(value.AsInteger());
    const TFieldType type = dataSet.Fields(column.FieldIndex).DataType();
    const TNumberKind kind = column.Kind == TNumberKind::nkNone ? TNumberKind::nkAmount : column.Kind;
    return DisplayText(value, type == TFieldType::ftString ? TFieldType::ftFloat : type, kind, column.Decimals);
}

}  // namespace tavrek::desktop
