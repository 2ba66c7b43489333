#include "base/partner/TUblPartnerService.h"

#include <algorithm>
#include <sstream>

#include "base/util/Text.h"

namespace tavrek {
namespace {

std::vector<std::string> SplitFields(const std::string& fields) {
    std::vector<std::string> out;
    std::stringstream stream(fields);
    std::string field;
    while (std::getline(stream, field, ',')) out.push_back(Trim(field));
    return out;
}

// What the line's allowances and charges (and the vendor's rounding) take off its gross value.
double DiscountPercent(const TUblInvoiceLine& line) {
    const double gross = line.Quantity * line.DirectUnitCost;
    return gross == 0.0 ? 0.0 : (gross - line.LineAmount) * 100.0 / gross;
}

Variant LineValue(const TUblInvoice& document, const TUblInvoiceLine& line, std::string_view field) {
    const std::string name = ToLowerAscii(field);
    if (name == "type") return Variant(int64_t{1});
    if (name == "id") return Variant(line.Id);
    if (name == "code") return Variant(line.Code);
    if (name == "barcode") return Variant(line.Barcode);
    if (name == "description2" || name == "description") return Variant(line.Description);
    if (name == "measure_id") return Variant(line.Measure_Id);
    if (name == "serialno") return Variant(line.SerialNo);
    if (name == "partno") return Variant(line.PartNo);
    if (name == "quantity") return Variant(line.Quantity);
    if (name == "directunitcost_acy") return Variant(line.DirectUnitCost);
    if (name == "linediscount") return Variant(DiscountPercent(line));
    if (name == "vatpercent") return Variant(line.Category.Percent);
    if (name == "documentno") return Variant(document.DocumentNo);
    // The vendor's invoice knows nothing of our receipts: nothing is counted against it yet.
    if (name == "calculatedqty" || name == "returnedqty" || name == "receivedqty" || name == "rejectedqty")
        return Variant(0.0);
    return Variant();
}

bool KnownLineField(std::string_view field) {
    static const char* const known[] = {"type", "id", "code", "barcode", "description2", "description",
                                        "measure_id", "serialno", "partno", "quantity", "directunitcost_acy",
                                        "linediscount", "vatpercent", "documentno", "calculatedqty",
                                        "returnedqty", "receivedqty", "rejectedqty", "globaldimension_id"};
    const std::string name = ToLowerAscii(field);
    return std::any_of(std::begin(known), std::end(known), [&](const char* k) { return name == k; });
}

TVariantArray DocumentRow(const TUblInvoice& document) {
    return {Variant(document.DocumentNo),
            Variant(document.DocumentDate),
            document.HasDueDate ? Variant(document.DueDate) : Variant(),
            Variant(document.PayMethod),
            Variant(document.Currency),
            Variant(document.Comment),
            Variant(document.TypeCode),
            Variant(document.OrderReference),
            Variant(int64_t{0})};  // UBL prices are without VAT
}

// Conditions on our own document name the vendor and business group of the connection,
// which the folder already stands for; the rest apply to the vendor's lines.
TFilter LineConditions(const TFilter& filter) {
    std::vector<TFilterCondition> kept;
    for (const TFilterCondition& condition : filter.Conditions())
        if (!EqualsIgnoreCase(condition.TableName(), "D_PurchHeader")) kept.push_back(condition);
    if (!kept.empty()) kept.back().Connector = TFilterConnector::fcNone;
    TFilter lines;
    for (TFilterCondition& condition : kept) lines.Add(std::move(condition));
    return lines;
}

}  // namespace

TRequestResult TUblPartnerService::GetDocuments(std::vector<std::string>& problems) {
    TRequestResult result;
    result.Columns = {"DocumentNo", "DocumentDate",     "DueDate",          "PayMethod_id",     "Currency_Id",
                      "Comment",    "SubDocTypeCode",   "SourceDocumentNo", "PriceIncludingVAT"};
    for (const std::string& name : DocumentNames()) {
        try {
            result.Rows.push_back(DocumentRow(ReadDocument(name)));
        } catch (const EPartnerError& e) {
            problems.emplace_back(e.what());
        }
    }
    return result;
}

TUblInvoice TUblPartnerService::GetDocument(const std::string& documentNo) {
    const std::vector<std::string> names = DocumentNames();
    for (const std::string& name : names)
        if (NumberOfName(name) == documentNo) return ReadDocument(name);
    for (const std::string& name : names) {
        try {
            TUblInvoice document = ReadDocument(name);
            if (document.DocumentNo == documentNo) return document;
        } catch (const EPartnerError&) {
            // a broken document of another number does not stand in the way of this one
        }
    }
    throw EPartnerError("Документ \"" + documentNo + "\" не е намерен при доставчика");
}

TRequestResult TUblPartnerService::GetDocumentLines(const std::string& documentNo, const std::string& fields,
                                                       const TFilter& filter) {
    const TUblInvoice document = GetDocument(documentNo);
    TRequestResult result;
    result.Columns = SplitFields(fields);
    for (const std::string& column : result.Columns)
        if (!KnownLineField(column)) throw EPartnerError("Услугата на доставчика не познава полето \"" + column + "\"");
    const TFilter lineFilter = LineConditions(filter);
    for (const TUblInvoiceLine& line : document.Lines) {
        const bool pass = lineFilter.Matches([&](std::string_view field) -> Variant {
            return LineValue(document, line, field);
        });
        if (!pass) continue;
        TVariantArray row;
        for (const std::string& column : result.Columns) row.push_back(LineValue(document, line, column));
        result.Rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace tavrek
