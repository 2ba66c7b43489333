#include "support/CalcCaseFile.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tavrek::testing {
namespace {

// "null" is an empty value, a whole number an integer, a number a float, anything else a string.
Variant ParseValue(const std::string& text) {
    if (text == "null") return Variant();
    int64_t whole = 0;
    const auto [wholeEnd, wholeError] = std::from_chars(text.data(), text.data() + text.size(), whole);
    if (!text.empty() && wholeError == std::errc() && wholeEnd == text.data() + text.size()) return Variant(whole);
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (!text.empty() && error == std::errc() && end == text.data() + text.size()) return Variant(number);
    return Variant(text);
}

std::pair<std::string, std::string> SplitPair(const std::string& word, const std::string& file) {
    const size_t eq = word.find('=');
    if (eq == std::string::npos) throw std::runtime_error(file + ": expected key=value, got " + word);
    return {word.substr(0, eq), word.substr(eq + 1)};
}

void ReadCaseWord(TCalcCase& c, const std::string& key, const std::string& value) {
    if (key == "rule") c.Rule = value;
    else if (key == "AmountDecimals") c.AmountDecimals = std::stoi(value);
    else if (key == "UnitPriceDecimals") c.UnitPriceDecimals = std::stoi(value);
    else throw std::runtime_error(c.Name + ": unknown case key " + key);
}

}  // namespace

std::vector<TCalcCase> ReadCalcCases(const std::string& file) {
    std::ifstream in(std::string(TAVREK_TEST_DATA_DIR) + "/golden/calc/" + file);
    if (!in) throw std::runtime_error("cannot read golden/calc/" + file);
    std::vector<TCalcCase> cases;
    for (std::string text; std::getline(in, text);) {
        std::istringstream words(text);
        std::string kind;
        if (!(words >> kind) || kind[0] == '#') continue;
        if (kind == "case") cases.emplace_back(), words >> cases.back().Name;
        if (cases.empty()) throw std::runtime_error(file + ": values before the first case");
        TCalcCase& c = cases.back();
        for (std::string word; words >> word;) {
            const auto [key, value] = SplitPair(word, file);
            if (kind == "case") ReadCaseWord(c, key, value);
            else if (kind == "header") c.Header.emplace_back(key, ParseValue(value));
            else if (kind == "line") c.Line.emplace_back(key, ParseValue(value));
            else if (kind == "vatsetup") c.VATSetup.emplace_back(key, ParseValue(value));
            else if (kind == "expect") c.Expected.emplace_back(key, std::stod(value));
            else throw std::runtime_error(file + ": unknown line kind " + kind);
        }
    }
    if (cases.empty()) throw std::runtime_error(file + ": no cases");
    return cases;
}

}  // namespace tavrek::testing
