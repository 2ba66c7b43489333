#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "base/data/TDataStore.h"

namespace tavrek {

class TClientDataSet;

// Document kind code that each document form sets after its inherited creation. The server
// keeps a kind code of its own in the header's DocumentType.
constexpr int kDocKindPurchaseInvoice = 1;        // TfEdPurchase, TfEdPurchaseDoc
constexpr int kDocKindGlobalInvoice = 3;
constexpr int kDocKindPostedPurchaseInvoice = 6;
constexpr int kDocKindPostedGlobalInvoice = 8;    // posted global invoice and protocol
constexpr int kDocKindPurchCrMemo = 11;
constexpr int kDocKindPostedPurchCrMemo = 13;
constexpr int kDocKindGlobalCrMemo = 15;          // global protocol, credit memo, credit memo protocol
constexpr int kDocKindPostedGlobalCrMemo = 17;    // posted global credit memo and credit memo protocol
constexpr int kDocKindPurchOrder = 22;
constexpr int kDocKindPurchOrderBuffer = 23;
constexpr int kDocKindPostedPurchOrder = 24;      // posted purchase order dialogs
constexpr int kDocKindPostedReturnOrder = 25;
constexpr int kDocKindPostedReceipt = 26;
constexpr int kDocKindPostedRejectOrder = 27;

// Kinds of the header's DocumentType that open in forms of their own.
constexpr int kDocTypePurchAdvancePayment = 30;
constexpr int kDocTypeGeneralPurchase = 31;

// The purchase documents whose header (cdsMaster) and lines (cdsDetail) the server defines.
enum class TPurchDocument {
    pdOffer,
    pdOrder,
    pdInvoice,
    pdDebitMemo,
    pdCrMemo,
    pdAdvancePayment,
    pdGenericDocument,
    pdGenericCrMemo,
    pdOrderBuffer,
    pdGlobalInvoice,
    pdGlobalProtocol,
    pdGlobalCrMemo,
    pdGlobalCrMemoProtocol,
    pdPostedInvoice,
    pdPostedReceipt,
    pdPostedCrMemo,
    pdPostedOrder,
    pdPostedGlobalInvoice,
    pdPostedGlobalProtocol,
    pdPostedGlobalCrMemo,
    pdPostedGlobalCrMemoProtocol,
};

// Every document above, in declaration order.
const std::vector<TPurchDocument>& PurchDocuments();
// A stable English name of the document ("Invoice", "PostedGlobalCrMemo"), for table names.
std::string PurchDocumentName(TPurchDocument document);

using TPurchFieldList = std::vector<TFieldDef>;

// The header and line fields of a document: names as the calculation code reads them, with
// their value kind (id and text: ftString; int and flag: ftInteger, flags holding 0 or 1;
// amount, unit cost, quantity, percent, factor: ftFloat; date: ftDateTime).
//
// Every line-based header has the common document fields (Id, Comp_Id, DocumentType,
// DocSubType_Id, DocumentNo, dates, vendor and its lookup texts, Currency_Id, CurrencyFactor,
// PriceIncludingVAT, payment and posting groups, BusinessGroup_Id, the totals TotalValue,
// VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, InvDiscAmount, VAT ledger
// data) and the foreign-trade fields; each document adds its own (vendor document numbers,
// order dates and status, corrected invoice, global document links, CheckStatus on invoices
// and credit memos); posted documents add the annulment and open-amount fields.
// Lines refer to their header by Master_Id. Global documents use the global line names
// (DirectUnitCost, UnitCost, LineDiscount_percent, IndirectCost_percent, QtyPerUnit,
// VatValue_LCY); global invoices and credit memos also carry Inv_DiscountAmount.
TPurchFieldList PurchHeaderFields(TPurchDocument document);
TPurchFieldList PurchLineFields(TPurchDocument document);

// True for the global (consolidated) documents and their posted forms.
bool IsGlobalPurchDocument(TPurchDocument document);

// Maintained aggregates of the line dataset: Agg_Line_No (largest Line_No) and the sums
// Agg_TotalValue, Agg_TotalVat, Agg_TotalValue_LCY, Agg_TotalVat_LCY. The dataset must be open.
void CreatePurchLineAggregates(TClientDataSet& Line);
// Copies the four sums into the header's TotalValue, TotalVAT, TotalValue_LCY, TotalVAT_LCY
// while the header is being edited; a missing or empty aggregate writes 0.
void PurchCopyLineTotalsToHeader(TClientDataSet& Header, TClientDataSet& Line);
// The Line_No of a new line: the largest one plus 1, or 1 on a document without lines.
int PurchNextLineNo(TClientDataSet& Line);

// Each field still empty takes its value without running the field's handler: defaults
// are not user changes.
void PurchSetEmptyFieldsQuietly(TClientDataSet& Header,
                                std::initializer_list<std::pair<const char*, Variant>> values);

// The header of a new document: DocumentType, today's DocumentDate and PostingDate, factor 1,
// prices without VAT and the session's business group, each where the field is still empty.
// Defaults are not user changes: they are set without running the fields' handlers.
void PurchSetNewHeaderDefaults(TClientDataSet& Header, int documentType);

// Currency rule: an empty Currency_Id is the local currency with factor 1; document
// amounts become local by multiplying by CurrencyFactor, rounded to the amount decimals.
bool IsLocalCurrencyDocument(TClientDataSet& Header);
double PurchToLocalCurrency(double amount, double currencyFactor);
// The reverse divides, rounded the same way; a factor of 0 gives 0.
double PurchFromLocalCurrency(double amountLCY, double currencyFactor);
// Totals rule: the amount with VAT is the amount without VAT plus the VAT.
inline double PurchTotalWithVAT(double totalValue, double vatValue) { return totalValue + vatValue; }

}  // namespace tavrek
