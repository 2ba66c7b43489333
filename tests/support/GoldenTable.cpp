#include "support/GoldenTable.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace tavrek::testing {
namespace {

Variant ParseValue(const std::string& text) {
    if (text == "null") return Variant();
    int64_t whole = 0;
    const char* end = text.data() + text.size();
    if (const auto [at, error] = std::from_chars(text.data(), end, whole); !text.empty() && error == std::errc() && at == end)
        return Variant(whole);
    double number = 0;
    if (const auto [at, error] = std::from_chars(text.data(), end, number); !text.empty() && error == std::errc() && at == end)
        return Variant(number);
    return Variant(text);
}

// Reads one word from at: quoted text as text, a name as the text it stands for, anything
// else through ParseValue.
Variant ReadValue(const std::string& line, size_t& at, const TGoldenNames& names) {
    if (at >= line.size() || line[at] != '\'') {
        const size_t start = at;
        while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        const std::string word = line.substr(start, at - start);
        const auto name = names.find(word);
        return name != names.end() ? Variant(name->second) : ParseValue(word);
    }
    std::string text;
    for (++at; at < line.size(); ++at) {
        if (line[at] != '\'') text += line[at];
        else if (at + 1 < line.size() && line[at + 1] == '\'') text += line[++at];
        else return ++at, Variant(text);
    }
    throw std::runtime_error("unclosed quote in: " + line);
}

// The key of a key=value word starting at at, or an empty string.
std::string ReadKey(const std::string& line, size_t& at) {
    size_t end = at;
    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_')) ++end;
    if (end == at || end >= line.size() || line[end] != '=') return {};
    const std::string key = line.substr(at, end - at);
    at = end + 1;
    return key;
}

TGoldenRow ParseRow(const std::string& line, const TGoldenNames& names) {
    TGoldenRow row;
    for (size_t at = 0;;) {
        while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
        if (at >= line.size()) return row;
        const std::string key = ReadKey(line, at);
        const Variant value = ReadValue(line, at, names);
        if (!key.empty()) row.Pairs.emplace_back(key, value);
        else if (row.Kind.empty()) row.Kind = value.AsString();
        else row.Words.push_back(value);
    }
}

}  // namespace

const Variant& TGoldenRow::operator[](const std::string& key) const {
    static const Variant null;
    for (const auto& [name, value] : Pairs)
        if (name == key) return value;
    return null;
}

bool TGoldenRow::Has(const std::string& key) const {
    for (const auto& pair : Pairs)
        if (pair.first == key) return true;
    return false;
}

std::vector<const TGoldenRow*> TGoldenCase::RowsOf(const std::string& kind) const {
    std::vector<const TGoldenRow*> rows;
    for (const TGoldenRow& row : Rows)
        if (row.Kind == kind) rows.push_back(&row);
    return rows;
}

const TGoldenRow& TGoldenCase::Row(const std::string& kind) const {
    static const TGoldenRow empty;
    const std::vector<const TGoldenRow*> rows = RowsOf(kind);
    return rows.empty() ? empty : *rows.front();
}

TFilter TGoldenCase::Filter(const std::string& kind) const {
    TFilter filter;
    for (const TGoldenRow* row : RowsOf(kind)) {
        if (row->Words.size() < 3) throw std::runtime_error(Name + ": a condition needs a field, an operator and a value");
        filter.Add(row->Words[0].AsString(), row->Words[1].AsString(), row->Words[2],
                   row->Words.size() > 3 ? row->Words[3].AsString() : "");
    }
    return filter;
}

std::vector<TGoldenCase> ReadGoldenCases(const std::string& file, const TGoldenNames& names) {
    std::ifstream in(std::string(TAVREK_TEST_DATA_DIR) + "/golden/" + file);
    if (!in) throw std::runtime_error("cannot read golden/" + file);
    std::vector<TGoldenCase> cases;
    for (std::string line; std::getline(in, line);) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        TGoldenRow row = ParseRow(line, names);
        if (row.Kind == "case") {
            if (row.Words.empty()) throw std::runtime_error(file + ": a case without a name");
            TGoldenCase c;
            c.Name = row.Words.front().AsString();
            c.Kind = row.Kind;
            c.Words.assign(row.Words.begin() + 1, row.Words.end());
            c.Pairs = std::move(row.Pairs);
            cases.push_back(std::move(c));
        } else if (cases.empty()) {
            throw std::runtime_error(file + ": a row before the first case");
        } else {
            cases.back().Rows.push_back(std::move(row));
        }
    }
    if (cases.empty()) throw std::runtime_error(file + ": no cases");
    return cases;
}

}  // namespace tavrek::testing
