#pragma once

#include <string>

#include "base/ui/IDialogs.h"

namespace tavrek {

// The text of a message key, or defaultText (the key itself when none is given).
std::string GetMessageText(const std::string& key, const std::string& defaultText = "");
int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// Shortcuts for the common shapes: an error or information by key with OK, a question
// by key with Yes and No that is true only for Yes.
void ShowErrorKey(const std::string& key, const std::string& defaultText = "");
void ShowInfoKey(const std::string& key, const std::string& defaultText = "");
bool AskYesNoKey(const std::string& key, const std::string& defaultText = "");

}  // namespace tavrek
