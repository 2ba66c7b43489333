#pragma once

#include <string>
#include <vector>

namespace tavrek::server {

// What "tavrek-admin run" is asked: "[--user LOGIN [--password PASSWORD | --password-file FILE]]
// COMPANY FILE...", or with "--server HOST:PORT" in place of COMPANY, through a tavrek-server. A user without a password option signs in with TAVREK_PASSWORD's, as the
// client does; without a user the scenarios run as the demo company's administrator.
struct TRunOptions {
    std::string User, Password, Company, Server;
    std::vector<std::string> Files;
    std::string Error;  // for the person who typed the command; nothing runs when it is set
};

TRunOptions ParseRunOptions(const std::vector<std::string>& args, const char* environmentPassword);

}  // namespace tavrek::server
