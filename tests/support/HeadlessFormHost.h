#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/forms/IFormHost.h"
#include "base/forms/IMainFormIntf.h"
#include "base/forms/TfBase.h"

namespace tavrek::testing {

// A form host without a screen, for form tests: it keeps the modeless forms it was given,
// answers modal forms and forms of other packages as the test scripted, and records
// every print request, external form request and wait-cursor change. Installs itself in
// the session for its lifetime. An unscripted modal or external form fails the test.
class HeadlessFormHost : public IFormHost, public IMainFormIntf {
public:
    // What a scripted modal form does: act on the form (select rows, say) and return the
    // modal result.
    using TModalScript = std::function<int(TfBase&)>;

    HeadlessFormHost();
    ~HeadlessFormHost() override;

    void ScriptModal(const std::string& className, TModalScript script);
    // A form of another package: its result and the record it hands back.
    void ScriptExternal(int formNumber, int result, TVariantArray values = {});

    const std::vector<TPrintRequest>& Prints() const { return prints_; }
    const std::vector<TFormRequest>& ExternalRequests() const { return external_; }
    // Class names of the modeless forms shown, in order (closed ones included).
    const std::vector<std::string>& Shown() const { return shown_; }
    int WaitDepth() const { return waitDepth_; }
    int WaitCount() const { return waitCount_; }
    TfBase* Activated() const { return activated_; }
    // The main-window notifications, with the form each named (nullptr for none), in order.
    using TNotification = std::pair<std::string, TfBase*>;
    const std::vector<TNotification>& Notifications() const { return notifications_; }

    // Frees the forms that were closed.
    void CollectClosed();

    void ShowForm(std::unique_ptr<TfBase> form) override;
    int ShowModal(TfBase& form) override;
    std::vector<TfBase*> OpenForms() override;
    void CloseForm(TfBase& form) override;
    void ActivateForm(TfBase& form) override;
    void SetWaitCursor(bool wait) override;
    void ShowProgress(const std::string& caption, int position, int total) override;
    void PrintDocument(const TPrintRequest& request) override;
    int RequestExternalForm(TFormRequest& request) override;
    void ActiveFormChanged(TfBase* form) override { notifications_.push_back({"ActiveFormChanged", form}); }
    void FormClosed(TfBase* form) override { notifications_.push_back({"FormClosed", form}); }
    void ReportFailure(const std::string& message, const std::string& operation) override {
        failures_.push_back(operation + ": " + message);
    }
    // "<operation>: <message>" of every failure a form reported.
    const std::vector<std::string>& Failures() const { return failures_; }

private:
    struct TExternal {
        int Result;
        TVariantArray Values;
    };

    IFormHost* previous_;
    std::vector<std::unique_ptr<TfBase>> open_;
    std::vector<std::unique_ptr<TfBase>> closed_;
    std::map<std::string, TModalScript> modalScripts_;
    std::map<int, TExternal> externalScripts_;
    std::vector<TPrintRequest> prints_;
    std::vector<TFormRequest> external_;
    std::vector<std::string> shown_;
    std::vector<TNotification> notifications_;
    std::vector<std::string> failures_;
    TfBase* activated_ = nullptr;
    int waitDepth_ = 0;
    int waitCount_ = 0;
};

}  // namespace tavrek::testing
