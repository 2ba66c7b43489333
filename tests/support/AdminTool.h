#pragma once

#include <string>

namespace tavrek::testing {

// Runs the administration program of the build with arguments: its exit code, and what it
// printed (both streams) into output when given.
int RunAdmin(const std::string& arguments, std::string* output = nullptr);

}  // namespace tavrek::testing
