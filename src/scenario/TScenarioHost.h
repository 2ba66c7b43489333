#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/forms/IFormHost.h"
#include "base/ui/IDialogs.h"

namespace tavrek::scenario {

// The screen of a scenario run: nobody sits in front of it. Modeless forms are kept until
// the run ends, modal forms and other packages' forms are cancelled (the runner may open the
// latter itself), prints and failures
// are noted. Every message is confirmed (Yes, OK) and its text kept; questions that need a
// typed answer are cancelled. Installs itself in the session for its lifetime.
class TScenarioHost : public IFormHost, public IDialogs {
public:
    TScenarioHost();
    ~TScenarioHost() override;
    TScenarioHost(const TScenarioHost&) = delete;
    TScenarioHost& operator=(const TScenarioHost&) = delete;

    // The texts of the messages shown since the last call.
    std::vector<std::string> TakeMessages();
    const std::vector<std::string>& Failures() const { return failures_; }

    void ShowForm(std::unique_ptr<TfBase> form) override;
    int ShowModal(TfBase& form) override;
    std::vector<TfBase*> OpenForms() override;
    void CloseForm(TfBase& form) override;
    void ActivateForm(TfBase&) override {}
    void SetWaitCursor(bool) override {}
    void ShowProgress(const std::string&, int, int) override {}
    void PrintDocument(const TPrintRequest&) override {}
    // Other packages' forms are not opened: their requests are kept for the runner.
    int RequestExternalForm(TFormRequest& request) override;
    std::vector<TFormRequest> TakeExternalRequests();
    void ReportFailure(const std::string& message, const std::string& operation) override;

    int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuantity(const std::string&, double&, double) override { return false; }
    bool InputText(const std::string&, const std::string&, std::string&) override { return false; }
    // The rows a person picks in the next selector; without them a selector is cancelled.
    void AnswerNextSelect(TRequestResult rows) { selection_ = std::move(rows); }
    // In the next selector every row it lists is chosen, as a person who marks them all.
    void ChooseEveryRowOfNextSelect() { chooseAll_ = true; }
    bool Select(const std::string&, const TFilter&, bool, TRequestResult& chosen) override;
    bool SelectFile(const std::string&, const std::string&, bool, std::string&) override { return false; }
    // The first option, as a person who reads no further would choose.
    int ChooseOption(const std::string&, const std::string&, const std::string& = "") override { return 0; }

private:
    IFormHost* previousHost_;
    IDialogs* previousDialogs_;
    std::vector<std::unique_ptr<TfBase>> forms_;
    std::vector<std::string> messages_;
    std::vector<std::string> failures_;
    std::vector<TFormRequest> external_;
    TRequestResult selection_;
    bool chooseAll_ = false;
};

}  // namespace tavrek::scenario
