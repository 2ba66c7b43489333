#include "desktop/TColumnLayout.h"

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"

namespace tavrek::desktop {
namespace {

// Key fields whose codes ("PCS", "VAT20") mean nothing to a reader: they show the name the
// master table gives them ("бр.", "ДДС 20 %").
struct TNamedKey {
    const char* Field;
    const char* Table;
};
constexpr TNamedKey kNamedKeys[] = {
    {"Measure_Id", "N_Measure"},
    {"BaseMeasure_Id", "N_Measure"},
    {"PurchMeasure_Id", "N_Measure"},
    {"VATProdPostGroup_Id", "N_VATProdPostingGroup"},
    {"VATBusPostGroup_Id", "N_VATBusPostingGroup"},
    {"GenProdPostGroup_Id", "N_GenProdPostingGroup"},
    {"GenBusPostGroup_Id", "N_GenBusPostingGroup"},
};

// 0/1 integers of the datasets that read as yes or no.
constexpr const char* kFlagFields[] = {"Annul", "PriceIncludingVAT", "AllowInvoiceDisc", "DocStatus", "DirectPay",
                                       "DoNotIncInVATLedger", "NotIncludeVatLedger", "DoNotIncInIntrastat",
                                       "IsGlobalInvoice", "IsGlobalCrMemo", "GlobDocIsPosted", "Marked", "IsVendor"};

const char* NamesTableOf(const std::string& fieldName) {
    for (const TNamedKey& key : kNamedKeys)
        if (EqualsIgnoreCase(fieldName, key.Field)) return key.Table;
    return nullptr;
}

void Describe(TColumnLayout& layout, const TField& field) {
    layout.Kind = NumberKindOf(field.FieldName(), field.DataType());
    layout.Flag = IsFlagField(field.FieldName());
    if (const char* table = NamesTableOf(field.FieldName())) layout.NamesTable = table;
}

TColumnLayout ColumnOf(const TGridColumn& column, TClientDataSet& dataSet, int fieldIndex) {
    const TField& field = dataSet.Fields(fieldIndex);
    TColumnLayout layout;
    layout.FieldIndex = fieldIndex;
    const std::string described = FieldCaption(field.FieldName());
    layout.Caption = ToQ(!column.Caption.empty() ? column.Caption : !described.empty() ? described : field.DisplayLabel);
    layout.Width = column.Width;
    layout.ReadOnly = column.ReadOnly;
    Describe(layout, field);
    layout.Decimals = DecimalsOfFormat(column.DisplayFormat);
    layout.Flag = layout.Flag || column.DisplayFormat == kCheckBoxFormat;
    layout.ValueNames = ValueNamesOfFormat(column.DisplayFormat);
    layout.FooterAggregate = ToQ(column.FooterAggregate);
    layout.FooterText = ToQ(column.FooterText);
    return layout;
}

}  // namespace

bool IsFlagField(const std::string& fieldName) {
    for (const char* flag : kFlagFields)
        if (EqualsIgnoreCase(fieldName, flag)) return true;
    return false;
}

QString KeyName(const std::string& table, const Variant& key) {
    // The names are few and do not change while the client runs: each table is read once per server.
    static std::map<std::pair<const void*, std::string>, std::map<std::string, QString>> names;
    const void* server = &dm().Server();
    auto [found, added] = names.try_emplace({server, table});
    if (added) {
        TRequestResult rows;
        dm().Server().RequestValue(0, table, "Id, Name", TFilter(), rows, true);
        for (size_t i = 0; i < rows.Rows.size(); ++i)
            found->second[rows.Value(i, 0).AsString()] = ToQ(rows.Value(i, 1).AsString());
    }
    const auto name = found->second.find(key.AsString());
    return name == found->second.end() || name->second.isEmpty() ? ToQ(key.AsString()) : name->second;
}

std::vector<TColumnLayout> DefaultColumns(TClientDataSet& dataSet) {
    std::vector<TColumnLayout> columns;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const TField& field = dataSet.Fields(i);
        if (!field.Visible) continue;
        TColumnLayout column;
        column.FieldIndex = i;
        column.Caption = ToQ(field.DisplayLabel);
        column.ReadOnly = field.ReadOnly;
        Describe(column, field);
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
    if (column.Flag) return FlagText(value);
    if (!column.NamesTable.empty() && !value.IsNull() && !value.IsEmpty()) return KeyName(column.NamesTable, value);
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
