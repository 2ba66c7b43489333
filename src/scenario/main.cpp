// tavrek-scenario: runs document scenarios headless on a company, through the editors and
// the server, and prints one line per expectation. tavrek-admin hands its "run" verb here.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <soci/soci.h>

#include "base/session/TSignIn.h"
#include "base/session/Tdm.h"
#include "frame/uPurchasePackage.h"
#include "reports/uVATLedgerReport.h"
#include "net/TRemoteServer.h"
#include "scenario/TRemoteStore.h"
#include "scenario/TScenarioRunner.h"
#include "server/CompanyDatabase.h"
#include "server/admin/TRunOptions.h"
#include "server/demo/TDemoCompany.h"

namespace {

using namespace tavrek;

// The scenarios post, annul and save as the user asked, through the rights the server gives him.
void SignInAs(server::EmbeddedServer& server, const server::TRunOptions& options) {
    if (options.User.empty()) return server::SignInDemoUser(server);
    if (SignIn(server, {}, options.User, options.Password) != 0) throw std::runtime_error(server.LastRefusalText());
}

// Through a tavrek-server there is no password-less sign-in: the demo administrator signs in
// with his demo password.
void SignInAs(net::TRemoteServer& server, const server::TRunOptions& options) {
    const server::TDemoUser& admin = server::DemoUsers().front();
    const std::string login = options.User.empty() ? admin.Login : options.User;
    const std::string password = options.User.empty() ? admin.Password : options.Password;
    if (SignIn(server, {}, login, password) != 0) throw std::runtime_error(server.LastRefusalText());
}

// Runs every file on the company through the server; true when every expectation held.
bool RunFiles(const server::TRunOptions& options, IAppServer& server, scenario::IScenarioStore& store) {
    PurchasePackageStartup();  // forms open one another by number, as in the client
    bool allOk = true;
    for (const std::string& file : options.Files) {
        const std::vector<scenario::TScenarioStep> steps = scenario::ReadScenarioFile(file);
        scenario::TScenarioRunner runner(server, store);
        runner.SetFolder(std::filesystem::path(file).parent_path().string());
        for (const scenario::TScenarioResult& result : runner.Run(steps)) {
            std::cout << scenario::ResultLine(file, result) << "\n";
            allOk = allOk && result.Ok;
        }
    }
    dm().SetServer(nullptr);
    return allOk;
}

// Writes the period's files as the ledger form does; a document that cannot enter the ledger
// is listed with its reason and nothing is written.
int WriteVATLedger(const server::TRunOptions& options) {
    if (options.Files.size() != 2) throw std::invalid_argument("очакват се COMPANY PERIOD DIR");
    const int period = uVATLedgerRows::ParsePeriod(options.Files[0]);
    if (period == 0) throw std::invalid_argument("периодът трябва да е във вида ггггмм, например 202511");
    server::EmbeddedServer server(options.Company);
    SignInAs(server, options);
    const TVATLedgerReport report = uVATLedgerReport::ReadLedger(server, period);
    if (report.ProblemCount() != 0) {
        std::cerr << "Документи, които не могат да влязат в дневника за покупките за " << period << ":\n";
        for (const TVATLedgerEntry& entry : report.Entries)
            if (!entry.ProblemKey.empty())
                std::cerr << "  " << entry.Source.DocumentNo << " (" << entry.Record.DocumentNo << ", "
                          << entry.Record.DocumentDate.Format("dd.mm.yyyy") << ", " << entry.Source.VendorName
                          << "): " << server.GetMessageText(entry.ProblemKey) << "\n";
        std::cerr << "Файловете не са записани.\n";
        dm().SetServer(nullptr);
        return 1;
    }
    uVATLedgerReport::WriteFiles(report, options.Files[1]);
    std::cout << "Записани са POKUPKI.TXT (" << report.Entries.size() << " документа) и DEKLAR.TXT в "
              << options.Files[1] << "\n";
    dm().SetServer(nullptr);
    return 0;
}

bool RunFiles(const server::TRunOptions& options) {
    if (!options.Server.empty()) {
        net::TRemoteServer server(options.Server);
        SignInAs(server, options);
        scenario::TRemoteStore store(server);
        const bool ok = RunFiles(options, server, store);
        server.Logout();
        return ok;
    }
    server::EmbeddedServer server(options.Company);
    SignInAs(server, options);
    scenario::TEmbeddedStore store(server);
    return RunFiles(options, server, store);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "vat-ledger") {
        const server::TRunOptions options =
            server::ParseRunOptions(std::vector<std::string>(argv + 2, argv + argc), std::getenv("TAVREK_PASSWORD"));
        if (!options.Error.empty()) {
            std::cerr << options.Error << "\nУпотреба: tavrek-admin vat-ledger [--user LOGIN [--password-file FILE]] "
                                          "COMPANY PERIOD DIR\n";
            return 2;
        }
        try {
            return WriteVATLedger(options);
        } catch (const std::exception& e) {
            std::cerr << "Грешка: " << e.what() << "\n";
            return 1;
        }
    }
    const server::TRunOptions options =
        server::ParseRunOptions(std::vector<std::string>(argv + 1, argv + argc), std::getenv("TAVREK_PASSWORD"));
    if (!options.Error.empty()) {
        std::cerr << options.Error << "\n"
                  << "Употреба: tavrek-admin run [--user LOGIN [--password-file FILE]] COMPANY FILE...\n"
                     "          tavrek-admin run --server HOST:PORT [--user LOGIN --password PASSWORD] FILE...\n"
                     "  изпълнява сценариите на документи върху фирмата като потребителя (паролата от файла или\n"
                     "  TAVREK_PASSWORD; без --user като администратора на демо фирмата) и отпечатва по ред за\n"
                     "  всяко очакване\n";
        return 2;
    }
    try {
        return RunFiles(options) ? 0 : 1;
    } catch (const server::ECompanyDatabaseError& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    } catch (const soci::soci_error& e) {
        std::cerr << "Грешка на базата данни: " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    }
    return 1;
}
