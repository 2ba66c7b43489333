// tavrek-scenario: runs document scenarios headless on a company, through the editors and
// the server, and prints one line per expectation. tavrek-admin hands its "run" verb here.
#include <iostream>
#include <string>
#include <vector>

#include <soci/soci.h>

#include "base/session/Tdm.h"
#include "frame/uPurchasePackage.h"
#include "scenario/TScenarioRunner.h"
#include "server/CompanyDatabase.h"
#include "server/demo/TDemoCompany.h"

namespace {

using namespace tavrek;

// Runs every file on the company; true when every expectation held.
bool RunFiles(const std::string& company, const std::vector<std::string>& files) {
    server::EmbeddedServer server(company);
    server::SignInDemoUser(server);
    PurchasePackageStartup();  // forms open one another by number, as in the client
    bool allOk = true;
    for (const std::string& file : files) {
        const std::vector<scenario::TScenarioStep> steps = scenario::ReadScenarioFile(file);
        scenario::TScenarioRunner runner(server);
        for (const scenario::TScenarioResult& result : runner.Run(steps)) {
            std::cout << scenario::ResultLine(file, result) << "\n";
            allOk = allOk && result.Ok;
        }
    }
    dm().SetServer(nullptr);
    return allOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "Употреба: tavrek-admin run COMPANY FILE...\n"
                     "  изпълнява сценариите на документи върху фирмата и отпечатва по ред за всяко очакване\n";
        return 2;
    }
    try {
        return RunFiles(argv[1], std::vector<std::string>(argv + 2, argv + argc)) ? 0 : 1;
    } catch (const server::ECompanyDatabaseError& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    } catch (const soci::soci_error& e) {
        std::cerr << "Грешка на базата данни: " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    }
    return 1;
}
