#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// The list of purchase orders, where a buyer finds a saved order again to receive and invoice
// it through its buffer. Orders are carried out through buffers, never posted themselves, so
// the list has no posting.
class TfBrPurchOrder : public TfBaseBrowseCardDocument {
public:
    TfBrPurchOrder();
    std::string ClassName() const override { return "TfBrPurchOrder"; }

    void FormCreate() override;
    TRequestResult GetPrintDocument() override;
    void PostDocument(bool print) override;
    // The history of each deleted order is kept first, as its editor keeps it.
    void MoveToAnnulDocs() override;

    static constexpr int kFormNumber = 10200;
};

namespace uBrPurchOrder {
void Initialization();
void Finalization();
}  // namespace uBrPurchOrder

}  // namespace tavrek
