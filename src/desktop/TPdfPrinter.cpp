#include "desktop/TPdfPrinter.h"

#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <stdexcept>

#include "base/forms/TfBase.h"
#include "desktop/TColumnLayout.h"
#include "desktop/TInvoiceHtml.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

// The grid as the screen shows it: its columns, captions, cell texts and footers.
QString GridTable(TfBase& form, const TGrid& grid) {
    TClientDataSet* dataSet = form.FindDataSet(grid.DataSet);
    if (dataSet == nullptr || !dataSet->Active() || grid.Columns.empty() || !grid.Visible) return {};
    const std::vector<TColumnLayout> columns = GridColumns(grid, *dataSet);
    QString html = QStringLiteral("<table border='1' cellspacing='0' cellpadding='3' width='100%'><tr>");
    for (const TColumnLayout& column : columns)
        html += QStringLiteral("<th style='white-space:nowrap'>%1</th>").arg(column.Caption.toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int i = 0; i < dataSet->RawRecordCount(); ++i) {
        if (!dataSet->RawRecordVisible(i)) continue;
        const auto& values = dataSet->RawRecord(i);
        html += QStringLiteral("<tr>");
        for (const TColumnLayout& column : columns) {
            const TFieldType type = dataSet->Fields(column.FieldIndex).DataType();
            html += QStringLiteral("<td>%1</td>").arg(
                CellText(column, type, values[static_cast<size_t>(column.FieldIndex)]).toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("<tr>");
    for (const TColumnLayout& column : columns)
        html += QStringLiteral("<td><b>%1</b></td>").arg(FooterText(column, *dataSet).toHtmlEscaped());
    return html + QStringLiteral("</tr></table>");
}

QString Caption(const TPrintRequest& request) {
    const TfBase* form = request.Form;
    return ToQ(form != nullptr && !form->Description.Caption.empty() ? form->Description.Caption : request.FormClass);
}

}  // namespace

QString TPdfPrinter::Html(const TPrintRequest& request) {
    if (TPurchInvoicePrintout invoice; TPurchInvoicePrintout::Load(request, invoice)) return TInvoiceHtml::Html(invoice);
    // What is no document (a worksheet, a list) prints as its tables read on screen.
    // A wide table across the page takes a smaller type to keep its columns on it.
    QString html = QStringLiteral("<html><body style='font-family:DejaVu Sans; font-size:%1pt'>").arg(request.Landscape ? 6 : 9);
    html += QStringLiteral("<h2>%1</h2>").arg(Caption(request).toHtmlEscaped());
    if (request.Form != nullptr)
        for (const TGrid* grid : request.Form->Grids()) html += GridTable(*request.Form, *grid);
    return html + QStringLiteral("</body></html>");
}

QString TPdfPrinter::DocumentName(const TPrintRequest& request) {
    TPurchInvoicePrintout document;
    if (!TPurchInvoicePrintout::Load(request, document)) return Caption(request);
    const QString kind = ToQ(document.FileKind);
    return document.DocumentNo.empty() ? kind : kind + " " + ToQ(document.DocumentNo);
}

void TPdfPrinter::Render(const TPrintRequest& request, const QString& path) {
    if (QFile probe(path); !probe.open(QIODevice::WriteOnly))
        throw std::runtime_error("Файлът не може да бъде записан: " + FromQ(path));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(request.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // At the screen's resolution the text keeps its point sizes and lays out on the whole page.
    writer.setResolution(96);
    writer.setTitle(DocumentName(request));
    writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(writer.width(), writer.height()));
    document.setHtml(Html(request));
    document.print(&writer);
}

}  // namespace tavrek::desktop
