#include "documents/uPurchDocumentModel.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

#include "base/data/TClientDataSet.h"
#include "base/session/LocalData.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek {

namespace {

using enum TFieldType;
using TGroup = std::initializer_list<TFieldDef>;

const TGroup kHeaderCommon = {
    {"Id", ftString}, {"Comp_Id", ftString}, {"DocumentType", ftInteger}, {"DocSubType_Id", ftString},
    {"N_SubDocument_Code", ftString}, {"N_SubDocument_Name", ftString}, {"DocumentNo", ftString},
    {"Series_Id", ftString}, {"AbsoluteNo", ftString}, {"DocumentDate", ftDateTime}, {"PostingDate", ftDateTime},
    {"DueDate", ftDateTime}, {"Contragent_Id", ftString}, {"N_Contragent_Code", ftString},
    {"N_Contragent_Name", ftString}, {"N_Contragent_Bulstat", ftString},
    {"N_Contragent_VATRegistrationNo", ftString}, {"Currency_Id", ftString}, {"CurrencyFactor", ftFloat},
    {"PriceIncludingVAT", ftInteger}, {"PayMethod_Id", ftString}, {"PayTerm_Id", ftString},
    {"VATBusPostGroup_Id", ftString}, {"GenBusPostGroup_Id", ftString}, {"CntrPostingGroup_Id", ftString},
    {"BusinessGroup_Id", ftString}, {"SalesPerson_Id", ftString}, {"User_Id", ftString},
    {"C_Datetime", ftDateTime}, {"Comment", ftString}, {"TotalValue", ftFloat}, {"VATValue", ftFloat},
    {"TotalVAT", ftFloat}, {"TotalValue_LCY", ftFloat}, {"VATValue_LCY", ftFloat}, {"TotalVAT_LCY", ftFloat},
    {"InvDiscAmount", ftFloat}, {"VATLedger", ftInteger}, {"LedgerSubjectType", ftString},
    {"PurchType163a", ftString}, {"AppliesToDoc_Id", ftString}, {"DirectPay", ftInteger},
    {"TransactionNo", ftInteger}};

const TGroup kHeaderForeignTrade = {
    {"ThirdSideOfDeal", ftString}, {"DealKind", ftString}, {"StatProcedure", ftString},
    {"TermsOfDelivery", ftString}, {"TransportType", ftString}, {"TransportCountry", ftString},
    {"ThirdSideCountry_Id", ftString}, {"Region_Id", ftString}, {"TotalWeight", ftFloat},
    {"AdditionalCosts", ftFloat}, {"DoNotIncInIntrastat", ftInteger}};

const TGroup kHeaderInvoice = {
    {"VendorInvoiceNo", ftString}, {"VendorShipmentNo", ftString}, {"CustomsDeclarationNo", ftString},
    {"ExpectedReceiptDate", ftDateTime}, {"DoNotIncInVATLedger", ftInteger}, {"GlobalInvoiceNo", ftString},
    {"IsGlobalInvoice", ftInteger}, {"VendorGlobalInvoiceNo", ftString}, {"CheckStatus", ftInteger},
    {"OrderNo", ftString}};

const TGroup kHeaderGeneric = {{"BankAccount_Id", ftString}};

const TGroup kHeaderOffer = {
    {"OrderDate", ftDateTime}, {"VendorOrderNo", ftString}, {"ExpectedReceiptDate", ftDateTime},
    {"RequestedReceiptDate", ftDateTime}, {"RequestedReceiptHour", ftString}};

const TGroup kHeaderOrder = {
    {"DocStatus", ftInteger}, {"AutoOrderStartDate", ftDateTime}, {"VendorShipmentNo", ftString}};

const TGroup kHeaderBuffer = {
    {"OrderDate", ftDateTime}, {"VendorOrderNo", ftString}, {"VendorShipmentNo", ftString},
    {"VendorInvoiceNo", ftString}, {"ExpectedReceiptDate", ftDateTime}, {"DocStatus", ftInteger},
    {"ToOrderNo", ftString}, {"OperationName", ftString}, {"CheckStatus", ftInteger},
    {"NotIncludeVatLedger", ftInteger}};

const TGroup kHeaderCrMemo = {
    {"VendorCreditMemoNo", ftString}, {"ToInvoiceNo", ftString}, {"InvoiceDate", ftDateTime},
    {"ToInvoiceDate", ftDateTime}, {"NotIncludeVatLedger", ftInteger}, {"DoNotIncInVATLedger", ftInteger},
    {"GlobalCrMemoNo", ftString}, {"IsGlobalCrMemo", ftInteger}, {"VendorGlobalCrMemoNo", ftString},
    {"CheckStatus", ftInteger}};

const TGroup kHeaderDebitMemo = {
    {"VendorInvoiceNo", ftString}, {"ToInvoiceNo", ftString}, {"InvoiceDate", ftDateTime},
    {"ToInvoiceDate", ftDateTime}, {"DoNotIncInVATLedger", ftInteger}};

const TGroup kHeaderGlobalInvoice = {
    {"GlobalInvoiceNo", ftString}, {"VendorGlobalInvoiceNo", ftString}, {"NotIncludeVatLedger", ftInteger}};

const TGroup kHeaderGlobalProtocol = {
    {"GlobalInvoiceNo", ftString}, {"ProtocolNo", ftString}, {"DoNotIncInVatLedger", ftInteger}};

const TGroup kHeaderGlobalCrMemo = {
    {"GlobalCrMemoNo", ftString}, {"VendorGlobalCrMemoNo", ftString}, {"NotIncludeVatLedger", ftInteger}};

const TGroup kHeaderGlobalCrMemoProtocol = {
    {"GlobalCrMemoNo", ftString}, {"VendorGlobalCrMemoNo", ftString}, {"VendorCreditMemoDate", ftDateTime},
    {"ProtocolNo", ftString}, {"DoNotIncInVatLedger", ftInteger}};

const TGroup kHeaderPosted = {
    {"Annul", ftInteger}, {"AnnulDate", ftDateTime}, {"AnnulDescription", ftString}, {"AnnulUser_Id", ftString},
    {"PostingUser_Id", ftString}, {"Remaining", ftFloat}, {"Remaining_ACY", ftFloat}, {"OrderNo", ftString},
    {"ProtocolNo", ftString}, {"ExternalDoc_No", ftString}, {"No_Printed", ftInteger}};

const TGroup kLineCommon = {
    {"Id", ftString}, {"Master_Id", ftString}, {"Comp_Id", ftString}, {"Line_No", ftInteger}, {"Type", ftInteger},
    {"Code", ftString}, {"Description", ftString}, {"Description2", ftString}, {"Measure_Id", ftString},
    {"QtyPerUnitOfMeasure", ftFloat}, {"Quantity", ftFloat}, {"Quantity_Base", ftFloat},
    {"DirectUnitCost_ACY", ftFloat}, {"OriginalPrice", ftFloat}, {"OriginalDiscount", ftFloat},
    {"LineDiscount", ftFloat}, {"LineDiscountAmount", ftFloat}, {"AllowInvoiceDisc", ftInteger},
    {"InvDiscAmount", ftFloat}, {"TotalPrice", ftFloat}, {"IndirectCostPercent", ftFloat},
    {"UnitCost_ACY", ftFloat}, {"UnitCost_LCY", ftFloat}, {"VATProdPostGroup_Id", ftString},
    {"VATBusPostGroup_Id", ftString}, {"GenBusPostGroup_Id", ftString}, {"BusinessGroup_Id", ftString},
    {"PriceIncludingVAT", ftInteger}, {"Currency_Id", ftString}, {"VATLedger", ftInteger},
    {"GenProdPostGroup_Id", ftString}, {"VATPercent", ftFloat}, {"VATCalculationType", ftInteger},
    {"VATBaseAmount", ftFloat}, {"TotalValue", ftFloat}, {"VATValue", ftFloat}, {"TotalVAT", ftFloat},
    {"TotalValue_LCY", ftFloat}, {"VATValue_LCY", ftFloat}, {"TotalVAT_LCY", ftFloat},
    {"AccountDimension_Id", ftString}, {"GlobalDimension_Id", ftString}, {"DeprBook_Id", ftString},
    {"ItemCharge_Id", ftString}, {"DocumentType", ftInteger}, {"VendorItemNo", ftString}, {"SerialNo", ftString},
    {"PartNo", ftString}, {"UnitPrice", ftFloat}, {"UnitPriceWithVAT", ftFloat}, {"Marj", ftFloat},
    {"PriceDiff", ftFloat}, {"QtyDiff", ftFloat}};

const TGroup kLineFromOrder = {{"OrderLine_Id", ftString}};

// Order quantities, each with its base-unit companion where the documents recompute one.
const TGroup kLineOrderQuantities = {
    {"QtyToReceive", ftFloat}, {"QtyToReceive_Base", ftFloat}, {"QtyToInvoice", ftFloat},
    {"QtyToInvoice_Base", ftFloat}, {"ReceivedQty", ftFloat}, {"ReceivedQty_Base", ftFloat},
    {"InvoicedQty", ftFloat}, {"InvoicedQty_Base", ftFloat}, {"OutstandingQty", ftFloat},
    {"OutstandingQty_Base", ftFloat}, {"QtyRcdNotInvoiced", ftFloat}, {"QtyRcdNotInvoiced_Base", ftFloat},
    {"RejectedQty", ftFloat}, {"ReturnedQty", ftFloat}, {"CalculatedQTY", ftFloat}};

const TGroup kLineOrderConfirmation = {
    {"ConfirmQuantity", ftFloat}, {"ConfirmPrice", ftFloat}, {"ConfirmDiscount", ftFloat}};

const TGroup kLineBuffer = {{"DirectUnitCost", ftFloat}};

const TGroup kLineGlobal = {
    {"Id", ftString}, {"Master_Id", ftString}, {"Comp_Id", ftString}, {"Line_No", ftInteger}, {"Type", ftInteger},
    {"Code", ftString}, {"Description", ftString}, {"Measure_Id", ftString}, {"QtyPerUnit", ftFloat},
    {"Quantity", ftFloat}, {"Quantity_Base", ftFloat}, {"DirectUnitCost", ftFloat}, {"UnitCost", ftFloat},
    {"UnitCost_LCY", ftFloat}, {"LineDiscount_percent", ftFloat}, {"LineDiscountAmount", ftFloat},
    {"IndirectCost_percent", ftFloat}, {"OriginalPrice", ftFloat}, {"OriginalDiscount", ftFloat},
    {"PriceIncludingVAT", ftInteger}, {"Currency_Id", ftString}, {"VATPercent", ftFloat},
    {"VATCalculationType", ftInteger}, {"VATLedger", ftInteger}, {"VATBusPostGroup_Id", ftString},
    {"VATProdPostGroup_Id", ftString}, {"TotalPrice", ftFloat}, {"TotalValue", ftFloat},
    {"VATBaseAmount", ftFloat}, {"VATValue", ftFloat}, {"TotalVAT", ftFloat}, {"TotalValue_LCY", ftFloat},
    {"VatValue_LCY", ftFloat}, {"TotalVAT_LCY", ftFloat}, {"SrcLine_Id", ftString},
    {"BusinessGroup_Id", ftString}};

const TGroup kLineGlobalInvDiscount = {{"Inv_DiscountAmount", ftFloat}};

// Joins groups in order; a name already present (in any casing) is kept once.
TPurchFieldList Join(std::initializer_list<const TGroup*> groups) {
    TPurchFieldList fields;
    for (const TGroup* group : groups)
        for (const TFieldDef& def : *group) {
            const bool present = std::any_of(fields.begin(), fields.end(),
                                             [&](const TFieldDef& f) { return EqualsIgnoreCase(f.Name, def.Name); });
            if (!present) fields.push_back(def);
        }
    return fields;
}

// The document whose fields a posted document shows.
TPurchDocument Unposted(TPurchDocument document) {
    using enum TPurchDocument;
    switch (document) {
        case pdPostedInvoice:
        case pdPostedReceipt: return pdInvoice;
        case pdPostedCrMemo: return pdCrMemo;
        case pdPostedOrder: return pdOrder;
        case pdPostedGlobalInvoice: return pdGlobalInvoice;
        case pdPostedGlobalProtocol: return pdGlobalProtocol;
        case pdPostedGlobalCrMemo: return pdGlobalCrMemo;
        case pdPostedGlobalCrMemoProtocol: return pdGlobalCrMemoProtocol;
        default: return document;
    }
}

const TGroup& HeaderExtras(TPurchDocument document) {
    using enum TPurchDocument;
    switch (document) {
        case pdOffer: return kHeaderOffer;
        case pdOrderBuffer: return kHeaderBuffer;
        case pdCrMemo:
        case pdGenericCrMemo: return kHeaderCrMemo;
        case pdDebitMemo: return kHeaderDebitMemo;
        case pdGlobalInvoice: return kHeaderGlobalInvoice;
        case pdGlobalProtocol: return kHeaderGlobalProtocol;
        case pdGlobalCrMemo: return kHeaderGlobalCrMemo;
        case pdGlobalCrMemoProtocol: return kHeaderGlobalCrMemoProtocol;
        default: return kHeaderInvoice;
    }
}

const TGroup kNone = {};

}  // namespace

const std::vector<TPurchDocument>& PurchDocuments() {
    static const std::vector<TPurchDocument> all = [] {
        std::vector<TPurchDocument> documents;
        for (int i = 0; i <= static_cast<int>(TPurchDocument::pdPostedGlobalCrMemoProtocol); ++i)
            documents.push_back(static_cast<TPurchDocument>(i));
        return documents;
    }();
    return all;
}

std::string PurchDocumentName(TPurchDocument document) {
    static const char* const names[] = {
        "Offer", "Order", "Invoice", "DebitMemo", "CrMemo", "AdvancePayment", "GenericDocument", "GenericCrMemo",
        "OrderBuffer", "GlobalInvoice", "GlobalProtocol", "GlobalCrMemo", "GlobalCrMemoProtocol", "PostedInvoice",
        "PostedReceipt", "PostedCrMemo", "PostedOrder", "PostedGlobalInvoice", "PostedGlobalProtocol",
        "PostedGlobalCrMemo", "PostedGlobalCrMemoProtocol"};
    return names[static_cast<int>(document)];
}

bool IsGlobalPurchDocument(TPurchDocument document) {
    using enum TPurchDocument;
    const TPurchDocument base = Unposted(document);
    return base == pdGlobalInvoice || base == pdGlobalProtocol || base == pdGlobalCrMemo ||
           base == pdGlobalCrMemoProtocol;
}

TPurchFieldList PurchHeaderFields(TPurchDocument document) {
    using enum TPurchDocument;
    const TPurchDocument base = Unposted(document);
    const bool posted = base != document;
    const bool order = base == pdOrder;
    const TGroup& orderGroup = order ? kHeaderOffer : kNone;
    return Join({&kHeaderCommon, &orderGroup, order ? &kHeaderOrder : &HeaderExtras(base),
                 base == pdGenericDocument ? &kHeaderGeneric : &kNone, &kHeaderForeignTrade,
                 posted ? &kHeaderPosted : &kNone});
}

TPurchFieldList PurchLineFields(TPurchDocument document) {
    using enum TPurchDocument;
    const TPurchDocument base = Unposted(document);
    if (IsGlobalPurchDocument(base)) {
        const bool invDiscount = base == pdGlobalInvoice || base == pdGlobalCrMemo;
        return Join({&kLineGlobal, invDiscount ? &kLineGlobalInvDiscount : &kNone});
    }
    switch (base) {
        case pdOffer: return Join({&kLineCommon, &kLineOrderQuantities});
        case pdOrder: return Join({&kLineCommon, &kLineOrderQuantities, &kLineOrderConfirmation});
        case pdOrderBuffer: return Join({&kLineCommon, &kLineFromOrder, &kLineOrderQuantities, &kLineBuffer});
        default: return Join({&kLineCommon, &kLineFromOrder});
    }
}

void CreatePurchLineAggregates(TClientDataSet& Line) {
    CreateDynamicAggregate(Line, "Agg_Line_No", "MAX(Line_No)");
    CreateDynamicAggregate(Line, "Agg_TotalValue", "SUM(TotalValue)");
    CreateDynamicAggregate(Line, "Agg_TotalVat", "SUM(TotalVAT)");
    CreateDynamicAggregate(Line, "Agg_TotalValue_LCY", "SUM(TotalValue_LCY)");
    CreateDynamicAggregate(Line, "Agg_TotalVat_LCY", "SUM(TotalVAT_LCY)");
}

void PurchCopyLineTotalsToHeader(TClientDataSet& Header, TClientDataSet& Line) {
    if (Header.State() != TDataSetState::dsEdit && Header.State() != TDataSetState::dsInsert) return;
    static const std::pair<const char*, const char*> pairs[] = {{"Agg_TotalValue", "TotalValue"},
                                                                {"Agg_TotalVat", "TotalVAT"},
                                                                {"Agg_TotalValue_LCY", "TotalValue_LCY"},
                                                                {"Agg_TotalVat_LCY", "TotalVAT_LCY"}};
    for (const auto& [aggregate, field] : pairs) {
        const Variant value = Line.FindAggregate(aggregate) ? Line.AggregateValue(aggregate) : Variant();
        Header.FieldByName(field).SetAsFloat(value.AsFloat());
    }
}

int PurchNextLineNo(TClientDataSet& Line) {
    const Variant largest = Line.FindAggregate("Agg_Line_No") ? Line.AggregateValue("Agg_Line_No") : Variant();
    return largest.IsNull() ? 1 : static_cast<int>(largest.AsInteger()) + 1;
}

bool IsLocalCurrencyDocument(TClientDataSet& Header) {
    return Header.FieldByName("Currency_Id").Value().IsEmpty();
}

double PurchToLocalCurrency(double amount, double currencyFactor) {
    return RoundUp(amount * currencyFactor, LocalData().AmountDecimals);
}

double PurchFromLocalCurrency(double amountLCY, double currencyFactor) {
    return currencyFactor == 0 ? 0.0 : RoundUp(amountLCY / currencyFactor, LocalData().AmountDecimals);
}

void PurchSetEmptyFieldsQuietly(TClientDataSet& Header,
                                std::initializer_list<std::pair<const char*, Variant>> values) {
    for (const auto& [name, value] : values) {
        TField* field = Header.FindField(name);
        if (field == nullptr || !field->IsNull()) continue;
        auto handler = std::move(field->OnChange);
        field->OnChange = nullptr;
        field->SetValue(value);
        field->OnChange = std::move(handler);
    }
}

void PurchSetNewHeaderDefaults(TClientDataSet& Header, int documentType) {
    const TDateTime today = TDateTime::Today();
    PurchSetEmptyFieldsQuietly(Header, {{"DocumentType", Variant(int64_t{documentType})},
                                        {"DocumentDate", Variant(today)},
                                        {"PostingDate", Variant(today)},
                                        {"CurrencyFactor", Variant(1.0)},
                                        {"PriceIncludingVAT", Variant(int64_t{0})},
                                        {"BusinessGroup_Id", Variant(LocalData().BusinessGroupId)}});
}

}  // namespace tavrek
