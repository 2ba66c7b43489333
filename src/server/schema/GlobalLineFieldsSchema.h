#pragma once

#include <string>

namespace tavrek::server {

// The fields the global document editors compute on their lines and header, kept by the
// global tables and by the posted tables their postings copy them to. Drops the global
// header's view, which the caller makes again.
std::string GlobalLineFieldsSql();

}  // namespace tavrek::server
