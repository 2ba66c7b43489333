#pragma once

#include <string>
#include <vector>

#include "base/forms/TLookupDefinition.h"
#include "base/forms/TfBaseEditMaster.h"

namespace tavrek {

// A card of master data of another package: one record of Table, opened on the caller's
// filter (a key, or the code a purchase line holds) or new, with lookups on the fields that
// refer to other master data, and the checks every card makes before it saves: a code
// and a name, and a code no other record of the company has.
class TfOthersCard : public TfBaseEditMaster {
public:
    explicit TfOthersCard(std::string table);

    void FormCreate() override;
    void acSaveExecute() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;

protected:
    // A field that stores the key of a master row; codeColumn is what a person types.
    void AddKeyLookup(const std::string& field, const std::string& caption, const std::string& table,
                      const std::string& codeColumn = "Code", bool perCompany = true);

private:
    void CheckRecord();

    std::string table_;
    std::vector<TLookupDefinition> lookups_;
};

}  // namespace tavrek
