#include "base/ui/Messages.h"

#include "base/session/Tdm.h"

namespace tavrek {

std::string GetMessageText(const std::string& key, const std::string& defaultText) {
    return dm().GetMessageText(key, defaultText.empty() ? key : defaultText);
}

int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    return dm().Dialogs().MessageDlgEx(text, type, buttons);
}

void ShowErrorKey(const std::string& key, const std::string& defaultText) {
    MessageDlgEx(GetMessageText(key, defaultText), TMsgDlgType::mtError, mbOK);
}

void ShowInfoKey(const std::string& key, const std::string& defaultText) {
    MessageDlgEx(GetMessageText(key, defaultText), TMsgDlgType::mtInformation, mbOK);
}

bool AskYesNoKey(const std::string& key, const std::string& defaultText) {
    return MessageDlgEx(GetMessageText(key, defaultText), TMsgDlgType::mtConfirmation, mbYesNo) == mrYes;
}

std::string FieldCaption(const std::string& fieldName) {
    const std::string key = "fld_" + fieldName;
    const std::string text = GetMessageText(key, key);
    return text == key ? std::string() : text;
}

}  // namespace tavrek
