#pragma once

#include <string>
#include <vector>

#include "base/data/TDateTime.h"
#include "base/forms/TPrintRequest.h"

namespace tavrek {

// What a printed purchase invoice, debit memo or credit memo shows, read from the server by
// the document's key: the company and the vendor, the header, the lines, the VAT per rate
// (each rate on its own base) and the totals in document and local currency. A posted
// document is read from the posted tables, an open one from the open ones.
struct TPurchInvoicePrintout {
    struct TParty {
        std::string Name, Address, City, Bulstat, VATRegistrationNo;
    };
    struct TLine {
        int64_t LineNo = 0;
        std::string Code, Description, Measure;
        double Quantity = 0, UnitPrice = 0, Discount = 0, Amount = 0, VATPercent = 0;
    };
    struct TVATRate {
        double Percent = 0, Base = 0, VAT = 0;
    };

    std::string Layout;       // the print form chosen
    std::string Title;        // the kind of document, as the heading names it
    std::string FileKind;     // and as the name of its saved file ("Фактура 0000000005.pdf")
    std::string VendorNoCaption;
    std::string ToInvoiceCaption, InvoiceDateCaption;  // the document corrected or charged, and its date
    std::string TotalCaption;                           // what the gross total is to the reader
    bool Posted = false;
    std::string DocumentNo, VendorInvoiceNo, SubTypeName, PayMethod;
    std::string ToInvoiceNo;  // the invoice a debit or credit memo corrects, or a protocol charges
    std::string OrderNo;      // the order a receipt, return or rejection carries out
    TDateTime DocumentDate, PostingDate, DueDate, InvoiceDate;
    std::string Currency, LocalCurrency;
    double CurrencyFactor = 1;
    TParty Company, Vendor;
    std::vector<TLine> Lines;
    std::vector<TVATRate> VATRates;  // ascending by rate
    double TotalValue = 0, VATValue = 0, TotalVAT = 0, TotalValue_LCY = 0, TotalVAT_LCY = 0;

    // The print forms of purchase invoices, debit memos, advance payments, credit memos, of
    // the receipts, return and rejection orders posted from order buffers, and of the VAT
    // protocols of invoices and of credit memos.
    static constexpr const char* kLayout = "PurchInvoice";
    static constexpr const char* kDebitMemoLayout = "PurchDebitMemo";
    static constexpr const char* kAdvanceLayout = "PurchAdvancePayment";
    static constexpr const char* kCrMemoLayout = "PurchCrMemo";
    static constexpr const char* kReceiptLayout = "PurchReceipt";
    static constexpr const char* kReturnOrderLayout = "PurchReturnOrder";
    static constexpr const char* kRejectOrderLayout = "PurchRejectOrder";
    static constexpr const char* kProtocolLayout = "PurchProtocol";
    static constexpr const char* kCrMemoProtocolLayout = "PurchCrMemoProtocol";
    static constexpr const char* kOfferLayout = "PurchOffer";
    static constexpr const char* kOrderLayout = "PurchOrder";
    static constexpr const char* kOrderBufferLayout = "PurchOrderBuffer";
    static constexpr const char* kGenericLayout = "PurchGenericDoc";
    static constexpr const char* kGenericCrMemoLayout = "PurchGenericCrMemo";
    static constexpr const char* kGlobalInvoiceLayout = "PurchGlobalInvoice";
    static constexpr const char* kGlobalCrMemoLayout = "PurchGlobalCrMemo";

    // Reads the document of request.Keys[0] on the print form of the request (or, for a print
    // group, of the document's subtype) when it is a layout of the document's kind, else on the
    // layout of its kind; false when there is no such document.
    static bool Load(const TPrintRequest& request, TPurchInvoicePrintout& printout);
};

}  // namespace tavrek
