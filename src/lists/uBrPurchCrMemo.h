#pragma once

#include <string>

#include "lists/uBrPurchase.h"

namespace tavrek {

// The list of purchase credit memos (and general credit memos) of the company: the purchase
// list's posting, deletion and history, posted through PostPurchCrMemo after the user said,
// once per opened list, how the credit memos relate to a sale.
class TfBrPurchCrMemo : public TfBrPurchase {
public:
    TfBrPurchCrMemo();
    std::string ClassName() const override { return "TfBrPurchCrMemo"; }

    void FormCreate() override;
    // The option dialog, asked the first time a credit memo is posted from this list; -1 when cancelled.
    virtual int ConnectCrMemoWithSale();

    // The print group of a posted credit memo.
    static constexpr const char* kPostedCrMemoPrintForm = "10040";

protected:
    bool BeforePostDocument(bool print) override;
    int PostOnServer(const std::string& id, TVariantArray& keys) override;
    int CurrentCardFormNumber() override;

private:
    static constexpr int kNotAsked = -2;
    int crMemoOption_ = kNotAsked;
};

namespace uBrPurchCrMemo {
void Initialization();
void Finalization();
}  // namespace uBrPurchCrMemo

}  // namespace tavrek
