#include "base/partner/TUblInvoice.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <pugixml.hpp>

#include "base/partner/ITavrekAPI.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

// UBL documents qualify every element with a namespace prefix that each vendor picks
// freely, so elements are matched by their local name.
std::string_view LocalName(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view localName) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && LocalName(child) == localName) return child;
    return {};
}

pugi::xml_node Path(pugi::xml_node node, std::initializer_list<std::string_view> path) {
    for (std::string_view step : path) {
        if (!node) break;
        node = Child(node, step);
    }
    return node;
}

std::string Text(const pugi::xml_node& node) { return node ? Trim(node.child_value()) : std::string(); }

class TReader {
public:
    explicit TReader(std::string sourceName) : source_(std::move(sourceName)) {}

    [[noreturn]] void Fail(const std::string& problem) const {
        throw EPartnerError("Документът на доставчика \"" + source_ + "\" не може да бъде прочетен: " + problem);
    }

    std::string Required(const pugi::xml_node& parent, std::initializer_list<std::string_view> path,
                         const std::string& what) const {
        std::string value = Text(Path(parent, path));
        if (value.empty()) Fail("липсва " + what);
        return value;
    }

    double Number(const std::string& text, const std::string& what) const {
        double value = 0.0;
        const char* end = text.data() + text.size();
        const auto [ptr, ec] = std::from_chars(text.data(), end, value);
        if (ec != std::errc() || ptr != end || !std::isfinite(value)) Fail(what + " не е число: \"" + text + "\"");
        return value;
    }

    double OptionalNumber(const pugi::xml_node& node, const std::string& what, double fallback) const {
        const std::string text = Text(node);
        return text.empty() ? fallback : Number(text, what);
    }

    TDateTime Date(const std::string& text, const std::string& what) const {
        try {
            if (text.size() != 10) throw std::invalid_argument(text);
            return TDateTime::Parse(text);
        } catch (const std::invalid_argument&) {
            Fail(what + " не е дата във вида ГГГГ-ММ-ДД: \"" + text + "\"");
        }
    }

    TUblInvoiceLine Line(const pugi::xml_node& node, size_t position) const {
        const std::string where = "ред " + std::to_string(position);
        TUblInvoiceLine line;
        line.Id = Required(node, {"ID"}, "номер на " + where);
        const pugi::xml_node quantity = Child(node, "InvoicedQuantity");
        line.Quantity = Number(Required(node, {"InvoicedQuantity"}, "количество на " + where), "количеството на " + where);
        line.Measure_Id = Trim(quantity.attribute("unitCode").value());
        const pugi::xml_node item = Child(node, "Item");
        if (!item) Fail("липсва артикул на " + where);
        line.Code = Text(Path(item, {"SellersItemIdentification", "ID"}));
        line.Barcode = Text(Path(item, {"StandardItemIdentification", "ID"}));
        if (line.Code.empty() && line.Barcode.empty()) Fail("липсва номер на артикула на " + where);
        line.Description = Text(Child(item, "Name"));
        line.SerialNo = Text(Path(item, {"ItemInstance", "SerialID"}));
        line.PartNo = Text(Path(item, {"ManufacturersItemIdentification", "ID"}));
        line.VATPercent = OptionalNumber(Path(item, {"ClassifiedTaxCategory", "Percent"}), "ДДС на " + where, 0.0);
        const std::string price = Required(node, {"Price", "PriceAmount"}, "цена на " + where);
        const double baseQuantity = OptionalNumber(Path(node, {"Price", "BaseQuantity"}), "базата на цената на " + where, 1.0);
        if (baseQuantity == 0.0) Fail("базата на цената на " + where + " е 0");
        line.DirectUnitCost = Number(price, "цената на " + where) / baseQuantity;
        line.LineDiscount = Discount(node, line, where);
        return line;
    }

    // A line allowance is given as a percentage, or as an amount from which the
    // percentage of the line's gross value follows.
    double Discount(const pugi::xml_node& node, const TUblInvoiceLine& line, const std::string& where) const {
        for (pugi::xml_node charge : node.children()) {
            if (LocalName(charge) != "AllowanceCharge" || Text(Child(charge, "ChargeIndicator")) != "false") continue;
            const std::string percent = Text(Child(charge, "MultiplierFactorNumeric"));
            if (!percent.empty()) return Number(percent, "отстъпката на " + where);
            const double amount = OptionalNumber(Child(charge, "Amount"), "отстъпката на " + where, 0.0);
            const double gross = line.Quantity * line.DirectUnitCost;
            return gross == 0.0 ? 0.0 : amount * 100.0 / gross;
        }
        return 0.0;
    }

    TUblInvoice Document(const pugi::xml_node& root) const {
        if (LocalName(root) != "Invoice") Fail("очаква се фактура UBL 2.1 (елемент Invoice)");
        TUblInvoice invoice;
        invoice.DocumentNo = Required(root, {"ID"}, "номер на документа");
        invoice.DocumentDate = Date(Required(root, {"IssueDate"}, "дата на документа"), "датата на документа");
        std::string due = Text(Child(root, "DueDate"));
        if (due.empty()) due = Text(Path(root, {"PaymentMeans", "PaymentDueDate"}));
        invoice.HasDueDate = !due.empty();
        if (invoice.HasDueDate) invoice.DueDate = Date(due, "падежът");
        invoice.PayMethod = Text(Path(root, {"PaymentMeans", "PaymentMeansCode"}));
        invoice.Currency = Required(root, {"DocumentCurrencyCode"}, "валута на документа");
        invoice.Comment = Text(Child(root, "Note"));
        invoice.TypeCode = Text(Child(root, "InvoiceTypeCode"));
        invoice.OrderReference = Text(Path(root, {"OrderReference", "ID"}));
        for (pugi::xml_node node : root.children())
            if (LocalName(node) == "InvoiceLine") invoice.Lines.push_back(Line(node, invoice.Lines.size() + 1));
        if (invoice.Lines.empty()) Fail("документът няма редове");
        return invoice;
    }

private:
    std::string source_;
};

}  // namespace

TUblInvoice TUblInvoice::ReadText(const std::string& xml, const std::string& sourceName) {
    TReader reader(sourceName);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed) reader.Fail(std::string("невалиден XML (") + parsed.description() + ")");
    return reader.Document(document.document_element());
}

TUblInvoice TUblInvoice::ReadFile(const std::string& path) {
    TReader reader(path);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(path.c_str());
    if (!parsed) reader.Fail(std::string("невалиден XML (") + parsed.description() + ")");
    return reader.Document(document.document_element());
}

}  // namespace tavrek
