#include "documents/TPurchInvoicePrintout.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <utility>

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/util/Utils.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uPurchPrintForms.h"

namespace tavrek {
namespace {

const char* const kHeaderFields =
    "DocumentNo, VendorInvoiceNo, VendorCreditMemoNo, ToInvoiceNo, InvoiceDate, ToInvoiceDate, DocumentDate, "
    "PostingDate, DueDate, Currency_Id, CurrencyFactor, Contragent_Id, DocSubType_Id, N_SubDocument_Name, "
    "PayMethod_Id, TotalValue, VATValue, TotalVAT, TotalValue_LCY, TotalVAT_LCY, VendorOrderNo, VendorShipmentNo, "
    "DocumentType";
// Only posted documents keep the number of the order they carry out.
const char* const kPostedHeaderFields = ", OrderNo";

// Each layout, the posted tables of its documents, the vendor's number it shows (none on a
// protocol, which carries the number of the vendor's document it charges), and its captions.
struct TLayoutKind {
    const char* Layout;
    const char* Title;
    const char* FileKind;  // how the saved file names the document
    const char* PostedHeader;
    const char* PostedLines;
    const char* VendorNoField;
    const char* VendorNoCaption;
    const char* ToInvoiceCaption = "Към фактура №:";
    const char* InvoiceDateCaption = "Дата на фактурата:";
    const char* TotalCaption = "Сума за плащане";
    const char* UnitPriceField = "DirectUnitCost_ACY";  // a protocol's lines keep their local price only
};

const TLayoutKind kLayoutKinds[] = {
    {TPurchInvoicePrintout::kLayout, "ФАКТУРА ЗА ПОКУПКА", "Фактура", "D_PurchInvoiceHeader", "D_PurchInvoiceLine",
     "VendorInvoiceNo", "Фактура на доставчика:"},
    {TPurchInvoicePrintout::kDebitMemoLayout, "ДЕБИТНО ИЗВЕСТИЕ ЗА ПОКУПКА", "Дебитно известие", "D_PurchInvoiceHeader",
     "D_PurchInvoiceLine", "VendorInvoiceNo", "Дебитно известие на доставчика:"},
    {TPurchInvoicePrintout::kAdvanceLayout, "ФАКТУРА ЗА АВАНСОВО ПЛАЩАНЕ", "Авансово плащане", "D_PurchInvoiceHeader", "D_PurchInvoiceLine",
     "VendorInvoiceNo", "Фактура на доставчика:"},
    {TPurchInvoicePrintout::kCrMemoLayout, "КРЕДИТНО ИЗВЕСТИЕ ЗА ПОКУПКА", "Кредитно известие", "D_PurchCrMemoHeader", "D_PurchCrMemoLine",
     "VendorCreditMemoNo", "Кредитно известие на доставчика:"},
    {TPurchInvoicePrintout::kReceiptLayout, "СТОКОВА РАЗПИСКА", "Доставка", "D_PurchReceiptHeader", "D_PurchReceiptLine",
     "VendorShipmentNo", "Доставка на доставчика:"},
    {TPurchInvoicePrintout::kReturnOrderLayout, "ВРЪЩАНЕ НА СТОКА КЪМ ДОСТАВЧИК", "Връщане", "D_PostPurchOrderHeader",
     "D_PostPurchOrderLine", "VendorOrderNo", "Поръчка на доставчика:"},
    {TPurchInvoicePrintout::kRejectOrderLayout, "ОТКАЗАНА ПОРЪЧКА", "Отказана поръчка", "D_PostPurchOrderHeader", "D_PostPurchOrderLine",
     "VendorOrderNo", "Поръчка на доставчика:"},
    // The company charges itself the VAT of the vendor's document: nothing is paid by it.
    {TPurchInvoicePrintout::kProtocolLayout, "ПРОТОКОЛ ПО ЧЛ. 117 ЗДДС", "Протокол", "D_PurchInvoiceHeader", "D_PurchInvoiceLine", "",
     "", "Към фактура №:", "Дата на фактурата:", "Стойност с ДДС", "DirectUnitCost"},
    {TPurchInvoicePrintout::kCrMemoProtocolLayout, "ПРОТОКОЛ КЪМ КРЕДИТНО ИЗВЕСТИЕ", "Протокол към кредитно известие", "D_PurchCrMemoHeader",
     "D_PurchCrMemoLine", "", "", "Към кредитно известие №:", "Дата на известието:", "Стойност с ДДС", "DirectUnitCost"},
    // Offers, orders and buffers ask for goods or move them: nothing is paid on them.
    {TPurchInvoicePrintout::kOfferLayout, "ОФЕРТА ЗА ПОКУПКА", "Оферта", "", "", "VendorOrderNo", "Оферта на доставчика:",
     "Към фактура №:", "Дата на фактурата:", "Стойност с ДДС"},
    {TPurchInvoicePrintout::kOrderLayout, "ПОРЪЧКА ЗА ПОКУПКА", "Поръчка", "D_PostPurchOrderHeader", "D_PostPurchOrderLine",
     "VendorOrderNo", "Поръчка на доставчика:", "Към фактура №:", "Дата на фактурата:", "Стойност с ДДС"},
    {TPurchInvoicePrintout::kOrderBufferLayout, "БУФЕР НА ПОРЪЧКА", "Буфер на поръчка", "", "", "VendorShipmentNo",
     "Доставка на доставчика:", "Към фактура №:", "Дата на фактурата:", "Стойност с ДДС"},
    {TPurchInvoicePrintout::kGenericLayout, "ОБЩ ДОКУМЕНТ ЗА ПОКУПКА", "Общ документ", "D_PurchInvoiceHeader",
     "D_PurchInvoiceLine", "VendorInvoiceNo", "Документ на доставчика:"},
    {TPurchInvoicePrintout::kGenericCrMemoLayout, "ОБЩО КРЕДИТНО ИЗВЕСТИЕ", "Общо кредитно известие", "D_PurchCrMemoHeader",
     "D_PurchCrMemoLine", "VendorCreditMemoNo", "Кредитно известие на доставчика:"},
    {TPurchInvoicePrintout::kGlobalInvoiceLayout, "ГЛОБАЛНА ФАКТУРА", "Глобална фактура", "D_PurchInvoiceHeader",
     "D_PurchInvoiceLine", "VendorInvoiceNo", "Фактура на доставчика:"},
    {TPurchInvoicePrintout::kGlobalCrMemoLayout, "ГЛОБАЛНО КРЕДИТНО ИЗВЕСТИЕ", "Глобално кредитно известие",
     "D_PurchCrMemoHeader", "D_PurchCrMemoLine", "VendorCreditMemoNo", "Кредитно известие на доставчика:"},
};

// The layout of each kind of document, for a document whose subtype names no layout of its kind.
const std::pair<int, const char*> kKindLayouts[] = {
    {1, TPurchInvoicePrintout::kLayout},           {6, TPurchInvoicePrintout::kLayout},
    {12, TPurchInvoicePrintout::kDebitMemoLayout}, {30, TPurchInvoicePrintout::kAdvanceLayout},
    {11, TPurchInvoicePrintout::kCrMemoLayout},    {13, TPurchInvoicePrintout::kCrMemoLayout},
    {20, TPurchInvoicePrintout::kOfferLayout},     {22, TPurchInvoicePrintout::kOrderLayout},
    {24, TPurchInvoicePrintout::kOrderLayout},     {23, TPurchInvoicePrintout::kOrderBufferLayout},
    {25, TPurchInvoicePrintout::kReturnOrderLayout}, {26, TPurchInvoicePrintout::kReceiptLayout},
    {27, TPurchInvoicePrintout::kRejectOrderLayout}, {31, TPurchInvoicePrintout::kGenericLayout},
    {32, TPurchInvoicePrintout::kGenericCrMemoLayout}, {40, TPurchInvoicePrintout::kProtocolLayout},
    {41, TPurchInvoicePrintout::kCrMemoProtocolLayout}, {3, TPurchInvoicePrintout::kGlobalInvoiceLayout},
    {8, TPurchInvoicePrintout::kGlobalInvoiceLayout}, {15, TPurchInvoicePrintout::kGlobalCrMemoLayout},
    {17, TPurchInvoicePrintout::kGlobalCrMemoLayout},
};

const TLayoutKind* FindLayout(const std::string& layout) {
    for (const TLayoutKind& kind : kLayoutKinds)
        if (layout == kind.Layout) return &kind;
    return nullptr;
}

const TLayoutKind* KindLayout(int64_t documentType) {
    for (const auto& [type, layout] : kKindLayouts)
        if (type == documentType) return FindLayout(layout);
    return nullptr;
}

// Receipts, return and rejection orders keep the subtype of the buffer that posted them, so
// the kind of document chooses their layout, not the subtype's print form.
bool OwnLayout(const std::string& header) {
    return header == "D_PurchReceiptHeader" || header == "D_PostPurchOrderHeader";
}
const char* const kLineFields = "Line_No, Code, Description, Measure_Id, Quantity, LineDiscount, TotalValue, VATPercent, VATBaseAmount";

TRequestResult Read(const std::string& table, const std::string& fields, const std::string& keyField, const Variant& key,
                    bool allRows = false) {
    TRequestResult rows;
    dm().Server().RequestValue(0, table, fields, TFilter().Add(table + "." + keyField, "=", key), rows, allRows);
    return rows;
}

TPurchInvoicePrintout::TParty ReadParty(const std::string& table, const Variant& id) {
    const TRequestResult row = Read(table, "Name, Address, City, Bulstat, VATRegistrationNo", "Id", id);
    if (row.Empty()) return {};
    return {row.ByName("Name").AsString(), row.ByName("Address").AsString(), row.ByName("City").AsString(),
            row.ByName("Bulstat").AsString(), row.ByName("VATRegistrationNo").AsString()};
}

std::map<std::string, std::string> MeasureNames() {
    TRequestResult rows;
    dm().Server().RequestValue(0, "N_Measure", "Id, Name", TFilter(), rows, true);
    std::map<std::string, std::string> names;
    for (size_t i = 0; i < rows.Rows.size(); ++i) names[rows.Value(i, 0).AsString()] = rows.Value(i, 1).AsString();
    return names;
}

// A generic document's VAT base is typed on its lines and may be less than their amounts.
void ReadLines(const std::string& table, const TLayoutKind& kind, const Variant& id, TPurchInvoicePrintout& p) {
    const char* priceField = kind.UnitPriceField;
    const bool typedBase = std::string_view(kind.Layout) == TPurchInvoicePrintout::kGenericLayout ||
                           std::string_view(kind.Layout) == TPurchInvoicePrintout::kGenericCrMemoLayout;
    const TRequestResult rows = Read(table, std::string(kLineFields) + ", " + priceField, "Master_Id", id, true);
    const std::map<std::string, std::string> measures = MeasureNames();
    std::map<double, TPurchInvoicePrintout::TVATRate> rates;
    for (size_t i = 0; i < rows.Rows.size(); ++i) {
        TPurchInvoicePrintout::TLine line;
        line.LineNo = rows.ByName("Line_No", i).AsInteger();
        line.Code = rows.ByName("Code", i).AsString();
        line.Description = rows.ByName("Description", i).AsString();
        const std::string measure = rows.ByName("Measure_Id", i).AsString();
        line.Measure = measures.count(measure) > 0 ? measures.at(measure) : measure;
        line.Quantity = rows.ByName("Quantity", i).AsFloat();
        line.UnitPrice = rows.ByName(priceField, i).AsFloat();
        line.Discount = rows.ByName("LineDiscount", i).AsFloat();
        line.Amount = rows.ByName("TotalValue", i).AsFloat();
        line.VATPercent = rows.ByName("VATPercent", i).AsFloat();
        rates[line.VATPercent].Percent = line.VATPercent;
        rates[line.VATPercent].Base += typedBase ? rows.ByName("VATBaseAmount", i).AsFloat() : line.Amount;
        p.Lines.push_back(std::move(line));
    }
    std::sort(p.Lines.begin(), p.Lines.end(), [](const auto& a, const auto& b) { return a.LineNo < b.LineNo; });
    const int decimals = LocalData().AmountDecimals;
    for (auto& [percent, rate] : rates) {
        rate.Base = RoundUp(rate.Base, decimals);
        rate.VAT = RoundUp(rate.Base * percent / 100.0, decimals);
        p.VATRates.push_back(rate);
    }
}

TDateTime DateOf(const Variant& value) { return value.IsEmpty() ? TDateTime() : value.AsDateTime(); }

void ReadHeader(const TRequestResult& h, const TLayoutKind& kind, TPurchInvoicePrintout& p) {
    p.Title = kind.Title;
    p.FileKind = kind.FileKind;
    p.VendorNoCaption = kind.VendorNoCaption;
    p.ToInvoiceCaption = kind.ToInvoiceCaption;
    p.InvoiceDateCaption = kind.InvoiceDateCaption;
    p.TotalCaption = kind.TotalCaption;
    p.DocumentNo = h.ByName("DocumentNo").AsString();
    if (*kind.VendorNoField != '\0') p.VendorInvoiceNo = h.ByName(kind.VendorNoField).AsString();
    p.ToInvoiceNo = h.ByName("ToInvoiceNo").AsString();
    if (h.ColumnIndex("OrderNo") >= 0) p.OrderNo = h.ByName("OrderNo").AsString();
    p.InvoiceDate = DateOf(h.ByName("ToInvoiceDate").IsEmpty() ? h.ByName("InvoiceDate") : h.ByName("ToInvoiceDate"));
    p.SubTypeName = h.ByName("N_SubDocument_Name").AsString();
    p.PayMethod = h.ByName("PayMethod_Id").AsString();
    p.DocumentDate = DateOf(h.ByName("DocumentDate"));
    p.PostingDate = DateOf(h.ByName("PostingDate"));
    p.DueDate = DateOf(h.ByName("DueDate"));
    p.LocalCurrency = LocalData().LocalCurrencyId;
    p.Currency = h.ByName("Currency_Id").IsEmpty() ? p.LocalCurrency : h.ByName("Currency_Id").AsString();
    p.CurrencyFactor = h.ByName("CurrencyFactor").IsEmpty() ? 1.0 : h.ByName("CurrencyFactor").AsFloat();
    p.TotalValue = h.ByName("TotalValue").AsFloat();
    p.VATValue = h.ByName("VATValue").AsFloat();
    p.TotalVAT = h.ByName("TotalVAT").AsFloat();
    p.TotalValue_LCY = h.ByName("TotalValue_LCY").AsFloat();
    p.TotalVAT_LCY = h.ByName("TotalVAT_LCY").AsFloat();
}

// The print form a request names, or for a print group the first form of the subtype.
std::string LayoutOf(const TPrintRequest& request, const Variant& subTypeId) {
    if (FindLayout(request.PrintFormCode) != nullptr) return request.PrintFormCode;
    TRequestResult forms;
    return PurchPrintForms(subTypeId, forms) > 0 ? forms.ByName("PF_Id").AsString() : std::string();
}

}  // namespace

bool TPurchInvoicePrintout::Load(const TPrintRequest& request, TPurchInvoicePrintout& printout) {
    if (request.Keys.empty() || request.Keys.front().IsEmpty()) return false;
    const Variant id = request.Keys.front();
    struct TTables {
        const char* Header;
        const char* Lines;
        bool Posted;
    };
    for (const auto& [header, lines, posted] : {TTables{"D_PurchInvoiceHeader", "D_PurchInvoiceLine", true},
                                                TTables{"D_PurchCrMemoHeader", "D_PurchCrMemoLine", true},
                                                TTables{"D_PurchReceiptHeader", "D_PurchReceiptLine", true},
                                                TTables{"D_PostPurchOrderHeader", "D_PostPurchOrderLine", true},
                                                TTables{"D_PurchHeader", "D_PurchaseLine", false},
                                                TTables{"D_PurchOrderBufHeader", "D_PurchOrderBufLine", false},
                                                TTables{"D_GlobalPurchHeader", "D_GlobalPurchLine", false}}) {
        const std::string fields = posted ? std::string(kHeaderFields) + kPostedHeaderFields : kHeaderFields;
        const TRequestResult h = Read(header, fields, "Id", id);
        if (h.Empty()) continue;
        const TLayoutKind* kind = OwnLayout(header) ? nullptr : FindLayout(LayoutOf(request, h.ByName("DocSubType_Id")));
        // A print form of another kind of document (an invoice's for a credit memo) is not
        // this document's: it prints on the layout of its kind.
        if (kind == nullptr || (posted && std::string_view(header) != kind->PostedHeader))
            kind = KindLayout(h.ByName("DocumentType").AsInteger());
        if (kind == nullptr) return false;
        printout = TPurchInvoicePrintout{};
        printout.Layout = kind->Layout;
        printout.Posted = posted;
        ReadHeader(h, *kind, printout);
        printout.Company = ReadParty("C_CompanySetup", LocalData().CompanyId);
        printout.Vendor = ReadParty("N_Contragent", h.ByName("Contragent_Id"));
        ReadLines(lines, *kind, id, printout);
        return true;
    }
    return false;
}

}  // namespace tavrek
