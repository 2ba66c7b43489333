#pragma once

#include <functional>
#include <string>

namespace tavrek {

// A command of a form, shown by the host as a button or a menu item. Execute and Update
// call back into the form; the form decides everything.
class TAction {
public:
    TAction(std::string name, std::string caption = "", std::string category = "");
    TAction(const TAction&) = delete;
    TAction& operator=(const TAction&) = delete;

    std::string Name;
    std::string Caption;
    std::string Category;
    std::string Hint;
    std::string ShortCut;  // as shown, such as "F9" or "Ctrl+S"
    bool Enabled = true;
    bool Visible = true;
    bool Checked = false;
    int Tag = 0;

    std::function<void(TAction&)> OnExecute;
    std::function<void(TAction&)> OnUpdate;

    // Brings Enabled/Visible up to date, then runs OnExecute when the action is enabled and
    // visible and has a handler. Returns whether the handler ran.
    bool Execute();
    // Runs OnUpdate, when there is one.
    void Update();
};

}  // namespace tavrek
