#include "documents/TPurchInvoicePrintout.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/util/Utils.h"
#include "documents/uPurchPrintForms.h"

namespace tavrek {
namespace {

const char* const kHeaderFields =
    "DocumentNo, VendorInvoiceNo, DocumentDate, PostingDate, DueDate, Currency_Id, CurrencyFactor, Contragent_Id, "
    "DocSubType_Id, N_SubDocument_Name, PayMethod_Id, TotalValue, VATValue, TotalVAT, TotalValue_LCY, TotalVAT_LCY";
const char* const kLineFields =
    "Line_No, Code, Description, Measure_Id, Quantity, DirectUnitCost_ACY, LineDiscount, TotalValue, VATPercent";

TRequestResult Read(const std::string& table, const char* fields, const std::string& keyField, const Variant& key,
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

void ReadLines(const std::string& table, const Variant& id, TPurchInvoicePrintout& p) {
    const TRequestResult rows = Read(table, kLineFields, "Master_Id", id, true);
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
        line.UnitPrice = rows.ByName("DirectUnitCost_ACY", i).AsFloat();
        line.Discount = rows.ByName("LineDiscount", i).AsFloat();
        line.Amount = rows.ByName("TotalValue", i).AsFloat();
        line.VATPercent = rows.ByName("VATPercent", i).AsFloat();
        rates[line.VATPercent].Percent = line.VATPercent;
        rates[line.VATPercent].Base += line.Amount;
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

void ReadHeader(const TRequestResult& h, TPurchInvoicePrintout& p) {
    p.DocumentNo = h.ByName("DocumentNo").AsString();
    p.VendorInvoiceNo = h.ByName("VendorInvoiceNo").AsString();
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
    if (request.PrintFormCode == TPurchInvoicePrintout::kLayout) return request.PrintFormCode;
    TRequestResult forms;
    return PurchPrintForms(subTypeId, forms) > 0 ? forms.ByName("PF_Id").AsString() : std::string();
}

}  // namespace

bool TPurchInvoicePrintout::Load(const TPrintRequest& request, TPurchInvoicePrintout& printout) {
    if (request.Keys.empty() || request.Keys.front().IsEmpty()) return false;
    const Variant id = request.Keys.front();
    for (const auto& [header, lines, posted] : {std::tuple{"D_PurchInvoiceHeader", "D_PurchInvoiceLine", true},
                                                std::tuple{"D_PurchHeader", "D_PurchaseLine", false}}) {
        const TRequestResult h = Read(header, kHeaderFields, "Id", id);
        if (h.Empty()) continue;
        printout = TPurchInvoicePrintout{};
        printout.Layout = LayoutOf(request, h.ByName("DocSubType_Id"));
        if (printout.Layout != kLayout) return false;
        printout.Posted = posted;
        ReadHeader(h, printout);
        printout.Company = ReadParty("C_CompanySetup", LocalData().CompanyId);
        printout.Vendor = ReadParty("N_Contragent", h.ByName("Contragent_Id"));
        ReadLines(lines, id, printout);
        return true;
    }
    return false;
}

}  // namespace tavrek
