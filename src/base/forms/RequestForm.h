#pragma once

#include <string_view>
#include <vector>

#include "base/forms/TFormRequest.h"

namespace tavrek {

class IBaseIntf;
class TfBase;

// Opens the form registered under request.ClassName or request.FormNumber: creates it,
// lets it open its data, starts a new document from the default values (or on soInsert),
// and hands it to the form host, modally under soModal. Returns 1 when a modal form was
// confirmed (request.Result then holds what it handed back), else 0. A number with no
// registered class goes to the host as a form of another package. Throws EFormError when
// there is no form host.
int RequestForm(TFormRequest& request);
int RequestForm(int formNumber, const TShowOptions& options, const TFilter& filter, const Variant& value1,
                const Variant& value2, TSelectionList* selection, const TDefaultValues& defaults,
                TfBase* callingForm = nullptr, TfBase* parentForm = nullptr);

// The open child windows of the host whose class is className (case-insensitive).
std::vector<TfBase*> FindOpenForms(std::string_view className);
// The first open child window that implements IBaseIntf and reports caller as its calling
// form; nullptr when none does.
IBaseIntf* FindFormByCallingForm(const TfBase* caller);

}  // namespace tavrek
