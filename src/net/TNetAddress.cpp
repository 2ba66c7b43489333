#include "net/TNetAddress.h"

#include <arpa/inet.h>

#include <charconv>

namespace tavrek::net {
namespace {

bool IsLoopbackHost(const std::string& host) {
    if (host == "localhost" || host == "::1") return true;
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

}  // namespace

std::optional<TNetAddress> TNetAddress::Parse(const std::string& text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return std::nullopt;
    TNetAddress address;
    address.Host = text.substr(0, colon);
    if (address.Host.front() == '[') {
        if (address.Host.back() != ']') return std::nullopt;
        address.Host = address.Host.substr(1, address.Host.size() - 2);
    } else if (address.Host.find(':') != std::string::npos) {
        return std::nullopt;
    }
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, address.Port);
    if (error != std::errc() || end != last || address.Port < 0 || address.Port > 65535 || address.Host.empty())
        return std::nullopt;
    return address;
}

bool TNetAddress::IsLoopback() const { return IsLoopbackHost(Host); }

std::string TNetAddress::ToString() const {
    const bool v6 = Host.find(':') != std::string::npos;
    return (v6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Port);
}

bool IsLoopbackPeer(const std::string& peer) {
    if (peer.starts_with("unix:")) return true;
    const size_t kind = peer.find(':');
    if (kind == std::string::npos) return false;
    const std::optional<TNetAddress> address = TNetAddress::Parse(peer.substr(kind + 1));
    return address && address->IsLoopback();
}

}  // namespace tavrek::net
