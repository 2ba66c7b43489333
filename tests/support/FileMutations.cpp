#include "support/FileMutations.h"

#include <cstdlib>

namespace tavrek::testing {

std::string MutatedFile(const std::string& original, std::mt19937& random) {
    std::string text = original;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        const size_t at = random() % text.size();
        switch (random() % 4) {
            case 0: text[at] = static_cast<char>(random() % 256); break;
            case 1: text.erase(at, 1 + random() % 8); break;
            case 2: text.insert(at, 1, "\";,<>/&\n0-.e"[random() % 12]); break;
            default: text.insert(at, text.substr(random() % text.size(), random() % 40)); break;
        }
    }
    return text;
}

int FuzzMutations() {
    const char* configured = std::getenv("TAVREK_FUZZ_MUTATIONS");
    return configured != nullptr ? std::atoi(configured) : 10000;
}

}  // namespace tavrek::testing
