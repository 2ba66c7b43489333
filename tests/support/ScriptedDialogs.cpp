#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace tavrek::testing {

ScriptedDialogs::~ScriptedDialogs() {
    for (const TExpected& e : expected_) ADD_FAILURE() << "Expected dialog never shown: " << e.Kind << " " << e.TextContains;
}

void ScriptedDialogs::ExpectMessage(int answer, const std::string& textContains) {
    expected_.push_back({"Message", answer, textContains, 0.0, "", {}});
}

void ScriptedDialogs::ExpectQuantity(bool confirmed, double value) {
    expected_.push_back({"Quantity", confirmed ? mrOk : mrCancel, "", value, "", {}});
}

void ScriptedDialogs::ExpectText(bool confirmed, const std::string& value) {
    expected_.push_back({"Text", confirmed ? mrOk : mrCancel, "", 0.0, value, {}});
}

void ScriptedDialogs::ExpectSelect(bool chosen, TRequestResult rows) {
    expected_.push_back({"Select", chosen ? mrOk : mrCancel, "", 0.0, "", std::move(rows)});
}

void ScriptedDialogs::ExpectFile(bool chosen, const std::string& path) {
    expected_.push_back({"File", chosen ? mrOk : mrCancel, "", 0.0, path, {}});
}

void ScriptedDialogs::ExpectAnnul(bool confirmed, const std::string& description, TDateTime date) {
    expected_.push_back({"Annul", confirmed ? mrOk : mrCancel, "", 0.0, description, {}, date});
}

void ScriptedDialogs::ExpectChangeCalculation() { expected_.push_back({"Change", mrOk, "", 0.0, "", {}}); }

void ScriptedDialogs::ExpectCurrencyRate(bool confirmed, const std::string& rate) {
    expected_.push_back({"Rate", confirmed ? mrOk : mrCancel, "", 0.0, rate, {}});
}

void ScriptedDialogs::ExpectOption(int chosen) { expected_.push_back({"Option", chosen, "", 0.0, "", {}}); }

std::vector<std::string> ScriptedDialogs::ShownTexts() const {
    std::vector<std::string> texts;
    for (const TShownDialog& d : shown_) texts.push_back(d.Text);
    return texts;
}

bool ScriptedDialogs::Next(const std::string& kind, const std::string& text, TExpected& expected) {
    if (expected_.empty()) {
        ADD_FAILURE() << "Unexpected dialog: " << kind << " \"" << text << "\"";
        return false;
    }
    expected = expected_.front();
    expected_.pop_front();
    if (expected.Kind != kind) {
        ADD_FAILURE() << "Expected a " << expected.Kind << " dialog, got " << kind << " \"" << text << "\"";
        return false;
    }
    if (!expected.TextContains.empty() && text.find(expected.TextContains) == std::string::npos) {
        ADD_FAILURE() << "Dialog \"" << text << "\" does not contain \"" << expected.TextContains << "\"";
    }
    return true;
}

int ScriptedDialogs::MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    shown_.push_back({"Message", text, type, buttons});
    TExpected expected;
    if (!Next("Message", text, expected)) return (buttons & mbNo) ? mrNo : mrCancel;
    return expected.Answer;
}

bool ScriptedDialogs::InputQuantity(const std::string& caption, double& value, double) {
    shown_.push_back({"Quantity", caption});
    TExpected expected;
    if (!Next("Quantity", caption, expected) || expected.Answer != mrOk) return false;
    value = expected.Number;
    return true;
}

bool ScriptedDialogs::InputText(const std::string& caption, const std::string&, std::string& value) {
    shown_.push_back({"Text", caption});
    TExpected expected;
    if (!Next("Text", caption, expected) || expected.Answer != mrOk) return false;
    value = expected.Value;
    return true;
}

bool ScriptedDialogs::Select(const std::string& selector, const TFilter&, bool, TRequestResult& chosen) {
    shown_.push_back({"Select", selector});
    TExpected expected;
    if (!Next("Select", selector, expected) || expected.Answer != mrOk) return false;
    chosen = expected.Rows;
    return true;
}

bool ScriptedDialogs::SelectFile(const std::string& caption, const std::string&, bool, std::string& path) {
    shown_.push_back({"File", caption});
    TExpected expected;
    if (!Next("File", caption, expected) || expected.Answer != mrOk) return false;
    path = expected.Value;
    return true;
}

// An annulment confirmed without a scripted date keeps the proposed one.
bool ScriptedDialogs::AnnulDocument(TDateTime& date, std::string& description) {
    shown_.push_back({"Annul", description});
    shown_.back().Date = date;
    TExpected expected;
    if (!Next("Annul", "", expected) || expected.Answer != mrOk) return false;
    if (expected.Date.Serial() != 0.0) date = expected.Date;
    description = expected.Value;
    return true;
}

void ScriptedDialogs::ChangeCalculation(double due, double received) {
    shown_.push_back({"Change", ""});
    shown_.back().Due = due;
    shown_.back().Received = received;
    TExpected expected;
    Next("Change", "", expected);
}

bool ScriptedDialogs::CurrencyRate(const std::string& currency, std::string& rate, bool readOnly) {
    shown_.push_back({"Rate", currency});
    shown_.back().Text2 = rate;
    shown_.back().ReadOnly = readOnly;
    TExpected expected;
    if (!Next("Rate", currency, expected) || expected.Answer != mrOk) return false;
    if (!readOnly) rate = expected.Value;
    return true;
}

int ScriptedDialogs::ChooseOption(const std::string& title, const std::string& options) {
    shown_.push_back({"Option", title});
    shown_.back().Text2 = options;
    TExpected expected;
    if (!Next("Option", title, expected)) return -1;
    return expected.Answer;
}

}  // namespace tavrek::testing
