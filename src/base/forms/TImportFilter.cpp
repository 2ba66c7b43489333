#include "base/forms/TImportFilter.h"

#include <csv.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <fstream>

#include "base/forms/EFormError.h"
#include "base/session/Tdm.h"
#include "base/ui/IDialogs.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

struct TImportLogState {
    std::string Caption;
    std::vector<std::string> Lines;
};

TImportLogState& Log() {
    static TImportLogState log;
    return log;
}

struct TCsvState {
    std::vector<TCsvRow> Rows;
    TCsvRow Current;
    size_t StartLine = 1;  // where the record being read began
};

void CsvCell(void* data, size_t size, void* state) {
    auto& s = *static_cast<TCsvState*>(state);
    if (s.Current.Cells.empty()) s.Current.Number = s.StartLine;
    s.Current.Cells.emplace_back(static_cast<const char*>(data), size);
}

void CsvRowEnd(int, void* state) {
    auto& s = *static_cast<TCsvState*>(state);
    s.Rows.push_back(std::move(s.Current));
    s.Current = {};
}


Variant DateCell(const std::string& text) {
    int day = 0, month = 0, year = 0;
    if (std::sscanf(text.c_str(), "%d.%d.%d", &day, &month, &year) == 3) return TDateTime::FromDate(year, month, day);
    return TDateTime::Parse(text);
}

// The value of a cell for a field of the given type; throws when it does not convert.
Variant CellValue(const std::string& cell, TFieldType type) {
    std::string text = Trim(cell);
    if (text.empty()) return Variant();
    switch (type) {
        case TFieldType::ftFloat:
        case TFieldType::ftInteger:
            if (text.find('.') == std::string::npos)
                for (char& c : text)
                    if (c == ',') c = '.';
            return TField::Coerce(Variant(text), type);
        case TFieldType::ftDateTime: return DateCell(text);
        default: return TField::Coerce(Variant(text), type);
    }
}

std::vector<TField*> ColumnFields(const std::vector<std::string>& names, TClientDataSet& target) {
    std::vector<TField*> fields;
    bool any = false;
    for (const std::string& name : names) {
        fields.push_back(target.FindField(Trim(name)));
        any = any || fields.back() != nullptr;
    }
    if (!any) throw EFormError("Файлът не съдържа нито едно поле на " + target.Name);
    return fields;
}

using TRowValues = std::vector<std::pair<TField*, Variant>>;

bool BlankRow(const TCsvRow& row) {
    return std::all_of(row.Cells.begin(), row.Cells.end(), [](const std::string& cell) { return Trim(cell).empty(); });
}

// The values of a row for the fields of its columns. A value that does not convert is logged
// and leaves the row out, or, all or nothing, fails the import naming the row.
bool RowValues(const TCsvRow& row, const std::vector<TField*>& fields, bool allOrNothing, TRowValues& values) {
    for (size_t i = 0; i < fields.size() && i < row.Cells.size(); ++i) {
        if (fields[i] == nullptr) continue;
        try {
            values.emplace_back(fields[i], CellValue(row.Cells[i], fields[i]->DataType()));
        } catch (const std::exception&) {
            const std::string text = "Ред " + std::to_string(row.Number) + ", поле " + fields[i]->FieldName() +
                                     ": невалидна стойност '" + row.Cells[i] + "'";
            if (allOrNothing) throw EFormError(text);
            ImportLog(text);
            return false;
        }
    }
    return true;
}

}  // namespace

// Fed line by line so that each record knows its line.
std::vector<TCsvRow> ParseCsvRows(const std::string& text, char separator) {
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) throw EFormError("Файлът не може да бъде прочетен");
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    TCsvState state;
    size_t line = 0, failedLine = 0;
    for (size_t start = 0; start < text.size() && failedLine == 0;) {
        const size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
        ++line;
        if (parser.pstate == 0) state.StartLine = line;  // no record begun: the next one starts here
        if (csv_parse(&parser, text.data() + start, end - start, CsvCell, CsvRowEnd, &state) != end - start)
            failedLine = line;
        start = end;
    }
    if (failedLine == 0 && csv_fini(&parser, CsvCell, CsvRowEnd, &state) != 0) failedLine = state.StartLine;
    csv_free(&parser);
    if (failedLine != 0)
        throw EFormError("Ред " + std::to_string(failedLine) + ": неправилно оградено с кавички поле");
    return state.Rows;
}

const std::vector<TImportFilter>& TImportFilter::Filters() {
    static const std::vector<TImportFilter> filters{{"Текст, разделен с ;", ';', true, {}},
                                                    {"Текст, разделен със запетая", ',', true, {}},
                                                    {"Текст, разделен с табулация", '\t', true, {}}};
    return filters;
}

void ImportInitLog(const std::string& caption) { Log() = {caption, {}}; }

void ImportLog(const std::string& line) { Log().Lines.push_back(line); }

std::vector<std::string> ImportCloseLog() {
    TImportLogState log = std::move(Log());
    Log() = {};
    if (log.Lines.empty()) return {};
    log.Lines.insert(log.Lines.begin(), log.Caption);
    return log.Lines;
}

bool SelectImportFilter(TImportFilter& filter) {
    TRequestResult rows{{"Name"}, {}};
    for (const TImportFilter& f : TImportFilter::Filters()) rows.Rows.push_back({f.Name});
    int chosen = -1;
    if (!dm().Dialogs().ChooseRow("Филтър за импорт", rows, chosen)) return false;
    filter = TImportFilter::Filters().at(static_cast<size_t>(chosen));
    return true;
}

bool SelectDataFile(std::string& path) {
    return dm().Dialogs().SelectFile("Файл за импорт", "*.csv *.txt", false, path);
}

int RequestImport(const TImportFilter& filter, const std::string& path, TClientDataSet& target, bool allOrNothing) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw EFormError("Файлът " + path + " не може да бъде отворен");
    std::string text((std::istreambuf_iterator<char>(file)), {});
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<TCsvRow> rows = ParseCsvRows(text, filter.Separator);
    if (!target.Active()) target.CreateDataSet();
    size_t first = 0;
    std::vector<TField*> fields;
    if (filter.HasHeading) {
        if (rows.empty()) return 0;
        fields = ColumnFields(filter.Columns.empty() ? rows.front().Cells : filter.Columns, target);
        first = 1;
    } else {
        fields = ColumnFields(filter.Columns, target);
    }
    std::vector<TRowValues> taken;
    for (size_t i = first; i < rows.size(); ++i) {
        if (BlankRow(rows[i])) continue;
        TRowValues values;
        if (RowValues(rows[i], fields, allOrNothing, values)) taken.push_back(std::move(values));
    }
    for (TRowValues& values : taken) {
        target.Append();
        for (auto& [field, value] : values) field->SetValue(value);
        target.Post();
    }
    return static_cast<int>(taken.size());
}

}  // namespace tavrek
