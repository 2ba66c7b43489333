#include "lists/uOrdImportFile.h"

#include <cmath>
#include <cstdlib>

#include "base/util/Text.h"

namespace tavrek {

bool ParseFileQuantity(const std::string& text, double& quantity) {
    std::string number = Trim(text);
    if (number.find('.') == std::string::npos)
        for (char& c : number)
            if (c == ',') c = '.';
    if (number.empty() || number.find_first_not_of("0123456789.+-eE") != std::string::npos) return false;
    char* end = nullptr;
    quantity = std::strtod(number.c_str(), &end);
    return end == number.c_str() + number.size() && std::isfinite(quantity) && quantity > 0;
}

}  // namespace tavrek
