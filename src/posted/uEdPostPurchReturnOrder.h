#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The posted return order view: the goods of an order sent back to the vendor, read-only,
// and their annulment.
class TfEdPostPurchReturnOrder : public TfBaseEditPostedDocument {
public:
    TfEdPostPurchReturnOrder();
    std::string ClassName() const override { return "TfEdPostPurchReturnOrder"; }
    void acAnnulDocumentExecute() override;

    static constexpr int kFormNumber = 10540;
};

// The header and lines of a posted return or rejection of order quantities, with its
// annulment in the document menu; a rejection also shows the order's date.
void DescribePostedOrderOperation(TfBaseEditPostedDocument& view, const char* caption, bool withOrderDate);

// Annuls the posted return or rejection of the view as a receipt is annulled: no question about
// payments, no change to show, and the server's reason when it refuses.
void AnnulPostedOrderOperation(TfBaseEditPostedDocument& view);

namespace uEdPostPurchReturnOrder {
void Initialization();
void Finalization();
}  // namespace uEdPostPurchReturnOrder

}  // namespace tavrek
