#include "reports/uVATLedgerReport.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"

namespace tavrek {

std::vector<TVATLedgerRecord> TVATLedgerReport::Records() const {
    std::vector<TVATLedgerRecord> records;
    records.reserve(Entries.size());
    for (const TVATLedgerEntry& entry : Entries)
        if (entry.ProblemKey.empty()) records.push_back(entry.Record);
    return records;
}

size_t TVATLedgerReport::ProblemCount() const {
    size_t count = 0;
    for (const TVATLedgerEntry& entry : Entries) count += entry.ProblemKey.empty() ? 0 : 1;
    return count;
}

namespace uVATLedgerReport {
namespace {

std::string PeriodText(int period) { return std::to_string(period); }

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("Файлът " + path.string() + " не може да бъде записан");
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error("Файлът " + path.string() + " не може да бъде записан");
    }
}

}  // namespace

TVATLedgerReport ReadLedger(IAppServer& server, int period) {
    TVATLedgerReport report;
    report.Period = period;
    const std::string company = LocalData().CompanyId;
    const TRequestResult filing = server.ExecuteStoredProcedure("usp_GetVATLedgerFiling", {company});
    if (filing.Empty()) throw std::runtime_error(server.LastRefusalText());
    report.Filing.CompanyName = filing.ByName("CompanyName").AsString();
    report.Filing.VATNumber = filing.ByName("VATNumber").AsString();
    report.Filing.FilingPerson = filing.ByName("UserName").AsString();
    report.Filing.Period = PeriodText(period);
    report.LocalCurrency = filing.ByName("LocalCurrency").AsString();
    const TRequestResult rows = server.ExecuteStoredProcedure("usp_GetVATPurchaseLedger", {company, PeriodText(period)});
    if (!rows.Columns.empty() && rows.Columns.front() == "Result") throw std::runtime_error(server.LastRefusalText());
    if (rows.Rows.empty()) return report;
    report.Entries = uVATLedgerRows::LedgerEntries(uVATLedgerRows::SourcesOf(rows), period, report.LocalCurrency);
    return report;
}

void WriteFiles(const TVATLedgerReport& report, const std::string& folder) {
    const std::vector<TVATLedgerRecord> records = report.Records();
    const std::filesystem::path dir(folder);
    if (!std::filesystem::is_directory(dir)) throw std::runtime_error("Папката " + folder + " не съществува");
    const std::string pokupki = uVATLedgerLayout::PokupkiFile(report.Filing, records);
    const std::string deklar =
        uVATLedgerLayout::DeklarFile(report.Filing, uVATLedgerLayout::DeclarationCells(report.Filing, records));
    WriteFile(dir / "POKUPKI.TXT", pokupki);
    WriteFile(dir / "DEKLAR.TXT", deklar);
}

}  // namespace uVATLedgerReport
}  // namespace tavrek
