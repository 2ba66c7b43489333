#pragma once

#include <stdexcept>

namespace tavrek {

// A failure of the dataset machinery: a missing field, a record not in edit mode.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tavrek
