#pragma once

#include <exception>

namespace tavrek {

// Ends an action quietly: the user has already been told why (a refused save, a "No"
// answer), so the action handler neither logs nor shows anything more.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Операцията е прекратена"; }
};

}  // namespace tavrek
