#pragma once

#include <string>

#include "documents/uEdBasePurchDocument.h"

namespace tavrek {

// The purchase debit memo editor: a vendor charges an amount forgotten on an earlier
// purchase. Item and vendor changes never ask the price list (the vendor's posting groups
// and VAT rates still reach the lines), it posts as a purchase with the invoice's print
// form, and item charges can be assigned to its lines.
class TfEdPurchDebitMemo : public TfEdBasePurchDocument {
public:
    TfEdPurchDebitMemo();
    std::string ClassName() const override { return "TfEdPurchDebitMemo"; }

    TAction& acItemChargeAssigment;

    void FormCreate() override;
    void FormShow() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void CodeOnChange(TField& field) override;
    void ContragentFieldOnChange(TField& field) override;
    bool SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) override;
    void PostDocument(bool print) override;
    int GetPrintDocumentType() override { return 2; }

    void acItemChargeAssigmentExecute();

    static constexpr const char* kPostedPrintForm = "10020";
    // The server's kind code of a debit memo.
    static constexpr int kDocumentType = 12;

private:
    void DescribeLayout();
};

namespace uEdPurchDebitMemo {
constexpr int kFormNumber = 10170;
void Initialization();
void Finalization();
}  // namespace uEdPurchDebitMemo

}  // namespace tavrek
