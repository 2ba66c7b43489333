#pragma once

#include <optional>
#include <string>

namespace tavrek::net {

// "HOST:PORT" of the command lines, "[::1]:PORT" for an IPv6 host.
struct TNetAddress {
    std::string Host;
    int Port = 0;

    static std::optional<TNetAddress> Parse(const std::string& text);
    // localhost, 127.0.0.0/8 or ::1: the machine itself.
    bool IsLoopback() const;
    std::string ToString() const;
};

// Whether a gRPC peer ("ipv4:127.0.0.1:40512", "ipv6:[::1]:40512", "unix:...") is on this machine.
bool IsLoopbackPeer(const std::string& peer);

}  // namespace tavrek::net
