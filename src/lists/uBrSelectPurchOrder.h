#pragma once

#include <map>
#include <string>

#include "base/forms/TfBrSelectDocument.h"

namespace tavrek {

// The lines of purchase orders a calling document takes: the form computes for each line
// what is still open for the chosen operation (receive, return, reject, invoice, or
// receive and invoice), drops the lines with nothing open, lets the user mark lines, type
// quantities or load them from a vendor's file, and hands the marked lines with their
// quantities back to the caller in the fields of the caller's template.
class TfBrSelectPurchOrder : public TfBrSelectDocument {
public:
    static constexpr int kFormNumber = 10510;

    // What a quantity is computed for.
    enum TQuantityMode { qmReceive = 0, qmReturn = 1, qmReject = 2, qmInvoice = 3, qmReceiveInvoice = 4 };

    TfBrSelectPurchOrder();
    std::string ClassName() const override { return "TfBrSelectPurchOrder"; }

    TAction& acGenerateReceiveQTY;
    TAction& acGenerateReturnQTY;
    TAction& acGenerateRejectQTY;
    TAction& acGenerateInvoiceQTY;
    TAction& acRecieveInvoice;
    TAction& acMarkAll;
    TAction& acUnMarkAll;
    TAction& acInverseMark;
    TAction& acToggleMark;
    TAction& acImportFromFile;
    TAction& acImportFromFileCode;
    TClientDataSet cdsExtFileData{"cdsExtFileData"};

    void GenerateQuantities(TQuantityMode mode);
    void acSelectExecute() override;
    // Loads quantities from a vendor's file, matching rows by item code or by the vendor's
    // item code (with the vendor's order number when the file gives it).
    void ImportOrderFromFile(bool byVendorCode);
    // Places a file row's quantity on the matching rows in grid order; returns what is left.
    double PlaceFileRow(bool byVendorCode);

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    void DataSetOpened(TFormDataSet& dataSet) override;

private:
    bool Matches(bool byVendorCode);
    void TakeRow(double quantity);

    bool filling_ = false;
    // What earlier file rows placed on a row, by its Id.
    std::map<std::string, double> placed_;
};

namespace uBrSelectPurchOrder {
// What is open of an order line for the mode, never below zero; type 1 is an item line.
// Returned goods are no longer received.
double QuantityFor(TfBrSelectPurchOrder::TQuantityMode mode, int type, double ordered, double received,
                   double returned, double rejected, double invoiced);
void Initialization();
void Finalization();
}  // namespace uBrSelectPurchOrder

}  // namespace tavrek
