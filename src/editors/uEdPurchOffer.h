#pragma once

#include <string>

#include "documents/uEdBasePurchDocument.h"

namespace tavrek {

// The purchase offer editor: a vendor's priced proposal. It is never posted; the server
// converts it into a purchase order or straight into a purchase.
class TfEdPurchOffer : public TfEdBasePurchDocument {
public:
    TfEdPurchOffer();
    std::string ClassName() const override { return "TfEdPurchOffer"; }

    TAction& acCreateOrder;
    TAction& acCreatePurch;

    void FormCreate() override;
    void FormShow() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void CodeOnChange(TField& field) override;
    void ContragentFieldOnChange(TField& field) override;
    bool SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) override;
    void PostDocument(bool print) override;

    void acCreateOrderExecute();
    void acCreatePurchExecute();

    static constexpr int kFormNumber = 10301;
    static constexpr int kOrderFormNumber = 10201;
    static constexpr int kPurchaseFormNumber = 10011;

private:
    void DescribeLayout();
    void SetNewDocumentDefaults();
    // Asks the server to convert the saved offer ("1" order, "2" purchase) and opens the result.
    void Convert(const std::string& kind, int targetFormNumber);
};

namespace uEdPurchOffer {
void Initialization();
void Finalization();
}  // namespace uEdPurchOffer

}  // namespace tavrek
