#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The posted purchase order view: the order as the server posted it, read-only, with a drill-down from a line to the posting details of that line.
class TfEdPostPurchOrder : public TfBaseEditPostedDocument {
public:
    TfEdPostPurchOrder();
    std::string ClassName() const override { return "TfEdPostPurchOrder"; }

    void FormCreate() override;
    // The posting details of the current line (form 3260).
    void pmiPostedPurchOrderDetailClick();

    static constexpr int kFormNumber = 10530;
};

// The lines of a posted order, of its returns and of its rejections.
void AddPostedOrderLineColumns(TGrid& grid);

namespace uEdPostPurchOrder {
void Initialization();
void Finalization();
}  // namespace uEdPostPurchOrder

}  // namespace tavrek
