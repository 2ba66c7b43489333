#include "support/PurchEditorTest.h"

namespace tavrek::testing {

void FillDocumentDataSet(TClientDataSet& target, const TFieldList& fields, const std::vector<TRow>& rows) {
    target.Close();
    if (target.FieldCount() == 0)
        for (const auto& [name, type] : fields) target.AddField(name, type);
    target.CreateDataSet();
    for (const TRow& row : rows) {
        std::vector<Variant> values;
        for (const auto& [name, type] : fields) {
            const auto it = row.find(name);
            values.push_back(it == row.end() ? Variant() : it->second);
        }
        target.AppendLoaded(std::move(values));
    }
    target.First();
}

}  // namespace tavrek::testing
