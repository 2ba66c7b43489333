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

// The caption of a field from the field descriptions of the message table (key "fld_" and
// the field's name); empty when the field has none.
std::string FieldCaption(const std::string& fieldName);

}  // namespace tavrek
