#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardPostedDocument.h"

namespace tavrek {

// The list of posted receipts; the card is the posted receipt view.
class TfBrPostedReceipt : public TfBaseBrowseCardPostedDocument {
public:
    TfBrPostedReceipt();
    std::string ClassName() const override { return "TfBrPostedReceipt"; }

    TVariantArray GetDocumentInfo() override;
    void miCheckOnGoodsClick();

    static constexpr int kFormNumber = 10051;
};

namespace uBrPostedReceipt {
void Initialization();
void Finalization();
}  // namespace uBrPostedReceipt

}  // namespace tavrek
