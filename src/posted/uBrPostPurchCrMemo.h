#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardPostedDocument.h"

namespace tavrek {

// The list of posted purchase credit memos; each opens in its posted view.
class TfBrPostPurchCrMemo : public TfBaseBrowseCardPostedDocument {
public:
    TfBrPostPurchCrMemo();
    std::string ClassName() const override { return "TfBrPostPurchCrMemo"; }

    void FormCreate() override;
    TVariantArray GetDocumentInfo() override { return {1, 1}; }

protected:
    // A posted global credit memo opens in its own view.
    int CurrentCardFormNumber() override;
};

namespace uBrPostPurchCrMemo {
constexpr int kFormNumber = 10191;
void Initialization();
void Finalization();
}  // namespace uBrPostPurchCrMemo

}  // namespace tavrek
