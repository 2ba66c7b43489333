#include "base/forms/TFormDescription.h"

#include "base/util/Text.h"

namespace tavrek {

void TGrid::AddColumns(std::initializer_list<TGridColumnRow> rows) {
    for (const TGridColumnRow& row : rows) AddColumn(row.Field, row.Caption, row.Width).DisplayFormat = row.Format;
}

TGridColumn& TGrid::AddColumn(const std::string& fieldName, const std::string& caption, int width) {
    TGridColumn column;
    column.FieldName = fieldName;
    column.Caption = caption;
    column.Width = width;
    Columns.push_back(std::move(column));
    return Columns.back();
}

TGridColumn* TGrid::FindColumn(std::string_view fieldName) {
    for (TGridColumn& column : Columns)
        if (EqualsIgnoreCase(column.FieldName, fieldName)) return &column;
    return nullptr;
}

void TPanelList::ClearValues() {
    for (TPanelRow& row : Rows) row.Value.clear();
}

TPanelList& TSidePanel::AddList(const std::string& name, const std::string& caption,
                                std::vector<std::string> rowCaptions) {
    TPanelList list;
    list.Name = name;
    list.Caption = caption;
    for (std::string& rowCaption : rowCaptions) list.Rows.push_back({std::move(rowCaption), ""});
    Lists.push_back(std::move(list));
    return Lists.back();
}

TPanelList* TSidePanel::FindList(std::string_view name) {
    for (TPanelList& list : Lists)
        if (EqualsIgnoreCase(list.Name, name)) return &list;
    return nullptr;
}

TFormPage& TFormDescription::AddPage(const std::string& name, const std::string& caption) {
    Pages.push_back({name, caption, true});
    return Pages.back();
}

THeaderField& TFormDescription::AddField(const std::string& fieldName, const std::string& caption, TFieldKind kind,
                                         const std::string& page) {
    THeaderField field;
    field.FieldName = fieldName;
    field.Caption = caption;
    field.Kind = kind;
    field.Page = page;
    Fields.push_back(std::move(field));
    return Fields.back();
}

void TFormDescription::AddFields(std::initializer_list<THeaderFieldRow> rows) {
    for (const THeaderFieldRow& row : rows) AddField(row.Field, row.Caption, row.Kind, row.Page);
}

void TFormDescription::AddReadOnlyFields(std::initializer_list<THeaderFieldRow> rows) {
    for (const THeaderFieldRow& row : rows) AddField(row.Field, row.Caption, row.Kind, row.Page).ReadOnly = true;
}

THeaderField* TFormDescription::FindField(std::string_view fieldName) {
    for (THeaderField& field : Fields)
        if (EqualsIgnoreCase(field.FieldName, fieldName)) return &field;
    return nullptr;
}

TFormPage* TFormDescription::FindPage(std::string_view name) {
    for (TFormPage& page : Pages)
        if (EqualsIgnoreCase(page.Name, name)) return &page;
    return nullptr;
}

TChart* TFormDescription::FindChart(std::string_view name) {
    for (TChart& chart : Charts)
        if (EqualsIgnoreCase(chart.Name, name)) return &chart;
    return nullptr;
}

}  // namespace tavrek
