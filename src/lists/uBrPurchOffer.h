#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// The list of purchase offers. Offers are converted, never posted: the posting entries of
// the list do nothing. Printing takes the print forms of the offer's subtype.
class TfBrPurchOffer : public TfBaseBrowseCardDocument {
public:
    TfBrPurchOffer();
    std::string ClassName() const override { return "TfBrPurchOffer"; }

    void FormCreate() override;
    TRequestResult GetPrintDocument() override;
    void PostDocument(bool print) override;

    static constexpr int kFormNumber = 10300;
};

namespace uBrPurchOffer {
void Initialization();
void Finalization();
}  // namespace uBrPurchOffer

}  // namespace tavrek
