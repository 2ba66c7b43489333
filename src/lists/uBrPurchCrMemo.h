#pragma once

#include <optional>
#include <string>

#include "lists/uBrPurchase.h"

namespace tavrek {

// The list of purchase credit memos (and general credit memos) of the company: the purchase
// list's posting, deletion and history, posted through PostPurchCrMemo after the user said,
// once per opened list, how the credit memos relate to a sale and, the first time a memo
// credits an invoice still owed, whether such memos are set off against their invoices.
class TfBrPurchCrMemo : public TfBrPurchase {
public:
    TfBrPurchCrMemo();
    std::string ClassName() const override { return "TfBrPurchCrMemo"; }

    void FormCreate() override;
    // The option dialog, asked the first time a credit memo is posted from this list, or the
    // first time one can be set off; the set-off answer is saved on the memo. -1 when cancelled.
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
    std::optional<bool> setOff_;
};

namespace uBrPurchCrMemo {
void Initialization();
void Finalization();
}  // namespace uBrPurchCrMemo

}  // namespace tavrek
