#pragma once

#include <optional>
#include <string>

#include "documents/uEdBasePurchDocument.h"
#include "editors/uOrderResponseFilter.h"

namespace tavrek {

// The purchase order editor. Adds to the base purchase editor the order status, the order
// quantities (to receive, to invoice, received, invoiced) with their validations, the five
// operations that hand the order to the order buffer, re-opening, the vendor's confirmation
// (imported from a file and accepted), sending the order to the vendor's service, and the
// order's own VAT step.
class TfEdPurchOrder : public TfEdBasePurchDocument {
public:
    // Operation codes handed to the order buffer.
    enum TOrderOperation { opReceive = 0, opReturn = 1, opReject = 2, opInvoice = 3, opReceiveAndInvoice = 4 };

    TfEdPurchOrder();
    std::string ClassName() const override { return "TfEdPurchOrder"; }

    TAction& acReceive;
    TAction& acReturn;
    TAction& acReject;
    TAction& acInvoice;
    TAction& acReceiveAndInvoice;
    TAction& acUnLockOrder;
    TAction& acConfirmOrder;
    TAction& acAcceptConfirmation;
    TAction& acSendtoVendor;
    // An order above the purchases setup's amount is carried out once a user with the right approves it.
    TAction& acApprove;
    TMenu pmFunctions{"pmFunctions", "Функции"};

    void FormCreate() override;
    void FormShow() override;
    // A closed order (DocStatus not 0) is read-only until it is opened again.
    bool CheckDataModification() override;
    // The history of a deleted order is kept first.
    void MoveToAnnulDocs() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void ContragentFieldOnChange(TField& field) override;
    void CodeOnChange(TField& field) override;
    void UpdateVATAmounts() override;
    void GetPanelDetailsMaster() override;
    TRequestResult GetPrintDocument() override;

    void DocStatusOnChange(TField& field);
    void ValidateDocStatus(TField& field);
    void QtyToInvoiceOnChange(TField& field);
    void QtyToReceiveOnChange(TField& field);
    void InvoicedQtyOnChange(TField& field);
    void ReceivedQtyOnChange(TField& field);
    void ValidateQtyToShip(TField& field);
    void ValidateQtyToInvoice(TField& field);
    void ValidateQuantity(TField& field);

    // Computes the quantities of the operation, saves the order and opens the buffer on it.
    void CallPurchOrderBuffer(int operation);
    void acUnLockOrderExecute();
    void acAcceptConfirmationExecute();
    void acConfirmOrderExecute();
    void acSendToServiceExecute();
    void acApproveExecute();
    void miPurchOrderDetailClick();
    // Reads the vendor's confirmation from a file into the Confirm* fields of the lines: a
    // text file through the import filters, or the vendor's UBL OrderResponse.
    void ImportOrderFromFile();
    void ImportOrderResponse();

    // The order as the vendor's service takes it: the XML text, one line, declared utf-8.
    static std::string BuildOrderXml(const std::string& userName, const std::string& password,
                                     const TClientDataSet& header, const TRequestResult& lines);

    static constexpr int kFormNumber = 10201;
    static constexpr int kOrderBufferFormNumber = 10501;
    // The document kind the history of a deleted order is kept under.
    static constexpr int kOrderHistoryKind = 5;

protected:
    // The worksheets hand an order its lines by item code: each is brought as if typed.
    bool BringsLinesByCode() const override { return true; }

private:
    bool OrderClosed();
    // "err_EditPropsRightNotAllowed" for this form, with whom to call.
    std::string EditPropsRefusal() const;
    void DescribeLayout();
    void BindOperation(TAction& action, int operation, const char* confirmationKey);
    void SetNewDocumentDefaults();
    std::string FindBufferTemplate();
    // The quantity each line hands to the buffer for the operation.
    void ComputeCalculatedQty(int operation);
    struct TImportCounters {
        int Rows = 0, Matched = 0, NewLines = 0, Unknown = 0;
    };
    void ResetConfirmations();
    std::optional<TBookmark> AnsweredLine(const TOrderResponseLine& line);
    void ConfirmRow(TClientDataSet& row, TImportCounters& counters);
    void PlaceConfirmedQuantity(const std::string& item, TClientDataSet& row, TImportCounters& counters);
    void AppendConfirmedLine(TClientDataSet& row, const Variant& code, bool known);
    void UpdatePriceDiff();
    bool ReadSendSettings(std::string& userName, std::string& password, std::string& url);
    // Asks the server whether the stored order waits for approval, and tells the user so.
    bool WaitsForApproval();

    int64_t storedStatus_ = 0;  // DocStatus as the order was read
    bool reopening_ = false;    // acUnLockOrder checked the right already
};

namespace uEdPurchOrder {
void Initialization();
void Finalization();
}  // namespace uEdPurchOrder

}  // namespace tavrek
