#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "net/TNetAddress.h"
#include "net/TServiceOptions.h"

namespace tavrek::net {

// A running network service of one company on an address: tavrek-server's, or one inside a
// test. TLS when a certificate and its key are given.
class TServiceHost {
public:
    // Serves from here on; throws when the company cannot be opened or the address bound.
    TServiceHost(TServiceOptions options, const TNetAddress& listen, std::ostream& log, const std::string& tlsCert = {},
                 const std::string& tlsKey = {});
    ~TServiceHost();

    // The address served, with the port the system chose for port 0.
    const TNetAddress& Bound() const { return bound_; }
    // Takes no new calls, lets those in flight finish within the grace, then rolls back the
    // postings clients left open.
    void Stop(std::chrono::seconds grace = std::chrono::seconds(30));

private:
    struct TRunning;
    std::unique_ptr<TRunning> running_;
    TNetAddress bound_;
};

}  // namespace tavrek::net
