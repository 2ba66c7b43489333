#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/ui/IDialogs.h"

namespace tavrek::testing {

// A dialog the code under test showed.
struct TShownDialog {
    std::string Kind{};  // "Message", "Quantity", "Text", "Select", "File", "Annul", "Change", "Rate", "Option"
    std::string Text{};  // message text, caption, selector, currency or option title
    TMsgDlgType Type = TMsgDlgType::mtInformation;
    TMsgDlgButtons Buttons = 0;
    // The change-calculation window: the amounts it was opened with (a quantity dialog: the
    // proposed quantity and its maximum); the currency-rate
    // window: the rate it showed (Text2) and whether it was read-only.
    double Due = 0.0, Received = 0.0;
    std::string Text2{};
    std::string Question{};  // what an option dialog asks
    bool ReadOnly = false;
    TDateTime Date{};
};

// Answers dialogs from a queue in the order a test expects them. A dialog that was not
// expected, or of another kind than the next expected one, fails the test; so does an
// expected dialog that never came (checked when the object is destroyed).
class ScriptedDialogs : public IDialogs {
public:
    ~ScriptedDialogs() override;

    // textContains: when not empty, the shown text must contain it.
    void ExpectMessage(int answer, const std::string& textContains = "");
    void ExpectQuantity(bool confirmed, double value = 0.0);
    void ExpectText(bool confirmed, const std::string& value = "");
    void ExpectSelect(bool chosen, TRequestResult rows = {});
    void ExpectFile(bool chosen, const std::string& path = "");
    void ExpectAnnul(bool confirmed, const std::string& description = "", TDateTime date = TDateTime());
    void ExpectChangeCalculation();
    void ExpectCurrencyRate(bool confirmed, const std::string& rate = "");
    void ExpectOption(int chosen);

    const std::vector<TShownDialog>& Shown() const { return shown_; }
    bool AllAnswered() const { return expected_.empty(); }

    int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    bool InputQuantity(const std::string& caption, double& value, double maximum) override;
    bool InputText(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool Select(const std::string& selector, const TFilter& filter, bool multiSelect, TRequestResult& chosen) override;
    bool SelectFile(const std::string& caption, const std::string& pattern, bool save, std::string& path) override;
    bool AnnulDocument(TDateTime& date, std::string& description) override;
    void ChangeCalculation(double due, double received) override;
    bool CurrencyRate(const std::string& currency, std::string& rate, bool readOnly) override;
    int ChooseOption(const std::string& title, const std::string& options, const std::string& question = "") override;

private:
    struct TExpected {
        std::string Kind;
        int Answer = mrCancel;
        std::string TextContains{};
        double Number = 0.0;
        std::string Value{};
        TRequestResult Rows{};
        TDateTime Date{};
    };
    bool Next(const std::string& kind, const std::string& text, TExpected& expected);
    // Records the dialog and takes the next expected answer: whether it was confirmed.
    bool Confirmed(TShownDialog shown, TExpected& expected);

    std::deque<TExpected> expected_;
    std::vector<TShownDialog> shown_;
};

// The answer a case table names: "Yes", "No", "Ok" or "Cancel".
int AnswerNamed(const std::string& name);

}  // namespace tavrek::testing
