#include "base/forms/TMenu.h"

#include "base/forms/TAction.h"
#include "base/util/Text.h"

namespace tavrek {

TMenuItem::TMenuItem(std::string name, std::string caption) : Name(std::move(name)), caption_(std::move(caption)) {}

std::string TMenuItem::Caption() const { return Action != nullptr && caption_.empty() ? Action->Caption : caption_; }

bool TMenuItem::Enabled() const { return enabled_ && (Action == nullptr || Action->Enabled); }

bool TMenuItem::Visible() const { return visible_ && (Action == nullptr || Action->Visible); }

TMenuItem& TMenuItem::Add(const std::string& name, TAction& action) {
    items_.push_back(std::make_unique<TMenuItem>(name));
    items_.back()->Action = &action;
    return *items_.back();
}

TMenuItem& TMenuItem::Add(const std::string& name, const std::string& caption, std::function<void()> onClick) {
    items_.push_back(std::make_unique<TMenuItem>(name, caption));
    items_.back()->OnClick = std::move(onClick);
    return *items_.back();
}

TMenuItem& TMenuItem::AddSeparator() {
    items_.push_back(std::make_unique<TMenuItem>("", "-"));
    items_.back()->Separator = true;
    return *items_.back();
}

TMenuItem& TMenuItem::AddSubMenu(const std::string& name, const std::string& caption) {
    items_.push_back(std::make_unique<TMenuItem>(name, caption));
    return *items_.back();
}

TMenuItem* TMenuItem::Find(std::string_view name) const {
    for (const auto& item : items_) {
        if (!item->Name.empty() && EqualsIgnoreCase(item->Name, name)) return item.get();
        if (TMenuItem* found = item->Find(name)) return found;
    }
    return nullptr;
}

void TMenuItem::Click() {
    if (Separator || !Enabled()) return;
    if (Action != nullptr)
        Action->Execute();
    else if (OnClick)
        OnClick();
}

}  // namespace tavrek
