#include "scenario/TScenarioFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tavrek::scenario {
namespace {

bool NamesTable(const std::string& verb) {
    return verb == "saved" || verb == "posted" || verb == "source" || verb == "sum" || verb == "count" ||
           verb == "analysis";
}

}  // namespace

const std::string* TScenarioStep::Find(const std::string& key) const {
    for (const TScenarioPair& pair : Pairs)
        if (pair.Key == key) return &pair.Value;
    return nullptr;
}

std::vector<TScenarioStep> ReadScenario(std::istream& in) {
    std::vector<TScenarioStep> steps;
    std::string text;
    for (int lineNo = 1; std::getline(in, text); ++lineNo) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream words(text);
        TScenarioStep step;
        step.LineNo = lineNo;
        words >> step.Verb;
        if (step.Verb.empty()) continue;
        if (NamesTable(step.Verb)) words >> step.Table;
        for (std::string word; words >> word;) {
            const size_t eq = word.find('=');
            if (eq == std::string::npos)
                throw std::runtime_error("ред " + std::to_string(lineNo) + ": '" + word + "' не е ИМЕ=СТОЙНОСТ");
            step.Pairs.push_back({word.substr(0, eq), word.substr(eq + 1)});
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

std::vector<TScenarioStep> ReadScenarioFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("файлът '" + path + "' не може да бъде прочетен");
    return ReadScenario(in);
}

}  // namespace tavrek::scenario
