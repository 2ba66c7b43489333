#pragma once

#include <string>

#include "documents/uEdBasePurchDocument.h"

namespace tavrek {

// The purchase credit memo editor: a vendor credits an earlier invoice. A credit memo never
// asks the price list for prices: its prices are those of the credited invoice. Its unit price
// follows a change of the units-per-measure factor, each line may keep its own price basis,
// the subtype must go to the credited invoice's VAT ledger, and it posts through
// PostPurchCrMemo.
class TfEdPurchCrMemo : public TfEdBasePurchDocument {
public:
    TfEdPurchCrMemo();
    std::string ClassName() const override { return "TfEdPurchCrMemo"; }

    TAction& acItemChargeAssigment;
    TAction& acSendForCheck;
    TMenu pmPost{"pmPost"};
    // The answer of the last ConnectCrMemoWithSale: how the credit memo relates to a sale.
    int CrMemoOption = -1;

    void FormCreate() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void QuantityOnChange(TField& field) override;
    void MeasureOnChange(TField& field) override;
    void CodeOnChange(TField& field) override;
    void ContragentFieldOnChange(TField& field) override;
    void SubDocTypeFieldOnChange(TField& field) override;
    void QtyPerUnitOfMeasureOnChange(TField& field) override;
    virtual void DetailPriceIncudingVATOnChange(TField& field);

    void PostDocument(bool print) override;
    // Asks how the credit memo is linked to a sale; -1 when the user cancelled.
    virtual int ConnectCrMemoWithSale();
    virtual bool BeforePostDocument(bool print);
    virtual void AfterPostDocument(const TVariantArray& keys, bool print);
    void MoveToAnnulDocs() override;
    // A credit memo copied from an invoice credits it: the invoice's vendor number and date
    // become ToInvoiceNo and InvoiceDate where the template left them empty.
    void CopyDocumentByTemplate(const std::string& sourceId, const std::string& templateId, int sourceFormNumber,
                                int option1, int option2, int option3) override;
    void acDeleteRecordExecute() override;
    // Opened on a vendor's credit note (its number in Value1, the vendor's code in Value2), the
    // first new memo takes the vendor as if typed and then the note's lines.
    void acInsertRecordExecute() override;
    int GetPrintDocumentType() override { return 2; }

    void acItemChargeAssigmentExecute();
    void acSendForCheckExecute();

    // The key of the print form of a posted credit memo.
    static constexpr const char* kPostedCrMemoPrintForm = "10040";

protected:
    bool PostingRemovesDraft() const override { return true; }
    // The server's kind code of a new document of this editor.
    int NewDocumentType = 11;

private:
    // The credited invoice's DoNotIncInVATLedger (0 when it is not found) equals the memo's.
    bool SameVATLedgerAsCreditedInvoice();
    void TakeOnlySubType();
    void ReceiveVendorCreditNote(const std::string& documentNo, const std::string& vendorCode);
    void DescribeLayout();
};

namespace uEdPurchCrMemo {
// The form number of the credit memo editor: posted invoices generate credit memos into it.
constexpr int kFormNumber = 10181;
void Initialization();
void Finalization();
}  // namespace uEdPurchCrMemo

}  // namespace tavrek
