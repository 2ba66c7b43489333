#include "net/TServerPool.h"

namespace tavrek::net {

std::unique_ptr<server::EmbeddedServer> TServerPool::TryTake() {
    {
        std::lock_guard lock(mutex_);
        if (lent_ >= limit_) return nullptr;
        ++lent_;
        if (!idle_.empty()) {
            std::unique_ptr<server::EmbeddedServer> server = std::move(idle_.back());
            idle_.pop_back();
            return server;
        }
    }
    try {
        auto server = std::make_unique<server::EmbeddedServer>(address_);
        // The service makes a refused login wait, outside the call's hold on a connection.
        server->SetLoginRefusalDelay(std::chrono::milliseconds(0));
        return server;
    } catch (...) {
        std::lock_guard lock(mutex_);
        --lent_;
        throw;
    }
}

void TServerPool::Give(std::unique_ptr<server::EmbeddedServer> server) {
    std::lock_guard lock(mutex_);
    --lent_;
    if (server) idle_.push_back(std::move(server));
}

}  // namespace tavrek::net
