#include "lists/uOrdImportCsvFilter.h"

#include <array>
#include <fstream>
#include <iterator>

#include "base/forms/TImportFilter.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

enum TColumn { cVendorItemNo, cCode, cGTIN, cDescription, cQuantity, cUnitCode, cOrderNo, cCount };
constexpr std::array<const char*, cCount> kColumns{"VendorItemNo", "Code",     "GTIN",   "Description",
                                                   "Quantity",     "UnitCode", "OrderNo"};

std::string ColumnList() {
    std::string list;
    for (const char* name : kColumns) list += std::string(list.empty() ? "" : ", ") + name;
    return list;
}

// The separator the heading uses: the one of the two found more often outside quotes.
char HeadingSeparator(const std::string& text) {
    int commas = 0, semicolons = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && c == '\n') break;
        if (!quoted && c == ',') ++commas;
        if (!quoted && c == ';') ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// Which column of the file each known column is in; -1 when the file has none.
std::array<int, cCount> ReadHeading(const TCsvRow& heading) {
    std::array<int, cCount> at;
    at.fill(-1);
    for (size_t i = 0; i < heading.Cells.size(); ++i) {
        const std::string name = Trim(heading.Cells[i]);
        size_t known = 0;
        while (known < kColumns.size() && !EqualsIgnoreCase(name, kColumns[known])) ++known;
        if (known == kColumns.size())
            throw EOrdImportFile("Ред " + std::to_string(heading.Number) + ": колоната „" + name +
                                 "“ не е от колоните на импорта (" + ColumnList() + ").");
        if (at[known] >= 0)
            throw EOrdImportFile("Ред " + std::to_string(heading.Number) + ": колоната „" + name + "“ е дадена два пъти.");
        at[known] = static_cast<int>(i);
    }
    if (at[cQuantity] < 0) throw EOrdImportFile("Ред 1: файлът няма колона Quantity.");
    if (at[cVendorItemNo] < 0 && at[cCode] < 0 && at[cGTIN] < 0)
        throw EOrdImportFile("Ред 1: файлът няма колона с артикула (VendorItemNo, Code или GTIN).");
    return at;
}

TOrdImportFileLine ReadLine(const TCsvRow& row, const std::array<int, cCount>& at, size_t width) {
    const std::string where = "Ред " + std::to_string(row.Number);
    if (row.Cells.size() != width)
        throw EOrdImportFile(where + ": " + std::to_string(row.Cells.size()) + " полета вместо " + std::to_string(width) + ".");
    const auto cell = [&](TColumn column) { return at[column] < 0 ? std::string() : Trim(row.Cells[static_cast<size_t>(at[column])]); };
    TOrdImportFileLine line{"ред " + std::to_string(row.Number), cell(cVendorItemNo), cell(cCode), cell(cGTIN),
                            cell(cDescription), cell(cUnitCode), cell(cOrderNo), 0.0};
    if (!ParseFileQuantity(cell(cQuantity), line.Quantity))
        throw EOrdImportFile(where + ", колона Quantity: „" + cell(cQuantity) + "“ не е положително число.");
    if (line.VendorItemNo.empty() && line.BuyerItemNo.empty() && line.StandardItemNo.empty())
        throw EOrdImportFile(where + ": редът не назовава артикул.");
    return line;
}

bool Blank(const TCsvRow& row) {
    for (const std::string& cell : row.Cells)
        if (!Trim(cell).empty()) return false;
    return true;
}

}  // namespace

TOrdImportFile ParseOrdImportCsv(const std::string& source) {
    std::string text = source;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<TCsvRow> rows;
    try {
        rows = ParseCsvRows(text, HeadingSeparator(text));
    } catch (const std::exception& error) {
        throw EOrdImportFile(error.what());
    }
    if (rows.empty() || Blank(rows.front())) throw EOrdImportFile("Ред 1: файлът няма ред с имената на колоните.");
    const std::array<int, cCount> at = ReadHeading(rows.front());
    TOrdImportFile file;
    for (size_t i = 1; i < rows.size(); ++i)
        if (!Blank(rows[i])) file.Lines.push_back(ReadLine(rows[i], at, rows.front().Cells.size()));
    if (file.Lines.empty()) throw EOrdImportFile("Файлът няма нито един ред с артикул.");
    return file;
}

TOrdImportFile ReadOrdImportCsv(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw EOrdImportFile("Файлът " + path + " не може да бъде отворен.");
    return ParseOrdImportCsv(std::string(std::istreambuf_iterator<char>(stream), {}));
}

}  // namespace tavrek
