#include "base/forms/TActionList.h"

#include "base/forms/EFormError.h"
#include "base/util/Text.h"

namespace tavrek {

TAction& TActionList::Add(const std::string& name, const std::string& caption, const std::string& category) {
    if (Find(name) != nullptr) throw EFormError("Действието " + name + " вече съществува");
    actions_.push_back(std::make_unique<TAction>(name, caption, category));
    return *actions_.back();
}

TAction* TActionList::Find(std::string_view name) const {
    for (const auto& action : actions_)
        if (EqualsIgnoreCase(action->Name, name)) return action.get();
    return nullptr;
}

TAction& TActionList::ByName(std::string_view name) const {
    TAction* action = Find(name);
    if (action == nullptr) throw EFormError("Няма действие " + std::string(name));
    return *action;
}

void TActionList::UpdateActions() {
    for (const auto& action : actions_) action->Update();
}

bool TActionList::Execute(std::string_view name) {
    TAction* action = Find(name);
    return action != nullptr && action->Execute();
}

}  // namespace tavrek
