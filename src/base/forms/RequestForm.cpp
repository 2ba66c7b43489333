#include "base/forms/RequestForm.h"

#include <memory>

#include "base/forms/EFormError.h"
#include "base/forms/IBaseIntf.h"
#include "base/forms/IFormHost.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TfBase.h"
#include "base/session/Tdm.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

IFormHost& RequireHost() {
    IFormHost* host = dm().FormHost();
    if (host == nullptr) throw EFormError("Няма прозорец, в който да се покаже формата");
    return *host;
}

const TFormClassInfo* FindRequested(const TFormRequest& request) {
    if (!request.ClassName.empty()) return FormRegistry().FindClass(request.ClassName);
    return FormRegistry().FindNumber(request.FormNumber);
}

int ShowModalForm(IFormHost& host, TfBase& form, TFormRequest& request) {
    const int result = host.ShowModal(form);
    if (!form.Closed()) form.Close(result);
    if (result != mrOk) return 0;
    request.Result = form.ReturnValues;
    return 1;
}

}  // namespace

int RequestForm(TFormRequest& request) {
    IFormHost& host = RequireHost();
    const TFormClassInfo* info = FindRequested(request);
    if (info == nullptr && request.ClassName.empty()) return host.RequestExternalForm(request);
    std::unique_ptr<TfBase> form = request.ClassName.empty() ? FormRegistry().CreateForm(request.FormNumber)
                                                             : FormRegistry().CreateForm(request.ClassName);
    form->Create(request);
    form->Show();
    if (auto* document = dynamic_cast<IBaseIntf*>(form.get())) {
        if (!request.DefaultValues.empty())
            document->InsertDocumentFromDefaults(request.DefaultValues);
        else if (request.ShowOptions.count(soInsert) > 0)
            form->acInsertRecord.Execute();
    }
    if (request.Modal()) return ShowModalForm(host, *form, request);
    host.ShowForm(std::move(form));
    return 0;
}

int RequestForm(int formNumber, const TShowOptions& options, const TFilter& filter, const Variant& value1,
                const Variant& value2, TSelectionList* selection, const TDefaultValues& defaults,
                TfBase* callingForm, TfBase* parentForm) {
    TFormRequest request;
    request.FormNumber = formNumber;
    request.ShowOptions = options;
    request.Filter = filter;
    request.Value1 = value1;
    request.Value2 = value2;
    request.Selection = selection;
    request.DefaultValues = defaults;
    request.CallingForm = callingForm;
    request.ParentForm = parentForm;
    return RequestForm(request);
}

std::vector<TfBase*> FindOpenForms(std::string_view className) {
    std::vector<TfBase*> found;
    IFormHost* host = dm().FormHost();
    if (host == nullptr) return found;
    for (TfBase* form : host->OpenForms())
        if (EqualsIgnoreCase(form->ClassName(), className)) found.push_back(form);
    return found;
}

IBaseIntf* FindFormByCallingForm(const TfBase* caller) {
    IFormHost* host = dm().FormHost();
    if (host == nullptr) return nullptr;
    for (TfBase* form : host->OpenForms()) {
        auto* document = dynamic_cast<IBaseIntf*>(form);
        if (document != nullptr && document->GetCallingForm() == caller) return document;
    }
    return nullptr;
}

}  // namespace tavrek
