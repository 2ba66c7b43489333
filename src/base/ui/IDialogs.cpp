#include "base/ui/IDialogs.h"

#include <cstdlib>

namespace tavrek {

bool IDialogs::ChooseRow(const std::string& caption, const TRequestResult& rows, int& chosen) {
    std::string prompt;
    for (size_t row = 0; row < rows.Rows.size(); ++row) {
        prompt += std::to_string(row + 1) + ".";
        for (const Variant& value : rows.Rows[row])
            if (!value.IsEmpty()) prompt += " " + value.AsString();
        prompt += "\n";
    }
    prompt += "Номер:";
    std::string answer = "1";
    if (!InputText(caption, prompt, answer)) return false;
    const long number = std::strtol(answer.c_str(), nullptr, 10);
    if (number < 1 || number > static_cast<long>(rows.Rows.size())) return false;
    chosen = static_cast<int>(number - 1);
    return true;
}

}  // namespace tavrek
