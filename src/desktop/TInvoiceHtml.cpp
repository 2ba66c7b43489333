#include "desktop/TInvoiceHtml.h"

#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

QString Text(const std::string& text) { return ToQ(text).toHtmlEscaped(); }

QString Number(double value, int decimals) { return NumberText(value, decimals); }

QString Quantity(double value) { return DisplayText(Variant(value), TFieldType::ftFloat, TNumberKind::nkQuantity); }

QString Date(TDateTime value) { return value.Serial() > 0 ? DateText(ToQDate(value)) : QString(); }

QString Party(const QString& role, const TPurchInvoicePrintout::TParty& party) {
    QString address = Text(party.Address);
    if (!party.City.empty()) address += (address.isEmpty() ? "" : ", ") + Text(party.City);
    return QStringLiteral("<td width='50%' valign='top' style='border:1px solid #888; padding:6px'>"
                          "<span style='color:#555'>%1</span><br/><b>%2</b><br/>%3<br/>ЕИК: %4<br/>ДДС номер: %5</td>")
        .arg(role, Text(party.Name), address, Text(party.Bulstat), Text(party.VATRegistrationNo));
}

QString Cell(const QString& text, bool number) {
    return QStringLiteral("<td style='white-space:nowrap' align='%1'>%2</td>").arg(number ? "right" : "left", text);
}

QString Header(const QString& caption, bool number) {
    return QStringLiteral("<th style='white-space:nowrap; background:#e8e8e8' align='%1'>%2</th>")
        .arg(number ? "right" : "left", caption);
}

QString LinesTable(const TPurchInvoicePrintout& invoice) {
    QString html = QStringLiteral("<table width='100%' border='1' cellspacing='0' cellpadding='4' "
                                  "style='border-collapse:collapse; border-color:#888'><tr>");
    for (const auto& [caption, number] : {std::pair{"№", true}, std::pair{"Код", false}, std::pair{"Наименование", false},
                                          std::pair{"Мярка", false}, std::pair{"Количество", true},
                                          std::pair{"Ед. цена", true}, std::pair{"Отстъпка %", true},
                                          std::pair{"ДДС %", true}, std::pair{"Стойност", true}})
        html += Header(QString::fromUtf8(caption), number);
    html += "</tr>";
    for (const TPurchInvoicePrintout::TLine& line : invoice.Lines)
        html += "<tr>" + Cell(QString::number(line.LineNo), true) + Cell(Text(line.Code), false) +
                QStringLiteral("<td width='35%'>%1</td>").arg(Text(line.Description)) + Cell(Text(line.Measure), false) +
                Cell(Quantity(line.Quantity), true) + Cell(Number(line.UnitPrice, 2), true) +
                Cell(Number(line.Discount, 2), true) + Cell(Number(line.VATPercent, 0), true) +
                Cell(Number(line.Amount, 2), true) + "</tr>";
    return html + "</table>";
}

QString TotalRow(const QString& caption, const QString& value, bool strong = false) {
    const QString v = strong ? "<b>" + value + "</b>" : value;
    return QStringLiteral("<tr><td style='white-space:nowrap'>%1</td><td align='right' style='white-space:nowrap'>%2</td></tr>")
        .arg(strong ? "<b>" + caption + "</b>" : caption, v);
}

QString TotalsTable(const TPurchInvoicePrintout& invoice) {
    const QString currency = Text(invoice.Currency), local = Text(invoice.LocalCurrency);
    QString html = QStringLiteral("<table align='right' cellspacing='0' cellpadding='3'>");
    html += TotalRow("Данъчна основа", Number(invoice.TotalValue, 2) + " " + currency);
    for (const TPurchInvoicePrintout::TVATRate& rate : invoice.VATRates)
        html += TotalRow(QStringLiteral("ДДС %1 % върху %2").arg(Number(rate.Percent, 0), Number(rate.Base, 2)),
                         Number(rate.VAT, 2) + " " + currency);
    html += TotalRow("Общо ДДС", Number(invoice.VATValue, 2) + " " + currency);
    const QString total = Text(invoice.TotalCaption);
    html += TotalRow(total, Number(invoice.TotalVAT, 2) + " " + currency, true);
    if (invoice.Currency != invoice.LocalCurrency) {
        html += TotalRow("Данъчна основа (" + local + ")", Number(invoice.TotalValue_LCY, 2) + " " + local);
        html += TotalRow("ДДС (" + local + ")", Number(invoice.TotalVAT_LCY - invoice.TotalValue_LCY, 2) + " " + local);
        html += TotalRow(total + " (" + local + ")", Number(invoice.TotalVAT_LCY, 2) + " " + local, true);
    }
    return html + "</table>";
}

QString DocumentData(const TPurchInvoicePrintout& invoice) {
    QString html = QStringLiteral("<table cellspacing='0' cellpadding='2'>");
    const auto row = [&html](const std::string& caption, const QString& value) {
        if (!value.isEmpty())
            html += QStringLiteral("<tr><td style='white-space:nowrap; color:#555'>%1</td><td>%2</td></tr>")
                        .arg(Text(caption), value);
    };
    row(invoice.VendorNoCaption, Text(invoice.VendorInvoiceNo));
    row(invoice.ToInvoiceCaption, Text(invoice.ToInvoiceNo));
    row("Към поръчка №:", Text(invoice.OrderNo));
    if (!invoice.ToInvoiceNo.empty()) row(invoice.InvoiceDateCaption, Date(invoice.InvoiceDate));
    row("Дата на документа:", Date(invoice.DocumentDate));
    row("Дата на осчетоводяване:", Date(invoice.PostingDate));
    row("Падеж:", Date(invoice.DueDate));
    row("Вид документ:", Text(invoice.SubTypeName));
    row("Валута:", Text(invoice.Currency));
    row("Курс:", Number(invoice.CurrencyFactor, 5));
    return html + "</table>";
}

}  // namespace

QString TInvoiceHtml::Html(const TPurchInvoicePrintout& invoice) {
    const QString number = invoice.DocumentNo.empty() ? QStringLiteral("(неосчетоводена)") : Text(invoice.DocumentNo);
    QString html = QStringLiteral("<html><body style='font-family:DejaVu Sans; font-size:9pt'>");
    html += QStringLiteral("<h2 align='center'>%1 № %2</h2>").arg(Text(invoice.Title), number);
    html += QStringLiteral("<table width='100%' cellspacing='6'><tr>%1%2</tr></table>")
                .arg(Party("Получател", invoice.Company), Party("Доставчик", invoice.Vendor));
    html += DocumentData(invoice) + "<br/>" + LinesTable(invoice) + "<br/>" + TotalsTable(invoice);
    return html + "</body></html>";
}

}  // namespace tavrek::desktop
