#include "base/errors/IErrorLog.h"

#include <iostream>

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"

namespace tavrek {

void TErrorLog::Write(const TErrorLogEntry& entry) {
    entries_.push_back(entry);
#ifndef NDEBUG
    std::cerr << "[error log] " << entry.Operation << ": " << entry.Message << '\n';
#endif
    IAppServer* server = dm().ServerOrNull();
    if (server == nullptr) return;
    try {
        server->WriteErrorLog(entry.Message, entry.Operation, LocalData().UserId);
    } catch (const std::exception& e) {
        std::cerr << "[error log] could not reach the server log: " << e.what() << '\n';
    }
}

}  // namespace tavrek
