#include "base/session/Tdm.h"

#include <stdexcept>

#include "base/server/IAppServer.h"

namespace tavrek {
namespace {

Tdm*& CurrentSession() {
    static Tdm processSession;
    static Tdm* current = &processSession;
    return current;
}

}  // namespace

Tdm& dm() { return *CurrentSession(); }

TLocalData& LocalData() { return dm().LocalData(); }

IAppServer& Tdm::Server() {
    if (server_ == nullptr) throw std::logic_error("Няма връзка със сървъра на приложението");
    return *server_;
}

void Tdm::SetServer(IAppServer* server) {
    server_ = server;
    messages_.clear();
}

IDialogs& Tdm::Dialogs() {
    if (dialogs_ == nullptr) throw std::logic_error("Няма настроени диалози");
    return *dialogs_;
}

std::string Tdm::GetMessageText(const std::string& key, const std::string& defaultText) {
    if (const auto it = messages_.find(key); it != messages_.end()) return it->second.empty() ? defaultText : it->second;
    std::string text = server_ == nullptr ? std::string() : server_->GetMessageText(key);
    messages_.emplace(key, text);
    return text.empty() ? defaultText : text;
}

TSessionGuard::TSessionGuard() : session_(std::make_unique<Tdm>()), previous_(CurrentSession()) {
    CurrentSession() = session_.get();
}

TSessionGuard::~TSessionGuard() { CurrentSession() = previous_; }

}  // namespace tavrek
