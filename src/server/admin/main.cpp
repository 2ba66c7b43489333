// tavrek-admin: creates, checks, backs up, copies and upgrades company databases.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <soci/soci.h>

#include "server/CompanyCopy.h"
#include "server/CompanyDatabase.h"
#include "server/SqlValue.h"
#include "server/admin/TUserCommands.h"
#include "server/demo/TDemoCompany.h"
#include "server/posting/TBooksCheck.h"
#include "server/schema/TMigrations.h"

namespace {

using namespace tavrek::server;

int Usage() {
    std::cerr << "Употреба (COMPANY е файл или postgresql://потребител@хост:порт/база):\n"
                 "  tavrek-admin init COMPANY [--admin-password PASSWORD]\n"
                 "                                   създава нова база с демо фирма и нейните потребители\n"
                 "  tavrek-admin check COMPANY       проверява целостта, версията на схемата и книгите\n"
                 "  tavrek-admin backup FILE DEST    копира файла докато се работи с него\n"
                 "  tavrek-admin copy COMPANY DEST   копира цялата фирма в нова база, и между SQLite и PostgreSQL\n"
                 "  tavrek-admin upgrade COMPANY     обновява схемата до версия "
              << LatestSchemaVersion() << "\n"
              << "  tavrek-admin run [--user LOGIN [--password-file FILE]] COMPANY FILE...\n"
                 "                                   изпълнява сценарии на документи като потребителя (паролата от\n"
                 "                                   файла или TAVREK_PASSWORD) и отпечатва всяко очакване\n"
              << "  tavrek-admin vat-ledger [--user LOGIN [--password-file FILE]] COMPANY PERIOD DIR\n"
                 "                                   записва POKUPKI.TXT и DEKLAR.TXT на периода ггггмм в DIR\n"
              << "  tavrek-admin run --server HOST:PORT [--user LOGIN --password PASSWORD] FILE...\n"
                 "                                   същото през tavrek-server (пуснат с --scenario-checks)\n"
              << "  tavrek-admin user add|passwd|lock|unlock|grant|list ...  потребители (tavrek-admin user)\n"
              << "  tavrek-admin role grant ...      права на роля по форми\n";
    return 2;
}

int Init(const std::string& path, const std::string& adminPassword) {
    CreateDemoCompany(path, adminPassword);
    std::cout << "Създадена е база с демо фирма: " << path << "\n";
    return 0;
}

int Check(const std::string& path) {
    auto db = OpenCompanyDatabase(path, TOpenMode::omExisting, false);
    const int version = SchemaVersion(*db);
    const std::string report = CheckIntegrity(*db);
    std::cout << "Версия на схемата: " << version << " (програмата поддържа " << LatestSchemaVersion() << ")\n";
    std::cout << "Проверка на целостта: " << report << "\n";
    if (report != "ok") return 1;
    if (version < LatestSchemaVersion()) {
        std::cout << "Схемата е стара; изпълнете tavrek-admin upgrade " << path << "\n";
        return 1;
    }
    const TBooksCheck books([&](const std::string& sql, const tavrek::TVariantArray& values) { return SelectRows(*db, sql, values); });
    const std::vector<std::string> differences = books.Differences();
    std::cout << "Счетоводни книги: " << (differences.empty() ? "балансирани" : "разлики") << "\n";
    for (const std::string& difference : differences) std::cout << "  " << difference << "\n";
    return differences.empty() ? 0 : 1;
}

int Backup(const std::string& path, const std::string& dest) {
    if (std::filesystem::exists(dest)) {
        std::cerr << "Грешка: файлът '" << dest << "' вече съществува\n";
        return 1;
    }
    auto db = OpenCompanyDatabase(path, TOpenMode::omExisting, false);
    BackupDatabase(*db, dest);
    std::cout << "Копието е записано в " << dest << "\n";
    return 0;
}

int Copy(const std::string& source, const std::string& dest) {
    const long long rows = CopyCompany(source, dest);
    std::cout << "Копирани са " << rows << " реда от " << source << " в " << dest << "\n";
    return 0;
}

int Upgrade(const std::string& path) {
    auto db = OpenCompanyDatabase(path, TOpenMode::omExisting, false);
    const int before = SchemaVersion(*db);
    const int applied = UpgradeSchema(*db);
    std::cout << "Версия " << before << " -> " << SchemaVersion(*db) << " (" << applied << " стъпки)\n";
    return 0;
}

// Scenarios go through the editors of the package, which this tool does not link: the
// program beside it that does takes over the process.
// The VAT ledger is the package's form, so its verb goes there too, kept for the program to read.
int RunScenarios(char** argv, bool keepVerb) {
    const std::filesystem::path runner = std::filesystem::canonical("/proc/self/exe").parent_path() / "tavrek-scenario";
    if (!keepVerb) argv[1] = argv[0];
    ::execv(runner.c_str(), keepVerb ? argv : argv + 1);
    std::cerr << "Грешка: " << runner.string() << " не може да бъде стартиран\n";
    return 1;
}

int Run(const std::vector<std::string>& args) {
    if (args.size() == 2 && args[0] == "init") return Init(args[1], {});
    if (args.size() == 4 && args[0] == "init" && args[2] == "--admin-password") return Init(args[1], args[3]);
    if (!args.empty() && (args[0] == "user" || args[0] == "role"))
        return RunUserCommand(args[0], std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    if (args.size() == 2 && args[0] == "check") return Check(args[1]);
    if (args.size() == 3 && args[0] == "backup") return Backup(args[1], args[2]);
    if (args.size() == 3 && args[0] == "copy") return Copy(args[1], args[2]);
    if (args.size() == 2 && args[0] == "upgrade") return Upgrade(args[1]);
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc >= 4 && std::string(argv[1]) == "run") return RunScenarios(argv, false);
        if (argc >= 5 && std::string(argv[1]) == "vat-ledger") return RunScenarios(argv, true);
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const ECompanyDatabaseError& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    } catch (const soci::soci_error& e) {
        std::cerr << "Грешка на базата данни: " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    }
    return 1;
}
