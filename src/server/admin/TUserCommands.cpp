#include "server/admin/TUserCommands.h"

#include <map>
#include <optional>

#include "server/CompanyDatabase.h"
#include "server/SqlValue.h"
#include "server/db/TDbTransaction.h"
#include "server/session/TUserDirectory.h"

namespace tavrek::server {
namespace {

// The words of a command line, and its options (--name value) apart.
struct TCommandLine {
    std::vector<std::string> Words;
    std::map<std::string, std::string> Options;
    bool Valid = true;

    static TCommandLine Parse(const std::vector<std::string>& args) {
        TCommandLine line;
        for (size_t i = 0; i < args.size(); ++i) {
            if (!args[i].starts_with("--")) {
                line.Words.push_back(args[i]);
            } else if (i + 1 < args.size()) {
                line.Options[args[i].substr(2)] = args[i + 1];
                ++i;
            } else {
                line.Valid = false;
            }
        }
        return line;
    }
    std::string Option(const std::string& name) const {
        const auto it = Options.find(name);
        return it == Options.end() ? std::string() : it->second;
    }
};

std::string CompanyIn(TDbSession& db, const std::string& asked) {
    const TRequestResult companies = SelectRows(db, "SELECT Id FROM C_CompanySetup ORDER BY Id");
    for (const TVariantArray& row : companies.Rows)
        if (asked.empty() ? companies.Rows.size() == 1 : row[0].AsString() == asked) return row[0].AsString();
    throw EUserDirectoryError(asked.empty() ? "Базата има " + std::to_string(companies.Rows.size()) +
                                                  " фирми; посочете коя с --company-id"
                                            : "В базата няма фирма " + asked);
}

std::optional<TUserRights::TMask> MaskOf(const std::vector<std::string>& words, std::ostream& err) {
    TUserRights::TMask mask = 0;
    for (const std::string& word : words) {
        const std::optional<TFormRight> right = RightOfWord(word);
        if (!right) {
            err << "Непознато право '" << word
                << "'; правата са open, insert, edit, delete, post, print, annul, editprops, setup\n";
            return std::nullopt;
        }
        mask |= TUserRights::Bit(*right);
    }
    return mask;
}

bool IsFormNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

int Usage(std::ostream& err) {
    err << "Употреба:\n"
           "  tavrek-admin user add COMPANY LOGIN --role ROLE --password PASSWORD\n"
           "  tavrek-admin user passwd COMPANY LOGIN --password PASSWORD\n"
           "  tavrek-admin user lock|unlock COMPANY LOGIN\n"
           "  tavrek-admin user grant COMPANY LOGIN --role ROLE\n"
           "  tavrek-admin user list COMPANY\n"
           "  tavrek-admin role grant COMPANY ROLE --form NUMBER [RIGHT...]  (0 = всички форми)\n"
           "  при няколко фирми в базата: --company-id ID\n";
    return 2;
}

// Runs one change of users on the company, in one transaction.
int Change(const TCommandLine& line, std::ostream& out, std::ostream& err) {
    const std::string& action = line.Words[0];
    auto db = OpenCompanyDatabase(line.Words[1], TOpenMode::omExisting);
    TDbTransaction transaction(*db, TTransactionKind::tkWrite);
    const std::string company = CompanyIn(*db, line.Option("company-id"));
    TUserDirectory users(*db);
    const std::string& name = line.Words.size() > 2 ? line.Words[2] : std::string();
    if (action == "list" && line.Words.size() == 2) {
        for (const TUserListEntry& user : users.List(company))
            out << user.Login << "\t" << (user.Active ? "активен" : "заключен") << "\t" << user.Roles << "\t"
                << user.Name << "\n";
        return 0;
    }
    if (line.Words.size() < 3) return Usage(err);
    if (action == "add" && line.Words.size() == 3 && !line.Option("role").empty())
        users.AddUser(company, name, line.Option("role"), line.Option("password"));
    else if (action == "passwd" && line.Words.size() == 3)
        users.SetPassword(company, name, line.Option("password"));
    else if ((action == "lock" || action == "unlock") && line.Words.size() == 3)
        users.SetActive(company, name, action == "unlock");
    else if (action == "grant" && line.Words.size() == 3 && !line.Option("role").empty())
        users.GrantRole(company, name, line.Option("role"));
    else if (action == "rolegrant" && !line.Option("form").empty() && IsFormNumber(line.Option("form"))) {
        const std::optional<TUserRights::TMask> mask =
            MaskOf(std::vector<std::string>(line.Words.begin() + 3, line.Words.end()), err);
        if (!mask) return 2;
        users.SetRoleRights(company, name, std::stoi(line.Option("form")), *mask);
    } else {
        return Usage(err);
    }
    transaction.Commit();
    out << "Готово: " << (action == "rolegrant" ? "роля " : "потребител ") << name << " на фирма " << company << "\n";
    return 0;
}

}  // namespace

int RunUserCommand(const std::string& verb, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err) {
    TCommandLine line = TCommandLine::Parse(args);
    if (!line.Valid || line.Words.size() < 2) return Usage(err);
    if (verb == "role") {
        if (line.Words[0] != "grant") return Usage(err);
        line.Words[0] = "rolegrant";
    }
    try {
        return Change(line, out, err);
    } catch (const EUserDirectoryError& e) {
        err << "Грешка: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace tavrek::server
