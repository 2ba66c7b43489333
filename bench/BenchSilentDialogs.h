#pragma once

#include <string>

#include "base/ui/IDialogs.h"

namespace tavrek {

// Nobody sits before a benchmark: every question is answered Yes, every input cancelled.
class TBenchSilentDialogs : public IDialogs {
public:
    int MessageDlgEx(const std::string&, TMsgDlgType, TMsgDlgButtons) override { return mrYes; }
    bool InputQuantity(const std::string&, double&, double) override { return false; }
    bool InputText(const std::string&, const std::string&, std::string&) override { return false; }
    bool Select(const std::string&, const TFilter&, bool, TRequestResult&) override { return false; }
    bool SelectFile(const std::string&, const std::string&, bool, std::string&) override { return false; }
};

}  // namespace tavrek
