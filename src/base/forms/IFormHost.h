#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/forms/TFormRequest.h"
#include "base/forms/TPrintRequest.h"

namespace tavrek {

class TfBase;

// Where forms are shown: the desktop's main window, or a headless host in tests. The host
// decides nothing about documents; it shows, activates, closes and prints what forms ask.
// Reached through dm().FormHost().
class IFormHost {
public:
    virtual ~IFormHost() = default;

    // Shows a created form as a modeless child of the main window; the host owns it from now
    // on and frees it after it is closed.
    virtual void ShowForm(std::unique_ptr<TfBase> form) = 0;
    // Shows a form modally and returns its modal result (mrOk when the user confirmed). The
    // caller keeps the form.
    virtual int ShowModal(TfBase& form) = 0;
    // The open child windows, in the order of the main window.
    virtual std::vector<TfBase*> OpenForms() = 0;
    // The form has closed (FormClose has run): hide a modeless form and free it later, never
    // while one of its handlers is still running; end the dialog of a modal one (its
    // caller frees it).
    virtual void CloseForm(TfBase& form) = 0;
    virtual void ActivateForm(TfBase& form) = 0;
    // Nested: every true is matched by a false.
    virtual void SetWaitCursor(bool wait) = 0;
    // Progress of a long walk over a dataset; total 0 ends it.
    virtual void ShowProgress(const std::string& caption, int position, int total) = 0;
    virtual void PrintDocument(const TPrintRequest& request) = 0;
    // A form number no class is registered for (a form of another package). This client
    // does not have such forms: the default tells the user so and returns 0.
    virtual int RequestExternalForm(TFormRequest& request);
    // The form changed its layout, actions or side panel outside a handler the host called.
    virtual void FormChanged(TfBase& form);
    // An action failed and its failure is in the error log: the host may let the user know
    // (a status line, say). The default shows nothing more.
    virtual void ReportFailure(const std::string& message, const std::string& operation);
};

}  // namespace tavrek
