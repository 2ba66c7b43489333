#pragma once

#include <vector>

#include "base/forms/TLookupDefinition.h"
#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

// A customer's order of the sales package, the least replenishment needs: the business group
// and its store that will ship it, and lines of items, quantities and due dates. What is still
// to ship is what the worksheets buy for.
class TfEdSaleOrder : public TfBaseEditMasterDetail {
public:
    TfEdSaleOrder();
    std::string ClassName() const override { return "TfEdSaleOrder"; }

    // "Експедиране": what the order's store holds of the open lines leaves it, at its cost.
    TAction& acShip;
    void acShipExecute();

    void acSaveExecute() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;
    void cdsDetailAfterInsert() override;

private:
    void StartHeader();
    // Refuses, by key, an order a store could not ship: no number, business group or store,
    // a line without an item, a quantity or a due date.
    void CheckOrder();
    void CheckLines();
    std::vector<TLookupDefinition> headerLookups_;
    TLookupDefinition itemLookup_;
};

namespace uEdSaleOrder {
void Initialization();
void Finalization();
}  // namespace uEdSaleOrder

}  // namespace tavrek
