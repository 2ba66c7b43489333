#pragma once

#include <string>
#include <vector>

#include "base/partner/TUblInvoice.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// Finds our item for each line of a vendor's document: through the vendor's cross-reference
// ("usp_GetItemFromAPI"), then by the line's standard number, then by asking the user, whose
// choice the server remembers for that vendor so the same line is found next time.
class TVendorItemMapping {
public:
    // The columns every found item comes with.
    static constexpr const char* kItemFields = "Item_Id,Code,Name,Measure_Id,VATProdPostGroup_Id,GenProdPostGroup_Id";

    TVendorItemMapping(const TUblInvoice& document, std::string vendorCode);

    // Asks the server for every line. Throws when the server fails.
    void FindItems();
    // Lets the user map the lines still without an item, once; false when the user cancelled.
    bool AskForMissing();

    bool Found(size_t line) const { return !items_[line].Empty(); }
    // One row with kItemFields; empty while the line has no item.
    const TRequestResult& ItemOf(size_t line) const { return items_[line]; }
    // Our code of the line's item (its key when it has no code); empty while it has no item.
    std::string CodeOf(size_t line) const;
    // The lines without an item, one per text line, for the message that lists them.
    std::string MissingList() const;

private:
    bool ByCrossReference(size_t line);
    bool ByStandardNumber(size_t line);
    void Remember(size_t line, const std::string& itemId);

    const TUblInvoice& document_;
    std::string vendorCode_;
    std::vector<TRequestResult> items_;
};

}  // namespace tavrek
