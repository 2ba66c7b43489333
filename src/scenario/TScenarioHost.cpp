#include "scenario/TScenarioHost.h"

#include <algorithm>
#include <utility>

#include "base/data/TClientDataSet.h"
#include "base/forms/Selectors.h"
#include "others/uOthersBrowse.h"
#include "others/uOthersForms.h"
#include "base/forms/TfBase.h"
#include "base/session/Tdm.h"

namespace tavrek::scenario {

TScenarioHost::TScenarioHost() : previousHost_(dm().FormHost()), previousDialogs_(dm().DialogsOrNull()) {
    dm().SetFormHost(this);
    dm().SetDialogs(this);
}

TScenarioHost::~TScenarioHost() {
    // Closing calls back into CloseForm, so take the forms out of the list first.
    const std::vector<std::unique_ptr<TfBase>> forms = std::move(forms_);
    forms_.clear();
    for (const auto& form : forms)
        if (!form->Closed()) form->Close();
    dm().SetFormHost(previousHost_);
    dm().SetDialogs(previousDialogs_);
}

std::vector<std::string> TScenarioHost::TakeMessages() { return std::exchange(messages_, {}); }

void TScenarioHost::ShowForm(std::unique_ptr<TfBase> form) { forms_.push_back(std::move(form)); }

int TScenarioHost::ShowModal(TfBase&) { return mrCancel; }

bool TScenarioHost::Select(const std::string& selector, const TFilter& filter, bool, TRequestResult& chosen) {
    if (std::exchange(chooseAll_, false)) {
        TClientDataSet rows(selector);
        // The client registers the other packages' selectors at start; a scenario reads them itself.
        if (const TBrowseDescription* browse = uOthersForms::FindBySelector(selector))
            uOthersBrowse::LoadRows(*browse, filter, rows);
        else
            LoadSelectorRows(selector, filter, rows);
        for (const TFieldDef& def : rows.FieldDefs()) selection_.Columns.push_back(def.Name);
        for (int i = 0; i < rows.RawRecordCount(); ++i) selection_.Rows.push_back(rows.RawRecord(i));
    }
    chosen = std::move(selection_);
    selection_ = TRequestResult();
    return !chosen.Empty();
}

std::vector<TfBase*> TScenarioHost::OpenForms() {
    std::vector<TfBase*> forms;
    for (const auto& form : forms_)
        if (!form->Closed()) forms.push_back(form.get());
    return forms;
}

// Closed forms stay owned until the run ends: a form may close from its own handler.
void TScenarioHost::CloseForm(TfBase&) {}

int TScenarioHost::RequestExternalForm(TFormRequest& request) {
    external_.push_back(request);
    return mrCancel;
}

std::vector<TFormRequest> TScenarioHost::TakeExternalRequests() { return std::exchange(external_, {}); }

void TScenarioHost::ReportFailure(const std::string& message, const std::string& operation) {
    failures_.push_back(operation + ": " + message);
}

int TScenarioHost::MessageDlgEx(const std::string& text, TMsgDlgType, TMsgDlgButtons buttons) {
    messages_.push_back(text);
    return (buttons & mbYes) != 0 ? mrYes : mrOk;
}

}  // namespace tavrek::scenario
