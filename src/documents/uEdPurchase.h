#pragma once

#include <string>

#include "documents/uEdBasePurchDocument.h"
#include "documents/uVendorDocumentPanel.h"

namespace tavrek {

// The purchase invoice editor: goods and services received with the vendor's invoice.
// Adds to the base purchase editor the binding of the invoice fields, posting (with
// printing), protocol generation, item charge and future cost assignment, the goods check,
// fetching the vendor's own invoice from its document service, and the checks and history
// kept before a deletion.
class TfEdPurchase : public TfEdBasePurchDocument {
public:
    TfEdPurchase();
    std::string ClassName() const override { return "TfEdPurchase"; }

    // The vendor document chosen from the vendor's service (the top panel); changing its
    // DocumentNo loads that document into the invoice.
    TClientDataSet cdsVendorDoc{"cdsVendorDoc"};

    TAction& acItemChargeAssigment;
    TAction& acFutureCostsAssign;
    TAction& acGenerateProtocol;
    TAction& acGetDocFromVendor;
    TAction& acSendForCheck;
    TMenu pmPost{"pmPost"};

    // Slots added by this class.
    virtual bool BeforePostDocument(bool print);
    virtual void UnitPriceOnChange(TField& field);
    virtual void UnitPriceWithVATOnChange(TField& field);
    virtual void MarjOnChange(TField& field);
    virtual void AfterPostDocument(const TVariantArray& keys, bool print);

    void FormCreate() override;
    void FormShow() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void CodeOnChange(TField& field) override;
    void PostDocument(bool print) override;
    void GetPanelDetailsMaster() override;
    int GetPrintDocumentType() override;
    void acDeleteRecordExecute() override;
    bool SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) override;
    void MoveToAnnulDocs() override;

    void acGenerateProtocolExecute();
    void acItemChargeAssigmentExecute();
    void acFutureCostsAssignExecute();
    void acGetDocFromVendorExecute();
    void acSendForCheckExecute();
    void edtVendorDocNoChange();
    void miDocumenStatisticClick();

    // The key of the print form of a posted invoice.
    static constexpr const char* kPostedInvoicePrintForm = "10020";

protected:
    bool PostingRemovesDraft() const override { return true; }
    // The server's kind code of a new document of this editor.
    int NewDocumentType = 1;
    // A new invoice starts today, in local currency, for the session's business group.
    void DescribeLayout();
    void LoadVendorDocument(const std::string& documentNo);
    void OpenCreditNoteInCreditMemo(const std::string& documentNo);

private:
    TVendorDocumentPanel vendorDocPanel_{cdsVendorDoc, [this] {
        RunGuarded("TfEdPurchase.edtVendorDocNoChange", [this] { edtVendorDocNoChange(); });
    }};
};

// Start-up and shut-down code of the unit.
namespace uEdPurchase {
// The form number under which the invoice editor is known.
constexpr int kFormNumber = 10011;
// Registers TfEdPurchase the first time it runs.
void Initialization();
// Leaves the registration to the client; only counts.
void Finalization();
}  // namespace uEdPurchase

}  // namespace tavrek
