#include "support/HeadlessFormHost.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/session/Tdm.h"

namespace tavrek::testing {

HeadlessFormHost::HeadlessFormHost() : previous_(dm().FormHost()) { dm().SetFormHost(this); }

HeadlessFormHost::~HeadlessFormHost() {
    EXPECT_EQ(waitDepth_, 0) << "wait cursor left on";
    // Closing calls back into CloseForm, so take the forms out of the list first.
    const std::vector<std::unique_ptr<TfBase>> forms = std::move(open_);
    open_.clear();
    for (const auto& form : forms)
        if (!form->Closed()) form->Close();
    closed_.clear();
    dm().SetFormHost(previous_);
}

void HeadlessFormHost::ScriptModal(const std::string& className, TModalScript script) {
    modalScripts_[className] = std::move(script);
}

void HeadlessFormHost::ScriptExternal(int formNumber, int result, TVariantArray values) {
    externalScripts_[formNumber] = {result, std::move(values)};
}

void HeadlessFormHost::CollectClosed() { closed_.clear(); }

void HeadlessFormHost::ShowForm(std::unique_ptr<TfBase> form) {
    shown_.push_back(form->ClassName());
    activated_ = form.get();
    open_.push_back(std::move(form));
}

int HeadlessFormHost::ShowModal(TfBase& form) {
    const auto it = modalScripts_.find(form.ClassName());
    if (it == modalScripts_.end()) {
        ADD_FAILURE() << "Unscripted modal form " << form.ClassName();
        return mrCancel;
    }
    const int result = it->second(form);
    return form.ModalResult != mrNone ? form.ModalResult : result;
}

std::vector<TfBase*> HeadlessFormHost::OpenForms() {
    std::vector<TfBase*> forms;
    for (auto& form : open_) forms.push_back(form.get());
    return forms;
}

void HeadlessFormHost::CloseForm(TfBase& form) {
    const auto it = std::find_if(open_.begin(), open_.end(), [&form](const auto& f) { return f.get() == &form; });
    if (it == open_.end()) return;  // a modal form: its caller frees it
    closed_.push_back(std::move(*it));
    open_.erase(it);
    if (activated_ == &form) activated_ = nullptr;
}

void HeadlessFormHost::ActivateForm(TfBase& form) { activated_ = &form; }

void HeadlessFormHost::SetWaitCursor(bool wait) {
    waitDepth_ += wait ? 1 : -1;
    if (wait) ++waitCount_;
    EXPECT_GE(waitDepth_, 0) << "wait cursor restored more often than shown";
}

void HeadlessFormHost::ShowProgress(const std::string&, int, int) {}

void HeadlessFormHost::PrintDocument(const TPrintRequest& request) { prints_.push_back(request); }

int HeadlessFormHost::RequestExternalForm(TFormRequest& request) {
    external_.push_back(request);
    const auto it = externalScripts_.find(request.FormNumber);
    if (it == externalScripts_.end()) return IFormHost::RequestExternalForm(request);
    request.Result = it->second.Values;
    return it->second.Result;
}

}  // namespace tavrek::testing
