#include "server/admin/TRunOptions.h"

#include <fstream>

namespace tavrek::server {
namespace {

// The first line of the file, without its line end.
bool ReadPasswordFile(const std::string& path, std::string& password) {
    std::ifstream file(path);
    if (!file || !std::getline(file, password)) return false;
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return true;
}

TRunOptions Refused(TRunOptions options, const std::string& error) {
    options.Error = error;
    return options;
}

}  // namespace

TRunOptions ParseRunOptions(const std::vector<std::string>& args, const char* environmentPassword) {
    TRunOptions options;
    std::string passwordFile;
    bool passwordGiven = false;
    size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); i += 2) {
        const std::string& name = args[i];
        std::string* target = name == "--user"            ? &options.User
                              : name == "--password"      ? &options.Password
                              : name == "--password-file" ? &passwordFile
                              : name == "--server"        ? &options.Server
                                                          : nullptr;
        if (target == nullptr) return Refused(options, "Непознат параметър: " + name);
        if (i + 1 >= args.size()) return Refused(options, "Липсва стойност след " + name);
        *target = args[i + 1];
        passwordGiven = passwordGiven || (target != &options.User && target != &options.Server);
    }
    const size_t company = options.Server.empty() ? 1 : 0;
    if (args.size() < i + company + 1)
        return Refused(options, company ? "Посочете фирмата и поне един файл със сценарии" : "Посочете поне един файл със сценарии");
    if (company) options.Company = args[i];
    options.Files.assign(args.begin() + static_cast<std::ptrdiff_t>(i + company), args.end());
    if (options.User.empty()) return passwordGiven ? Refused(options, "Паролата се дава заедно с --user") : options;
    if (!passwordFile.empty() && !ReadPasswordFile(passwordFile, options.Password))
        return Refused(options, "Файлът с паролата " + passwordFile + " не може да бъде прочетен");
    if (!passwordGiven && environmentPassword != nullptr) options.Password = environmentPassword;
    if (options.Password.empty())
        return Refused(options, "Липсва парола за " + options.User + ": посочете --password-file или TAVREK_PASSWORD");
    return options;
}

}  // namespace tavrek::server
