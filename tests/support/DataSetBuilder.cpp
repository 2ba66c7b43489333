#include "support/DataSetBuilder.h"

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

TFieldList PurchaseHeaderFields() {
    using enum TFieldType;
    return {{"Id", ftString},          {"Comp_Id", ftString},        {"Contragent_Id", ftString},
            {"Currency_Id", ftString}, {"CurrencyFactor", ftFloat},  {"PriceIncludingVAT", ftInteger},
            {"DocumentDate", ftDateTime}, {"VATBusPostGroup_Id", ftString}, {"N_SubDocument_Code", ftString},
            {"BusinessGroup_Id", ftString}, {"InvDiscAmount", ftFloat}, {"TotalValue", ftFloat},
            {"VATValue", ftFloat},     {"TotalVAT", ftFloat},        {"TotalValue_LCY", ftFloat},
            {"TotalVAT_LCY", ftFloat}};
}

TFieldList PurchaseLineFields() {
    using enum TFieldType;
    return {{"Id", ftString},           {"Line_No", ftInteger},           {"Type", ftInteger},
            {"Code", ftString},         {"Measure_Id", ftString},         {"QtyPerUnitOfMeasure", ftFloat},
            {"Quantity", ftFloat},      {"Quantity_Base", ftFloat},       {"DirectUnitCost_ACY", ftFloat},
            {"OriginalPrice", ftFloat}, {"OriginalDiscount", ftFloat},    {"LineDiscount", ftFloat},
            {"LineDiscountAmount", ftFloat}, {"AllowInvoiceDisc", ftInteger}, {"InvDiscAmount", ftFloat},
            {"TotalPrice", ftFloat},    {"IndirectCostPercent", ftFloat}, {"UnitCost_ACY", ftFloat},
            {"UnitCost_LCY", ftFloat},  {"VATProdPostGroup_Id", ftString}, {"PriceIncludingVAT", ftInteger},
            {"VATLedger", ftInteger},   {"VATPercent", ftFloat},          {"VATBaseAmount", ftFloat},
            {"TotalValue", ftFloat},    {"VATValue", ftFloat},            {"TotalVAT", ftFloat},
            {"TotalValue_LCY", ftFloat}, {"VATValue_LCY", ftFloat},       {"TotalVAT_LCY", ftFloat},
            {"BusinessGroup_Id", ftString}};
}

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
