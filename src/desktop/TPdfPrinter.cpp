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

bool HasRecord(const TClientDataSet& dataSet) {
    return dataSet.Active() && (!dataSet.IsEmpty() || dataSet.State() == TDataSetState::dsInsert);
}

QString Cell(const Variant& value, const TField& field, const std::string& format) {
    return DisplayText(value, field.DataType(), NumberKindOf(field.FieldName(), field.DataType()),
                       DecimalsOfFormat(format))
        .toHtmlEscaped();
}

QString HeaderTable(TfBase& form) {
    QString html = QStringLiteral("<table cellpadding='2'>");
    for (const THeaderField& headerField : form.Description.Fields) {
        TClientDataSet* dataSet = form.FindDataSet(headerField.DataSet);
        TField* field = dataSet == nullptr ? nullptr : dataSet->FindField(headerField.FieldName);
        if (!headerField.Visible || field == nullptr || !HasRecord(*dataSet)) continue;
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(ToQ(headerField.Caption).toHtmlEscaped(), Cell(field->Value(), *field, headerField.DisplayFormat));
    }
    return html + QStringLiteral("</table>");
}

// The grid as the screen shows it: its columns, captions, cell texts and footers.
QString GridTable(TfBase& form, const TGrid& grid) {
    TClientDataSet* dataSet = form.FindDataSet(grid.DataSet);
    if (dataSet == nullptr || !dataSet->Active() || grid.Columns.empty() || !grid.Visible) return {};
    const std::vector<TColumnLayout> columns = GridColumns(grid, *dataSet);
    QString html = QStringLiteral("<table border='1' cellspacing='0' cellpadding='3' width='100%'><tr>");
    for (const TColumnLayout& column : columns)
        html += QStringLiteral("<th>%1</th>").arg(column.Caption.toHtmlEscaped());
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

}  // namespace

QString TPdfPrinter::Html(const TPrintRequest& request) {
    if (TPurchInvoicePrintout invoice; TPurchInvoicePrintout::Load(request, invoice)) return TInvoiceHtml::Html(invoice);
    QString html = QStringLiteral("<html><body>");
    TfBase* form = request.Form;
    const std::string caption = form != nullptr && !form->Description.Caption.empty() ? form->Description.Caption
                                                                                      : request.FormClass;
    html += QStringLiteral("<h2>%1</h2>").arg(ToQ(caption).toHtmlEscaped());
    if (!request.PrintFormCode.empty())
        html += QStringLiteral("<p>Печатна форма: %1</p>").arg(ToQ(request.PrintFormCode).toHtmlEscaped());
    if (form != nullptr) {
        html += HeaderTable(*form);
        for (const TGrid* grid : form->Grids()) html += GridTable(*form, *grid);
    }
    return html + QStringLiteral("</body></html>");
}

void TPdfPrinter::Render(const TPrintRequest& request, const QString& path) {
    if (QFile probe(path); !probe.open(QIODevice::WriteOnly))
        throw std::runtime_error("Файлът не може да бъде записан: " + FromQ(path));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    // At the screen's resolution the text keeps its point sizes and lays out on the whole page.
    writer.setResolution(96);
    writer.setTitle(ToQ(request.FormClass));
    writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(writer.width(), writer.height()));
    document.setHtml(Html(request));
    document.print(&writer);
}

}  // namespace tavrek::desktop
