#include "desktop/TExcelExport.h"

#include <map>
#include <memory>
#include <stdexcept>

#include <xlsxwriter.h>

#include "desktop/TColumnLayout.h"
#include "desktop/TDataSetModel.h"

namespace tavrek::desktop {
namespace {

struct TWorkbookClose {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};
using TWorkbook = std::unique_ptr<lxw_workbook, TWorkbookClose>;

// How a column's values go into cells: as they are stored, as the grid reads them, or numbers.
enum class TCellKind { ckStored, ckText, ckNumber, ckDate };

struct TSheetColumn {
    const TColumnLayout* Layout;
    TFieldType Type;
    TCellKind Kind;
    lxw_format* Format;
    lxw_format* FooterFormat;
};

// Excel's number format for the decimals a grid shows: fixed decimals as "#,##0.00"; a
// quantity that keeps what was typed reads as Excel's general number.
std::string NumberFormat(const TColumnLayout& column) {
    const int decimals = column.Decimals >= 0 ? column.Decimals : DecimalsOf(column.Kind);
    if (column.Kind == TNumberKind::nkQuantity || decimals < 0) return "General";
    return decimals == 0 ? "#,##0" : "#,##0." + std::string(static_cast<size_t>(decimals), '0');
}

TCellKind KindOf(const TColumnLayout& column, TFieldType type) {
    if (column.Flag || !column.NamesTable.empty() || !column.ValueNames.empty()) return TCellKind::ckText;
    if (type == TFieldType::ftDateTime) return TCellKind::ckDate;
    if (type == TFieldType::ftFloat || type == TFieldType::ftInteger) return TCellKind::ckNumber;
    return type == TFieldType::ftString ? TCellKind::ckStored : TCellKind::ckText;
}

class TSheetWriter {
public:
    TSheetWriter(lxw_workbook* workbook, lxw_worksheet* sheet) : workbook_(workbook), sheet_(sheet) {}

    lxw_format* Format(const std::string& numberFormat, bool bold) {
        const auto key = std::make_pair(numberFormat, bold);
        if (const auto found = formats_.find(key); found != formats_.end()) return found->second;
        lxw_format* format = workbook_add_format(workbook_);
        if (!numberFormat.empty()) format_set_num_format(format, numberFormat.c_str());
        if (bold) format_set_bold(format);
        return formats_[key] = format;
    }

    void Text(lxw_row_t row, lxw_col_t column, const QString& text, lxw_format* format = nullptr) {
        if (!text.isEmpty()) Check(worksheet_write_string(sheet_, row, column, text.toUtf8().constData(), format));
    }

    void Value(lxw_row_t row, lxw_col_t column, const TSheetColumn& shown, const Variant& value) {
        if (value.IsNull() || (value.Type() == TVarType::varString && value.AsString().empty())) return;
        if (shown.Kind == TCellKind::ckStored)
            return Check(worksheet_write_string(sheet_, row, column, value.AsString().c_str(), shown.Format));
        if (shown.Kind == TCellKind::ckText)
            return Text(row, column, CellText(*shown.Layout, shown.Type, value), shown.Format);
        // Excel counts days from the same 30 December 1899 as our dates do.
        const double number = shown.Kind == TCellKind::ckDate ? value.AsDateTime().Serial() : value.AsFloat();
        Check(worksheet_write_number(sheet_, row, column, number, shown.Format));
    }

    static void Check(lxw_error error) {
        if (error != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(error));
    }

private:
    lxw_workbook* workbook_;
    lxw_worksheet* sheet_;
    std::map<std::pair<std::string, bool>, lxw_format*> formats_;
};

}  // namespace

int ExportToExcel(const std::string& path, const TExcelHeading& heading, TDataSetModel& model,
                  const std::vector<int>& columns) {
    // Rows go out as they are written: a list of 100,000 rows is not kept in memory twice.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    TWorkbook workbook(workbook_new_opt(path.c_str(), &options));
    if (!workbook) throw std::runtime_error("файлът не може да бъде създаден");
    lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), nullptr);
    TSheetWriter writer(workbook.get(), sheet);
    TClientDataSet& dataSet = model.DataSet();
    std::vector<TSheetColumn> shown;
    for (int index : columns) {
        const TColumnLayout& layout = model.Columns().at(static_cast<size_t>(index));
        const TFieldType type = dataSet.Fields(layout.FieldIndex).DataType();
        const TCellKind kind = KindOf(layout, type);
        const std::string format = kind == TCellKind::ckDate ? "dd.mm.yyyy" : kind == TCellKind::ckNumber ? NumberFormat(layout) : "";
        shown.push_back({&layout, type, kind, writer.Format(format, false), writer.Format(format, true)});
        const double width = layout.Width > 0 ? layout.Width / 7.0 : std::max(10, static_cast<int>(layout.Caption.size()) + 2);
        TSheetWriter::Check(worksheet_set_column(sheet, static_cast<lxw_col_t>(shown.size() - 1),
                                                 static_cast<lxw_col_t>(shown.size() - 1), width, nullptr));
    }
    lxw_row_t row = 0;
    writer.Text(row++, 0, heading.Title, writer.Format("", true));
    for (const auto& [caption, value] : heading.Filter) writer.Text(row++, 0, caption + ": " + value);
    ++row;
    const lxw_row_t captions = row;
    for (size_t c = 0; c < shown.size(); ++c)
        writer.Text(row, static_cast<lxw_col_t>(c), shown[c].Layout->Caption, writer.Format("", true));
    ++row;
    const int rows = model.rowCount();
    for (int r = 0; r < rows; ++r, ++row) {
        const std::vector<Variant>& record = dataSet.RawRecord(model.RawIndexOfRow(r));
        for (size_t c = 0; c < shown.size(); ++c)
            writer.Value(row, static_cast<lxw_col_t>(c), shown[c], record[static_cast<size_t>(shown[c].Layout->FieldIndex)]);
    }
    for (size_t c = 0; c < shown.size(); ++c) {
        const TColumnLayout& layout = *shown[c].Layout;
        if (!layout.FooterAggregate.isEmpty() && dataSet.FindAggregate(layout.FooterAggregate.toStdString()) != nullptr) {
            const Variant total = dataSet.AggregateValue(layout.FooterAggregate.toStdString());
            TSheetColumn footer = shown[c];
            footer.Format = footer.FooterFormat;
            writer.Value(row, static_cast<lxw_col_t>(c), footer, total.IsNull() ? Variant(0.0) : total);
        } else {
            writer.Text(row, static_cast<lxw_col_t>(c), layout.FooterText, writer.Format("", true));
        }
    }
    // The captions stay in view while the rows scroll.
    worksheet_freeze_panes(sheet, captions + 1, 0);
    lxw_workbook* raw = workbook.release();
    TSheetWriter::Check(workbook_close(raw));
    return rows;
}

}  // namespace tavrek::desktop
