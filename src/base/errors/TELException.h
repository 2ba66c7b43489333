#pragma once

#include <stdexcept>
#include <string>

namespace tavrek {

// Constructing one records a failure in the session's error log with the name of the
// operation that failed; routines construct it and carry on rather than throw it.
class TELException : public std::runtime_error {
public:
    TELException(const std::string& message, const std::string& operation);
    const std::string& Operation() const { return operation_; }

private:
    std::string operation_;
};

// The text of the exception in flight, for handing to TELException from a catch block.
std::string CurrentExceptionMessage();

}  // namespace tavrek
