#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek {

// The list of order buffers. Buffers are posted only from their editor; from the list they
// are opened, sent to the warehouse check and deleted (checked first, history kept).
class TfBrPurchOrderBufer : public TfBaseBrowseCardDocument {
public:
    TfBrPurchOrderBufer();
    std::string ClassName() const override { return "TfBrPurchOrderBufer"; }

    TAction& acSendDocumentsForCheck;

    void PostDocument(bool print) override;
    void acDeleteRecordExecute() override;
    void MoveToAnnulDocs() override;
    void acSendDocumentsForCheckExecute();

    static constexpr int kFormNumber = 10500;
};

namespace uBrPurchOrderBufer {
void Initialization();
void Finalization();
}  // namespace uBrPurchOrderBufer

}  // namespace tavrek
