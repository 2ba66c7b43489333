#pragma once

#include <stdexcept>

namespace tavrek {

class EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tavrek
