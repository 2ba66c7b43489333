#pragma once

#include <istream>
#include <string>
#include <vector>

namespace tavrek::scenario {

struct TScenarioPair {
    std::string Key, Value;
};

// One line of a scenario: a verb ("header", "line", "recalculate", "saved", "post",
// "posted", "sum", "count", "closed", "assign", "consume", "annul", "credit", "creditline",
// "books"), the table the
// expectation verbs name, and KEY=VALUE pairs.
struct TScenarioStep {
    std::string Verb;
    std::string Table;
    std::vector<TScenarioPair> Pairs;
    int LineNo = 0;

    // The value of key, or nullptr when the step has none.
    const std::string* Find(const std::string& key) const;
};

// Reads a scenario: one step per line; empty lines and lines starting with '#' are
// comments. Values hold no spaces.
std::vector<TScenarioStep> ReadScenario(std::istream& in);
// Throws std::runtime_error when the file cannot be read.
std::vector<TScenarioStep> ReadScenarioFile(const std::string& path);

}  // namespace tavrek::scenario
