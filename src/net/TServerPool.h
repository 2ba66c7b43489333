#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/EmbeddedServer.h"

namespace tavrek::net {

// The company's servers, each on a connection of its own, lent to one call at a time and
// opened when first needed. At most limit are lent at once: a call beyond that is refused
// rather than queued, so that a burst cannot exhaust the database's connections.
class TServerPool {
public:
    TServerPool(std::string address, int limit) : address_(std::move(address)), limit_(limit) {}

    // A server for one call, nullptr when limit calls hold one; throws when the database
    // cannot be opened.
    std::unique_ptr<server::EmbeddedServer> TryTake();
    void Give(std::unique_ptr<server::EmbeddedServer> server);

private:
    std::string address_;
    int limit_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<server::EmbeddedServer>> idle_;
    int lent_ = 0;
};

}  // namespace tavrek::net
