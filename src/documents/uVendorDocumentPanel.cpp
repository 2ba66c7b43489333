#include "documents/uVendorDocumentPanel.h"

#include <tuple>

#include "base/util/Text.h"

namespace tavrek {

namespace {

// Field, control and caption of each fact the vendor states.
const std::tuple<const char*, const char*, const char*> kPanelFields[] = {
    {"DocumentNo", "edtVendorDocNo", "Документ на доставчика"},
    {"DocumentDate", "edtVendorDocDate", "Дата при доставчика"},
    {"DueDate", "edtVendorDueDate", "Падеж при доставчика"},
    {"PayMethod_id", "edtVendorPayMethod", "Плащане при доставчика"},
    {"Currency_Id", "edtVendorCurrency", "Валута при доставчика"},
    {"Comment", "edtVendorComment", "Коментар на доставчика"},
    {"SubDocTypeCode", "edtSubDocTypeCode", "Вид документ при доставчика"},
    {"SourceDocumentNo", "edtSourceDocumentNo", "Основание при доставчика"}};

}  // namespace

TVendorDocumentPanel::TVendorDocumentPanel(TClientDataSet& dataSet, std::function<void()> numberTyped)
    : dataSet_(dataSet) {
    for (const auto& [name, type] : std::initializer_list<std::pair<const char*, TFieldType>>{
             {"DocumentNo", TFieldType::ftString}, {"DocumentDate", TFieldType::ftDateTime},
             {"DueDate", TFieldType::ftDateTime}, {"PayMethod_id", TFieldType::ftString},
             {"Currency_Id", TFieldType::ftString}, {"Comment", TFieldType::ftString},
             {"SubDocTypeCode", TFieldType::ftString}, {"SourceDocumentNo", TFieldType::ftString}})
        dataSet_.AddField(name, type);
    dataSet_.CreateDataSet();
    // An empty record to type a number into.
    dataSet_.Append();
    dataSet_.Post();
    dataSet_.FieldByName("DocumentNo").OnChange = [this, numberTyped = std::move(numberTyped)](TField&) {
        if (!showing_) numberTyped();
    };
}

void TVendorDocumentPanel::Describe(TFormDescription& description) const {
    for (const auto& [field, control, caption] : kPanelFields) {
        THeaderField& edit = description.AddField(field, caption, TFieldKind::fkText);
        edit.ControlName = control;
        edit.DataSet = dataSet_.Name;
        edit.ReadOnly = std::string(field) != "DocumentNo";
    }
}

void TVendorDocumentPanel::Show(const TRequestResult& documents, int row) {
    showing_ = true;
    dataSet_.EmptyDataSet();
    dataSet_.Append();
    for (size_t column = 0; column < documents.Columns.size(); ++column)
        if (TField* field = dataSet_.FindField(documents.Columns[column]))
            field->SetValue(documents.Value(static_cast<size_t>(row), column));
    dataSet_.Post();
    showing_ = false;
}

std::string TVendorDocumentPanel::DocumentNo() const { return Trim(dataSet_.FieldByName("DocumentNo").AsString()); }

}  // namespace tavrek
