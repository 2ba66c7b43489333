#include "base/ui/IDialogs.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/util/Utils.h"

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

// Clients without windows of their own ask through the plain dialogs.

bool IDialogs::AnnulDocument(TDateTime& date, std::string& description) {
    std::string dateText = date.Format("yyyy-mm-dd");
    if (!InputText("Анулиране на документ", "Дата на анулиране:", dateText)) return false;
    try {
        date = TDateTime::Parse(dateText);
    } catch (const std::invalid_argument&) {
        return false;
    }
    return InputText("Анулиране на документ", "Основание:", description);
}

void IDialogs::ChangeCalculation(double due, double received) {
    double paid = received;
    if (!InputQuantity("Изчисляване на ресто (дължимо " + AmountText(due) + ")", paid, 0.0)) return;
    MessageDlgEx("Ресто: " + AmountText(paid - due), TMsgDlgType::mtInformation, mbOK);
}

bool IDialogs::CurrencyRate(const std::string& currency, std::string& rate, bool readOnly) {
    const std::string caption = "Валутен курс " + currency;
    if (readOnly) return MessageDlgEx(caption + ": " + rate, TMsgDlgType::mtInformation, mbOK) == mrOk;
    return InputText(caption, "Курс (евро за единица валута):", rate);
}

int IDialogs::ChooseOption(const std::string& title, const std::string& options, const std::string& question) {
    TRequestResult rows;
    rows.Columns = {"Option"};
    std::istringstream lines(options);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) rows.Rows.push_back({Variant(line)});
    }
    int chosen = -1;
    return ChooseRow(question.empty() ? title : title + ": " + question, rows, chosen) ? chosen : -1;
}

int IDialogs::ChooseOptionWithFlag(const std::string& title, const std::string& options,
                                   const std::string& flagCaption, bool& flag, const std::string& question) {
    const int chosen = ChooseOption(title, options, question);
    if (chosen != -1) flag = MessageDlgEx(flagCaption + "?", TMsgDlgType::mtConfirmation, mbYesNo) == mrYes;
    return chosen;
}

bool IDialogs::MapVendorItems(const TRequestResult& lines, std::vector<std::string>& itemIds) {
    itemIds.assign(lines.Rows.size(), std::string());
    for (size_t row = 0; row < lines.Rows.size(); ++row) {
        TRequestResult chosen;
        if (Select("N_Item", TFilter(), false, chosen)) itemIds[row] = chosen.ByName("Id").AsString();
    }
    return true;
}

}  // namespace tavrek
