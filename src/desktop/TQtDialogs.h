#pragma once

#include "base/ui/IDialogs.h"

class QWidget;

namespace tavrek::desktop {

// The session's dialogs shown with Qt: message boxes, the quantity dialog, text input,
// master data selectors and file choosers, modal over the main window.
class TQtDialogs : public IDialogs {
public:
    explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuantity(const std::string& caption, double& value, double maximum) override;
    bool InputText(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool Select(const std::string& selector, const TFilter& filter, bool multiSelect, TRequestResult& chosen) override;
    bool SelectFile(const std::string& caption, const std::string& pattern, bool save, std::string& path) override;

private:
    QWidget* parent_;
};

}  // namespace tavrek::desktop
