#include "base/forms/TImportFilter.h"

#include <cstdio>
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

bool TakeRow(const std::vector<std::string>& cells, const std::vector<TField*>& fields, TClientDataSet& target,
             int lineNo) {
    std::vector<std::pair<TField*, Variant>> values;
    for (size_t i = 0; i < fields.size() && i < cells.size(); ++i) {
        if (fields[i] == nullptr) continue;
        try {
            values.emplace_back(fields[i], CellValue(cells[i], fields[i]->DataType()));
        } catch (const std::exception&) {
            ImportLog("Ред " + std::to_string(lineNo) + ", поле " + fields[i]->FieldName() + ": невалидна стойност '" +
                      cells[i] + "'");
            return false;
        }
    }
    target.Append();
    for (auto& [field, value] : values) field->SetValue(value);
    target.Post();
    return true;
}

}  // namespace

const std::vector<TImportFilter>& TImportFilter::Filters() {
    static const std::vector<TImportFilter> filters{{"Текст, разделен с ;", ';', true, {}},
                                                    {"Текст, разделен със запетая", ',', true, {}},
                                                    {"Текст, разделен с табулация", '\t', true, {}}};
    return filters;
}

std::vector<std::string> TImportFilter::SplitLine(const std::string& line) const {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == Separator && !quoted) {
            cells.emplace_back();
        } else if (c != '\r') {
            cells.back() += c;
        }
    }
    return cells;
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

int RequestImport(const TImportFilter& filter, const std::string& path, TClientDataSet& target) {
    std::ifstream file(path);
    if (!file) throw EFormError("Файлът " + path + " не може да бъде отворен");
    if (!target.Active()) target.CreateDataSet();
    std::string line;
    int lineNo = 0;
    std::vector<TField*> fields;
    if (filter.HasHeading) {
        if (!std::getline(file, line)) return 0;
        ++lineNo;
        if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        fields = ColumnFields(filter.Columns.empty() ? filter.SplitLine(line) : filter.Columns, target);
    } else {
        fields = ColumnFields(filter.Columns, target);
    }
    int taken = 0;
    while (std::getline(file, line)) {
        ++lineNo;
        if (Trim(line).empty()) continue;
        if (TakeRow(filter.SplitLine(line), fields, target, lineNo)) ++taken;
    }
    return taken;
}

}  // namespace tavrek
