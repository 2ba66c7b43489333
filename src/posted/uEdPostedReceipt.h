#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The posted receipt view: goods received against an order, read-only, with the stock
// check of the receipt and its annulment.
class TfEdPostedReceipt : public TfBaseEditPostedDocument {
public:
    TfEdPostedReceipt();
    std::string ClassName() const override { return "TfEdPostedReceipt"; }

    TMenu pmFunctions{"pmFunctions", "Функции"};

    void FormCreate() override;
    TVariantArray GetDocumentInfo() override;
    void acAnnulDocumentExecute() override;
    void miCheckOnGoodsClick();

    // Opens the stock check (form 4230) on the receipt current in the form's header
    // dataset; nothing when that dataset has no "id" field.
    static void CheckOnGoods(TfBase& form);

    static constexpr int kFormNumber = 10050;
};

namespace uEdPostedReceipt {
void Initialization();
void Finalization();
}  // namespace uEdPostedReceipt

}  // namespace tavrek
