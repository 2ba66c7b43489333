#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tavrek::server {

// The "user" and "role" verbs of tavrek-admin, args starting after the verb:
//   user add COMPANY LOGIN --role ROLE --password PASSWORD
//   user passwd COMPANY LOGIN --password PASSWORD
//   user lock|unlock COMPANY LOGIN
//   user grant COMPANY LOGIN --role ROLE
//   user list COMPANY
//   role grant COMPANY ROLE --form NUMBER RIGHT...   (form 0: every form; no right: none)
// COMPANY is the database; with several companies in it, --company-id names the one.
// They never wait for input. Returns the exit code: 0 done, 1 refused, 2 a bad command line.
int RunUserCommand(const std::string& verb, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);

}  // namespace tavrek::server
