#pragma once

#include "base/ui/IDialogs.h"

class QWidget;

namespace tavrek::desktop {

// The session's dialogs shown with Qt: message boxes, the quantity dialog, text input,
// master data selectors, file choosers, the annulment, change-calculation, currency-rate and
// option dialogs, modal over the main window.
class TQtDialogs : public IDialogs {
public:
    explicit TQtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuantity(const std::string& caption, double& value, double maximum) override;
    bool InputText(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool Select(const std::string& selector, const TFilter& filter, bool multiSelect, TRequestResult& chosen) override;
    bool SelectFile(const std::string& caption, const std::string& pattern, bool save, std::string& path) override;
    bool AnnulDocument(TDateTime& date, std::string& description) override;
    void ChangeCalculation(double due, double received) override;
    bool CurrencyRate(const std::string& currency, std::string& rate, bool readOnly) override;
    int ChooseOption(const std::string& title, const std::string& options, const std::string& question = "") override;
    int ChooseOptionWithFlag(const std::string& title, const std::string& options, const std::string& flagCaption,
                             bool& flag, const std::string& question = "") override;
    bool MapVendorItems(const TRequestResult& lines, std::vector<std::string>& itemIds) override;

private:
    QWidget* parent_;
};

}  // namespace tavrek::desktop
