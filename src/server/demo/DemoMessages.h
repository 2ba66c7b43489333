#pragma once

#include <vector>

namespace tavrek::server {

struct TMessageText {
    const char* Key;
    const char* Text;
};

// The Bulgarian texts of every message key the purchase package uses, and the names of
// the server procedures that keys stand for.
const std::vector<TMessageText>& DemoMessages();

}  // namespace tavrek::server
