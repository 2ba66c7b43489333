#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/forms/TAction.h"

namespace tavrek {

// The actions of a form in the order they were added (AcListBase on every form). Actions
// live as long as the list; references returned by Add stay valid.
class TActionList {
public:
    TActionList() = default;
    TActionList(const TActionList&) = delete;
    TActionList& operator=(const TActionList&) = delete;

    // Throws EFormError when an action of that name is already in the list.
    TAction& Add(const std::string& name, const std::string& caption = "", const std::string& category = "");
    TAction* Find(std::string_view name) const;  // names compare case-insensitively
    TAction& ByName(std::string_view name) const;  // throws EFormError when absent
    const std::vector<std::unique_ptr<TAction>>& Actions() const { return actions_; }
    int Count() const { return static_cast<int>(actions_.size()); }

    // Runs every action's Update, as the toolkit does when the application is idle.
    void UpdateActions();
    // Executes the named action; false when it is absent, disabled or has no handler.
    bool Execute(std::string_view name);

private:
    std::vector<std::unique_ptr<TAction>> actions_;
};

}  // namespace tavrek
