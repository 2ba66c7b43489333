#include "support/ScriptedDialogs.h"

#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

namespace tavrek::testing {

ScriptedDialogs::~ScriptedDialogs() {
    for (const TExpected& e : expected_) ADD_FAILURE() << "Expected dialog never shown: " << e.Kind << " " << e.TextContains;
}

namespace {

int Answer(bool confirmed) { return confirmed ? mrOk : mrCancel; }

}  // namespace

void ScriptedDialogs::ExpectMessage(int answer, const std::string& textContains) {
    expected_.push_back({.Kind = "Message", .Answer = answer, .TextContains = textContains});
}

void ScriptedDialogs::ExpectQuantity(bool confirmed, double value) {
    expected_.push_back({.Kind = "Quantity", .Answer = Answer(confirmed), .Number = value});
}

void ScriptedDialogs::ExpectText(bool confirmed, const std::string& value) {
    expected_.push_back({.Kind = "Text", .Answer = Answer(confirmed), .Value = value});
}

void ScriptedDialogs::ExpectSelect(bool chosen, TRequestResult rows) {
    expected_.push_back({.Kind = "Select", .Answer = Answer(chosen), .Rows = std::move(rows)});
}

void ScriptedDialogs::ExpectFile(bool chosen, const std::string& path) {
    expected_.push_back({.Kind = "File", .Answer = Answer(chosen), .Value = path});
}

void ScriptedDialogs::ExpectAnnul(bool confirmed, const std::string& description, TDateTime date) {
    expected_.push_back({.Kind = "Annul", .Answer = Answer(confirmed), .Value = description, .Date = date});
}

void ScriptedDialogs::ExpectChangeCalculation() { expected_.push_back({.Kind = "Change", .Answer = mrOk}); }

void ScriptedDialogs::ExpectCurrencyRate(bool confirmed, const std::string& rate) {
    expected_.push_back({.Kind = "Rate", .Answer = Answer(confirmed), .Value = rate});
}

void ScriptedDialogs::ExpectOption(int chosen) { expected_.push_back({.Kind = "Option", .Answer = chosen}); }

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

bool ScriptedDialogs::Confirmed(TShownDialog shown, TExpected& expected) {
    shown_.push_back(std::move(shown));
    return Next(shown_.back().Kind, shown_.back().Text, expected) && expected.Answer == mrOk;
}

int ScriptedDialogs::MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    shown_.push_back({"Message", text, type, buttons});
    TExpected expected;
    if (!Next("Message", text, expected)) return (buttons & mbNo) ? mrNo : mrCancel;
    return expected.Answer;
}

bool ScriptedDialogs::InputQuantity(const std::string& caption, double& value, double maximum) {
    TExpected expected;
    if (!Confirmed({.Kind = "Quantity", .Text = caption, .Due = value, .Received = maximum}, expected)) return false;
    value = expected.Number;
    return true;
}

bool ScriptedDialogs::InputText(const std::string& caption, const std::string&, std::string& value) {
    TExpected expected;
    if (!Confirmed({"Text", caption}, expected)) return false;
    value = expected.Value;
    return true;
}

bool ScriptedDialogs::Select(const std::string& selector, const TFilter& filter, bool, TRequestResult& chosen) {
    TExpected expected;
    if (!Confirmed({.Kind = "Select", .Text = selector, .Text2 = FilterText(filter).AsString()}, expected)) return false;
    chosen = expected.Rows;
    return true;
}

bool ScriptedDialogs::SelectFile(const std::string& caption, const std::string&, bool, std::string& path) {
    TExpected expected;
    if (!Confirmed({"File", caption}, expected)) return false;
    path = expected.Value;
    return true;
}

// An annulment confirmed without a scripted date keeps the proposed one.
bool ScriptedDialogs::AnnulDocument(TDateTime& date, std::string& description) {
    TExpected expected;
    if (!Confirmed({.Kind = "Annul", .Text = description, .Date = date}, expected)) return false;
    if (expected.Date.Serial() != 0.0) date = expected.Date;
    description = expected.Value;
    return true;
}

void ScriptedDialogs::ChangeCalculation(double due, double received) {
    TExpected expected;
    Confirmed({.Kind = "Change", .Due = due, .Received = received}, expected);
}

bool ScriptedDialogs::CurrencyRate(const std::string& currency, std::string& rate, bool readOnly) {
    TExpected expected;
    if (!Confirmed({.Kind = "Rate", .Text = currency, .Text2 = rate, .ReadOnly = readOnly}, expected)) return false;
    if (!readOnly) rate = expected.Value;
    return true;
}

int ScriptedDialogs::ChooseOption(const std::string& title, const std::string& options, const std::string& question) {
    shown_.push_back({.Kind = "Option", .Text = title, .Text2 = options, .Question = question});
    TExpected expected;
    if (!Next("Option", title, expected)) return -1;
    return expected.Answer;
}

int AnswerNamed(const std::string& name) {
    static const std::map<std::string, int> answers = {{"Yes", mrYes}, {"No", mrNo}, {"Ok", mrOk}, {"Cancel", mrCancel}};
    const auto it = answers.find(name);
    if (it == answers.end()) throw std::invalid_argument("no dialog answer " + name);
    return it->second;
}

}  // namespace tavrek::testing
