#pragma once

#include <string>

#include "base/partner/TUblInvoice.h"
#include "documents/uEdBasePurchDocument.h"
#include "documents/uVendorDocumentPanel.h"
#include "replenishment/uVendorLinePlacement.h"

namespace tavrek {

class TVendorItemMapping;

// The purchase order buffer: the working document through which goods of order lines are
// received, returned, rejected, invoiced, or received and invoiced, and posted as one
// document. Opened from an order with the operation as its first option ("Operation"),
// it starts as a copy of the order's open quantities.
class TfEdPurchOrderBufer : public TfEdBasePurchDocument {
public:
    TfEdPurchOrderBufer();
    std::string ClassName() const override { return "TfEdPurchOrderBufer"; }

    // The vendor's document chosen from its service; typing its number takes that document.
    TClientDataSet cdsVendorDoc{"cdsVendorDoc"};

    TAction& acAddPurchOrderLines;
    TAction& acGenerateProtocol;
    TAction& acGetDocFromVendor;
    TAction& acSendForCheck;
    TAction& acItemChargeAssigment;
    TAction& acLineDetail;
    TMenu pmPost{"btnPost"};

    // The operation of the "Operation" option: 0 receive, 1 return, 2 reject, 3 invoice,
    // 4 receive and invoice; -1 without the option.
    int Operation() const { return operation_; }

    void FormCreate() override;
    void FormShow() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void InsertDocumentFromDefaults(const TDefaultValues& values) override;
    void ProcessSelectedRecords(const TRequestResult& rows) override;
    void CodeOnChange(TField& field) override;
    void QuantityOnChange(TField& field) override;
    void PostDocument(bool print) override;
    void GetPanelDetailsMaster() override;
    int GetPrintDocumentType() override;
    void acDeleteRecordExecute() override;
    void MoveToAnnulDocs() override;
    void cdsDetailBeforeDelete() override;

    void UnitPriceOnChange(TField& field);
    void UnitPriceWithVATOnChange(TField& field);
    void MarjOnChange(TField& field);
    void acAddPurchOrderLinesExecute();
    void acGenerateProtocolExecute();
    // Takes the vendor's document chosen from its service: its header fields, and its lines
    // placed on the vendor's open order lines, free lines for what they cannot take.
    void acGetDocFromVendorExecute();
    void edtVendorDocNoChange();
    void acSendForCheckExecute();
    void acItemChargeAssigmentExecute();
    void acLineDetailExecute();
    void miExportSubDetailsClick();

    static constexpr int kFormNumber = 10501;
    // Print forms of the documents a posting returns: receipt, order, invoice.
    static constexpr const char* kPrintForms[3] = {"10050", "10520", "10020"};

private:
    void DescribeLayout();
    std::string OperationText(bool forName) const;
    // The posting options dialog; -1 when cancelled.
    int AskOperation();
    bool HasFreeItemLines();
    bool PostingChecksPass(int operation);
    void PrintPosted(const TVariantArray& keys);
    void TellPostedDocuments(const TVariantArray& keys, int operation);
    TRequestResult ReadOrderLinesToPlace();
    void PlaceVendorLines(const TUblInvoice& document, const TVendorItemMapping& items, const TRequestResult& orderLines);
    void AppendPlacedLine(const TUblInvoiceLine& vendor, const TVendorItemMapping& items,
                          const TRequestResult& orderLines, const TPlacedQuantity& placed);

    int operation_ = -1;
    TVendorDocumentPanel vendorDocPanel_{cdsVendorDoc, [this] {
        RunGuarded("TfEdPurchOrderBufer.edtVendorDocNoChange", [this] { edtVendorDocNoChange(); });
    }};
};

namespace uEdPurchOrderBufer {
void Initialization();
void Finalization();
}  // namespace uEdPurchOrderBufer

}  // namespace tavrek
