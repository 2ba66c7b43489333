#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/data/TDataStore.h"

namespace tavrek::testing {

using TFieldList = std::vector<std::pair<std::string, TFieldType>>;

TFieldList AsFieldList(const std::vector<TFieldDef>& fields);

// An open dataset with the given fields.
std::unique_ptr<TClientDataSet> MakeDataSet(const std::string& name, const TFieldList& fields);

// Appends one record: field name and value pairs, the rest Null.
void AddRecord(TClientDataSet& dataSet, std::initializer_list<std::pair<const char*, Variant>> values);

// Appends one record through Append/Post, as a user's edit: it goes into the change log.
void AppendRecord(TClientDataSet& dataSet, std::initializer_list<std::pair<const char*, Variant>> values);

// Sets fields of the current record through Edit/Post without field events firing.
void SetFields(TClientDataSet& dataSet, std::initializer_list<std::pair<const char*, Variant>> values);

// A purchase invoice header and line with the fields of the document model, open, with one
// record each in edit mode: factor 1, local currency, prices without VAT.
struct TPurchaseDocument {
    std::unique_ptr<TClientDataSet> Header;
    std::unique_ptr<TClientDataSet> Line;
};
TPurchaseDocument MakePurchaseDocument();
TFieldList PurchaseHeaderFields();
TFieldList PurchaseLineFields();

}  // namespace tavrek::testing
