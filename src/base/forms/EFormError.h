#pragma once

#include <stdexcept>

namespace tavrek {

// A failure of the form framework itself: an unknown form, a default value for a field
// the document does not have, a form without a data provider.
class EFormError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tavrek
