#pragma once

#include <string>
#include <vector>

#include "net/TNetAddress.h"
#include "net/TServiceOptions.h"

namespace tavrek::net {

// "tavrek-server --listen HOST:PORT [--tls-cert FILE --tls-key FILE] [--max-calls N]
// [--session-idle SECONDS] [--scenario-checks] COMPANY".
struct TServerOptions {
    TNetAddress Listen;
    std::string TlsCert, TlsKey;
    TServiceOptions Service;
    std::string Error;  // for the person who typed the command; nothing starts when it is set
};

TServerOptions ParseServerOptions(const std::vector<std::string>& args);

}  // namespace tavrek::net
