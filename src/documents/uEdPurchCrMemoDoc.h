#pragma once

#include <string>

#include "editors/uEdPurchCrMemo.h"

namespace tavrek {

// The generic credit memo document: the credit memo editor with the posting groups and the
// VAT ledger data on its pages.
class TfEdPurchCrMemoDoc : public TfEdPurchCrMemo {
public:
    TfEdPurchCrMemoDoc();
    std::string ClassName() const override { return "TfEdPurchCrMemoDoc"; }
};

namespace uEdPurchCrMemoDoc {
constexpr int kFormNumber = 10183;
// The server's kind code of a generic credit memo document.
constexpr int kDocumentType = 32;
void Initialization();
void Finalization();
}  // namespace uEdPurchCrMemoDoc

}  // namespace tavrek
