#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek {

class TAction;

// An item of a popup menu: an action, a handler of its own, a separator or a submenu.
// Caption, Enabled and Visible of an item with an action are the action's own.
class TMenuItem {
public:
    explicit TMenuItem(std::string name = "", std::string caption = "");
    TMenuItem(const TMenuItem&) = delete;
    TMenuItem& operator=(const TMenuItem&) = delete;

    std::string Name;  // mi...
    TAction* Action = nullptr;
    bool Separator = false;
    std::function<void()> OnClick;

    std::string Caption() const;
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool Enabled() const;
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible() const;
    void SetVisible(bool visible) { visible_ = visible; }

    TMenuItem& Add(const std::string& name, TAction& action);
    TMenuItem& Add(const std::string& name, const std::string& caption, std::function<void()> onClick);
    TMenuItem& AddSeparator();
    TMenuItem& AddSubMenu(const std::string& name, const std::string& caption);

    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    // Searches this item's submenus too; names compare case-insensitively.
    TMenuItem* Find(std::string_view name) const;

    // Executes the action or runs OnClick; does nothing for a disabled item or a separator.
    void Click();

private:
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

// A popup menu of a form (pmDocument, pmLine, pmPost): the root item. Menus other than the
// document and line popups are the drop-downs of buttons.
class TMenu : public TMenuItem {
public:
    explicit TMenu(std::string name, std::string caption = "") : TMenuItem(std::move(name), std::move(caption)) {}

    // What a click on the menu's button runs (posting, say, with its variants in the
    // drop-down); without one the button only opens the menu.
    TAction* ButtonAction = nullptr;
};

}  // namespace tavrek
