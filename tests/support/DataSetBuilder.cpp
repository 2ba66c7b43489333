#include "support/DataSetBuilder.h"

#include "documents/uPurchDocumentModel.h"

namespace tavrek::testing {

std::unique_ptr<TClientDataSet> MakeDataSet(const std::string& name, const TFieldList& fields) {
    auto dataSet = std::make_unique<TClientDataSet>(name);
    for (const auto& [field, type] : fields) dataSet->AddField(field, type);
    dataSet->CreateDataSet();
    return dataSet;
}

void AddRecord(TClientDataSet& dataSet, std::initializer_list<std::pair<const char*, Variant>> values) {
    std::vector<Variant> record(static_cast<size_t>(dataSet.FieldCount()));
    for (const auto& [field, value] : values) record[static_cast<size_t>(dataSet.FieldByName(field).Index())] = value;
    dataSet.AppendLoaded(std::move(record));
}

void AppendRecord(TClientDataSet& dataSet, std::initializer_list<std::pair<const char*, Variant>> values) {
    dataSet.Append();
    for (const auto& [field, value] : values) dataSet.FieldByName(field).SetValue(value);
    dataSet.Post();
}

void SetFields(TClientDataSet& dataSet, std::initializer_list<std::pair<const char*, Variant>> values) {
    const bool wasEditing = dataSet.State() != TDataSetState::dsBrowse;
    if (!wasEditing) dataSet.Edit();
    for (const auto& [field, value] : values) {
        TField& f = dataSet.FieldByName(field);
        auto handler = std::move(f.OnChange);
        f.OnChange = nullptr;
        f.SetValue(value);
        f.OnChange = std::move(handler);
    }
    if (!wasEditing) dataSet.Post();
}

TFieldList AsFieldList(const std::vector<TFieldDef>& fields) {
    TFieldList list;
    for (const TFieldDef& def : fields) list.emplace_back(def.Name, def.Type);
    return list;
}

TFieldList PurchaseHeaderFields() { return AsFieldList(PurchHeaderFields(TPurchDocument::pdInvoice)); }

TFieldList PurchaseLineFields() { return AsFieldList(PurchLineFields(TPurchDocument::pdInvoice)); }

TPurchaseDocument MakePurchaseDocument() {
    TPurchaseDocument doc{MakeDataSet("cdsMaster", PurchaseHeaderFields()),
                          MakeDataSet("cdsDetail", PurchaseLineFields())};
    AddRecord(*doc.Header, {{"Id", "H1"}, {"CurrencyFactor", 1.0}, {"PriceIncludingVAT", 0}});
    AddRecord(*doc.Line, {{"Id", "L1"}, {"Line_No", 1}, {"Type", 1}, {"QtyPerUnitOfMeasure", 1.0}});
    doc.Header->Edit();
    doc.Line->Edit();
    return doc;
}

}  // namespace tavrek::testing
