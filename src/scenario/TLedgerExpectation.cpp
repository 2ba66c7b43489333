#include "scenario/TLedgerExpectation.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

#include "reports/uVATLedgerReport.h"

namespace tavrek::scenario {
namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("файлът " + path.string() + " не може да бъде прочетен");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first record (CR LF ended) where the two files differ, both versions shown.
std::string FirstDifference(const std::string& name, const std::string& written, const std::string& expected) {
    if (written == expected) return {};
    size_t start = 0;
    int record = 1;
    while (start < written.size() && start < expected.size()) {
        const size_t endWritten = written.find("\r\n", start), endExpected = expected.find("\r\n", start);
        const std::string a = written.substr(start, endWritten - start), b = expected.substr(start, endExpected - start);
        if (a != b || endWritten != endExpected)
            return name + " запис " + std::to_string(record) + ": '" + a + "' (очаквано '" + b + "')";
        if (endWritten == std::string::npos) break;
        start = endWritten + 2;
        ++record;
    }
    return name + ": " + std::to_string(written.size()) + " байта (очаквано " + std::to_string(expected.size()) + ")";
}

const std::string& Value(const TScenarioStep& step, const std::string& key) {
    const std::string* value = step.Find(key);
    if (value == nullptr) throw std::runtime_error("липсва " + key + "=");
    return *value;
}

}  // namespace

std::string ExpectVATLedger(IAppServer& server, const TScenarioStep& step, const std::string& folder) {
    const int period = uVATLedgerRows::ParsePeriod(Value(step, "Period"));
    if (period == 0) throw std::runtime_error("Period= не е период ггггмм");
    const TVATLedgerReport report = uVATLedgerReport::ReadLedger(server, period);
    std::string difference;
    if (const std::string* problems = step.Find("Problems"); problems != nullptr &&
                                                             std::to_string(report.ProblemCount()) != *problems)
        difference = "Problems=" + std::to_string(report.ProblemCount()) + " (очаквано " + *problems + ")";
    const std::filesystem::path out = std::filesystem::temp_directory_path() /
                                      ("tavrek-ledger-" + std::to_string(::getpid()) + "-" + std::to_string(step.LineNo));
    std::filesystem::create_directories(out);
    uVATLedgerReport::WriteFiles(report, out.string());
    for (const char* file : {"Pokupki", "Deklar"}) {
        if (!difference.empty()) break;
        const std::string name = std::string(file) == "Pokupki" ? "POKUPKI.TXT" : "DEKLAR.TXT";
        difference = FirstDifference(name, ReadBytes(out / name), ReadBytes(std::filesystem::path(folder) / Value(step, file)));
    }
    std::filesystem::remove_all(out);
    return difference;
}

}  // namespace tavrek::scenario
