#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "base/errors/IErrorLog.h"
#include "base/session/LocalData.h"

namespace tavrek {

class IAppServer;
class IDialogs;
class IFormHost;

// The session of one client process: the server proxy, the dialogs, the session record,
// the message texts and the error log. Reached through dm(); the server, dialogs and
// form host are owned by whoever set them up (the client, or a test).
class Tdm {
public:
    Tdm() = default;
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    TLocalData& LocalData() { return localData_; }

    IAppServer& Server();  // throws std::logic_error when no server is connected
    IAppServer* ServerOrNull() { return server_; }
    void SetServer(IAppServer* server);

    IDialogs& Dialogs();  // throws std::logic_error when none is set
    IDialogs* DialogsOrNull() { return dialogs_; }
    void SetDialogs(IDialogs* dialogs) { dialogs_ = dialogs; }

    IFormHost* FormHost() { return formHost_; }
    void SetFormHost(IFormHost* host) { formHost_ = host; }

    TErrorLog& ErrorLog() { return errorLog_; }

    // The text of a message key from the server's message table, or defaultText.
    std::string GetMessageText(const std::string& key, const std::string& defaultText);

private:
    TLocalData localData_;
    IAppServer* server_ = nullptr;
    IDialogs* dialogs_ = nullptr;
    IFormHost* formHost_ = nullptr;
    TErrorLog errorLog_;
    std::unordered_map<std::string, std::string> messages_;
};

Tdm& dm();

// Installs a fresh session for its lifetime and puts the previous one back after.
class TSessionGuard {
public:
    TSessionGuard();
    ~TSessionGuard();
    TSessionGuard(const TSessionGuard&) = delete;
    TSessionGuard& operator=(const TSessionGuard&) = delete;

    Tdm& Session() { return *session_; }

private:
    std::unique_ptr<Tdm> session_;
    Tdm* previous_;
};

}  // namespace tavrek
