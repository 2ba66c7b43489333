#include "base/partner/TUblInvoice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <pugixml.hpp>

#include "base/partner/ITavrekAPI.h"
#include "base/partner/TUblTotalsCheck.h"
#include "base/partner/UblElements.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

using ubl::Child;
using ubl::Children;
using ubl::LocalName;
using ubl::Path;
using ubl::Text;

// Half of the last written digit, a price being at least to the cent: how far the
// written price may be from the exact one.
double HalfLastDigit(const std::string& number) {
    const size_t point = number.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
    return 0.5 * std::pow(10.0, -std::max(decimals, 2));
}

// The two kinds of document differ in their element names only.
struct TDocumentKind {
    bool IsCreditNote;
    const char* Line;
    const char* Quantity;
    const char* TypeCode;
};
constexpr TDocumentKind kInvoice{false, "InvoiceLine", "InvoicedQuantity", "InvoiceTypeCode"};
constexpr TDocumentKind kCreditNote{true, "CreditNoteLine", "CreditedQuantity", "CreditNoteTypeCode"};

class TReader {
public:
    explicit TReader(std::string sourceName) : source_(std::move(sourceName)) {}

    [[noreturn]] void Fail(const std::string& problem) const {
        throw EPartnerError("Документът на доставчика \"" + source_ + "\" не може да бъде прочетен: " + problem);
    }

    TUblInvoice Document(const pugi::xml_node& root) {
        const TDocumentKind& kind = Kind(root);
        TUblInvoice document;
        document.IsCreditNote = kind.IsCreditNote;
        Header(root, kind, document);
        for (pugi::xml_node node : Children(root, kind.Line))
            document.Lines.push_back(Line(node, kind, document.Lines.size() + 1));
        if (document.Lines.empty()) Fail("документът няма редове");
        for (pugi::xml_node node : Children(root, "AllowanceCharge"))
            document.AllowanceCharges.push_back(AllowanceCharge(node, "документа", true));
        Taxes(root, document);
        Totals(Child(root, "LegalMonetaryTotal"), document.Totals);
        const std::string problem = CheckUblTotals(document);
        if (!problem.empty()) Fail(problem);
        return document;
    }

private:
    const TDocumentKind& Kind(const pugi::xml_node& root) const {
        if (LocalName(root) == "Invoice") return kInvoice;
        if (LocalName(root) == "CreditNote") return kCreditNote;
        Fail("очаква се фактура или кредитно известие UBL 2.1 (елемент Invoice или CreditNote)");
    }

    std::string Required(const pugi::xml_node& parent, std::initializer_list<std::string_view> path,
                         const std::string& what) const {
        std::string value = Text(Path(parent, path));
        if (value.empty()) Fail("липсва " + what);
        return value;
    }

    double Number(const std::string& text, const std::string& what) const {
        double value = 0.0;
        const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
        const char* end = text.data() + text.size();
        const auto [ptr, ec] = std::from_chars(begin, end, value);
        if (ec != std::errc() || ptr != end || !std::isfinite(value) || std::fabs(value) > 1e12)
            Fail(what + " не е число: \"" + text + "\"");
        return value;
    }

    double OptionalNumber(const pugi::xml_node& node, const std::string& what, double fallback) const {
        const std::string text = Text(node);
        return text.empty() ? fallback : Number(text, what);
    }

    bool Boolean(const std::string& text, const std::string& what) const {
        if (text == "true" || text == "1") return true;
        if (text == "false" || text == "0") return false;
        Fail(what + " не е \"true\" или \"false\": \"" + text + "\"");
    }

    TDateTime Date(const std::string& text, const std::string& what) const {
        try {
            if (text.size() != 10) throw std::invalid_argument(text);
            return TDateTime::Parse(text);
        } catch (const std::invalid_argument&) {
            Fail(what + " не е дата във вида ГГГГ-ММ-ДД: \"" + text + "\"");
        }
    }

    void Header(const pugi::xml_node& root, const TDocumentKind& kind, TUblInvoice& document) const {
        document.DocumentNo = Required(root, {"ID"}, "номер на документа");
        document.DocumentDate = Date(Required(root, {"IssueDate"}, "дата на документа"), "датата на документа");
        std::string due = Text(Child(root, "DueDate"));
        if (due.empty()) due = Text(Path(root, {"PaymentMeans", "PaymentDueDate"}));
        document.HasDueDate = !due.empty();
        if (document.HasDueDate) document.DueDate = Date(due, "падежът");
        document.PayMethod = Text(Path(root, {"PaymentMeans", "PaymentMeansCode"}));
        document.Currency = Required(root, {"DocumentCurrencyCode"}, "валута на документа");
        document.TaxCurrency = Text(Child(root, "TaxCurrencyCode"));
        document.Comment = Text(Child(root, "Note"));
        document.TypeCode = Text(Child(root, kind.TypeCode));
        document.OrderReference = Text(Path(root, {"OrderReference", "ID"}));
        document.CreditedInvoiceNo = Text(Path(root, {"BillingReference", "InvoiceDocumentReference", "ID"}));
        const std::string credited = Text(Path(root, {"BillingReference", "InvoiceDocumentReference", "IssueDate"}));
        document.HasCreditedInvoiceDate = !credited.empty();
        if (document.HasCreditedInvoiceDate)
            document.CreditedInvoiceDate = Date(credited, "датата на кредитираната фактура");
    }

    TUblTaxCategory Category(const pugi::xml_node& node, const std::string& where) const {
        TUblTaxCategory category;
        if (!node) return category;
        category.Code = Text(Child(node, "ID"));
        category.Percent = OptionalNumber(Child(node, "Percent"), "ДДС на " + where, 0.0);
        return category;
    }

    TUblAllowanceCharge AllowanceCharge(const pugi::xml_node& node, const std::string& where, bool withCategory) const {
        TUblAllowanceCharge result;
        const std::string what = "отстъпката или надбавката на " + where;
        result.IsCharge = Boolean(Required(node, {"ChargeIndicator"}, "вид на " + what), "видът на " + what);
        result.Percent = OptionalNumber(Child(node, "MultiplierFactorNumeric"), what, 0.0);
        result.Reason = Text(Child(node, "AllowanceChargeReason"));
        const std::string amount = Text(Child(node, "Amount"));
        const std::string base = Text(Child(node, "BaseAmount"));
        if (!amount.empty())
            result.Amount = Number(amount, what);
        else if (result.Percent != 0.0 && !base.empty())
            result.Amount = std::round(Number(base, what) * result.Percent) / 100.0;
        else
            Fail("липсва сума на " + what);
        if (withCategory) result.Category = Category(Child(node, "TaxCategory"), where);
        return result;
    }

    void Identify(const pugi::xml_node& item, TUblInvoiceLine& line) const {
        line.Code = Text(Path(item, {"SellersItemIdentification", "ID"}));
        line.BuyerCode = Text(Path(item, {"BuyersItemIdentification", "ID"}));
        line.Barcode = Text(Path(item, {"StandardItemIdentification", "ID"}));
        line.Description = Text(Child(item, "Name"));
        line.SerialNo = Text(Path(item, {"ItemInstance", "SerialID"}));
        line.PartNo = Text(Path(item, {"ManufacturersItemIdentification", "ID"}));
    }

    void Price(const pugi::xml_node& node, TUblInvoiceLine& line, const std::string& where) {
        const pugi::xml_node price = Child(node, "Price");
        const std::string net = Required(price, {"PriceAmount"}, "цена на " + where);
        line.NetPrice = Number(net, "цената на " + where);
        line.BaseQuantity = OptionalNumber(Child(price, "BaseQuantity"), "базата на цената на " + where, 1.0);
        if (line.BaseQuantity == 0.0) Fail("базата на цената на " + where + " е 0");
        line.GrossPrice = OptionalNumber(Path(price, {"AllowanceCharge", "BaseAmount"}), "цената на " + where,
                                         line.NetPrice);
        line.DirectUnitCost = line.NetPrice / line.BaseQuantity;
        priceTolerance_ = std::fabs(line.Quantity / line.BaseQuantity) * HalfLastDigit(net);
    }

    TUblInvoiceLine Line(const pugi::xml_node& node, const TDocumentKind& kind, size_t position) {
        const std::string where = "ред " + std::to_string(position);
        TUblInvoiceLine line;
        line.Id = Required(node, {"ID"}, "номер на " + where);
        line.Quantity = Number(Required(node, {kind.Quantity}, "количество на " + where), "количеството на " + where);
        line.Measure_Id = Trim(Child(node, kind.Quantity).attribute("unitCode").value());
        line.LineAmount = Number(Required(node, {"LineExtensionAmount"}, "сума на " + where), "сумата на " + where);
        const pugi::xml_node item = Child(node, "Item");
        if (!item) Fail("липсва артикул на " + where);
        Identify(item, line);
        if (line.VendorKey().empty()) Fail("артикулът на " + where + " няма нито номер, нито наименование");
        line.Category = Category(Child(item, "ClassifiedTaxCategory"), where);
        Price(node, line, where);
        for (pugi::xml_node charge : Children(node, "AllowanceCharge"))
            line.AllowanceCharges.push_back(AllowanceCharge(charge, where, false));
        CheckLine(line, where);
        return line;
    }

    // The vendor rounds the line amount its own way; beyond a cent or two (and what the
    // written price's own rounding allows) the line contradicts itself.
    void CheckLine(const TUblInvoiceLine& line, const std::string& where) const {
        const double computed = line.ComputedAmount();
        if (std::fabs(computed - line.LineAmount) <= 0.02 + priceTolerance_ + 1e-9) return;
        char text[160];
        std::snprintf(text, sizeof text, "сумата на %s (%.2f) не отговаря на количеството, цената, отстъпките и "
                      "надбавките (%.2f)", where.c_str(), line.LineAmount, computed);
        Fail(text);
    }

    void Taxes(const pugi::xml_node& root, TUblInvoice& document) const {
        for (pugi::xml_node total : Children(root, "TaxTotal")) {
            const pugi::xml_node amount = Child(total, "TaxAmount");
            const std::string currency = amount.attribute("currencyID").value();
            const double value = Number(Required(total, {"TaxAmount"}, "сума на ДДС"), "сумата на ДДС");
            if (!currency.empty() && currency != document.Currency) {
                if (currency != document.TaxCurrency) Fail("ДДС е в непозната валута \"" + currency + "\"");
                document.TaxAmountInTaxCurrency = value;
                continue;
            }
            document.Totals.TaxAmount = value;
            for (pugi::xml_node node : Children(total, "TaxSubtotal")) document.TaxSubtotals.push_back(Subtotal(node));
        }
    }

    TUblTaxSubtotal Subtotal(const pugi::xml_node& node) const {
        TUblTaxSubtotal subtotal;
        subtotal.Category = Category(Child(node, "TaxCategory"), "разбивката на ДДС");
        subtotal.TaxableAmount = Number(Required(node, {"TaxableAmount"}, "данъчна основа"), "данъчната основа");
        subtotal.TaxAmount = Number(Required(node, {"TaxAmount"}, "ДДС по ставка"), "ДДС по ставка");
        return subtotal;
    }

    void Totals(const pugi::xml_node& node, TUblTotals& totals) const {
        if (!node) Fail("липсват общите суми на документа");
        const auto amount = [&](const char* name, bool required) {
            const std::string what = std::string("общата сума ") + name;
            return required ? Number(Required(node, {name}, what), what) : OptionalNumber(Child(node, name), what, 0.0);
        };
        totals.LineExtensionAmount = amount("LineExtensionAmount", true);
        totals.TaxExclusiveAmount = amount("TaxExclusiveAmount", true);
        totals.TaxInclusiveAmount = amount("TaxInclusiveAmount", true);
        totals.AllowanceTotalAmount = amount("AllowanceTotalAmount", false);
        totals.ChargeTotalAmount = amount("ChargeTotalAmount", false);
        totals.PrepaidAmount = amount("PrepaidAmount", false);
        totals.PayableRoundingAmount = amount("PayableRoundingAmount", false);
        totals.PayableAmount = amount("PayableAmount", true);
    }

    std::string source_;
    double priceTolerance_ = 0.0;
};

template <typename Load>
TUblInvoice Read(const std::string& sourceName, Load load) {
    TReader reader(sourceName);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = load(document);
    if (!parsed) reader.Fail(std::string("невалиден XML (") + parsed.description() + ")");
    return reader.Document(document.document_element());
}

}  // namespace

std::string TUblTaxCategory::Caption() const {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%g%%", Percent);
    return (Code.empty() ? std::string("?") : Code) + " " + percent;
}

const std::string& TUblInvoiceLine::VendorKey() const {
    for (const std::string* key : {&Code, &BuyerCode, &Barcode})
        if (!key->empty()) return *key;
    return Description;
}

double TUblInvoiceLine::ComputedAmount() const {
    double amount = Quantity * DirectUnitCost;
    for (const TUblAllowanceCharge& charge : AllowanceCharges) amount += charge.IsCharge ? charge.Amount : -charge.Amount;
    return amount;
}

TUblInvoice TUblInvoice::ReadText(const std::string& xml, const std::string& sourceName) {
    return Read(sourceName, [&](pugi::xml_document& d) { return d.load_buffer(xml.data(), xml.size()); });
}

TUblInvoice TUblInvoice::ReadFile(const std::string& path) {
    return Read(path, [&](pugi::xml_document& d) { return d.load_file(path.c_str()); });
}

}  // namespace tavrek
