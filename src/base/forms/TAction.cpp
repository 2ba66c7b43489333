#include "base/forms/TAction.h"

namespace tavrek {

TAction::TAction(std::string name, std::string caption, std::string category)
    : Name(std::move(name)), Caption(std::move(caption)), Category(std::move(category)) {}

bool TAction::Execute() {
    Update();
    if (!Enabled || !Visible || !OnExecute) return false;
    OnExecute(*this);
    return true;
}

void TAction::Update() {
    if (OnUpdate) OnUpdate(*this);
}

}  // namespace tavrek
