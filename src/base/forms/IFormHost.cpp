#include "base/forms/IFormHost.h"

#include "base/ui/Messages.h"
#include "base/util/Text.h"

namespace tavrek {

int IFormHost::RequestExternalForm(TFormRequest& request) {
    const std::string text = GetMessageText("err_FormNotAvailable", "Форма с номер %s не е налична в този клиент.");
    MessageDlgEx(FormatMessage(text, {std::to_string(request.FormNumber)}), TMsgDlgType::mtError, mbOK);
    return 0;
}

void IFormHost::FormChanged(TfBase&) {}

void IFormHost::ReportFailure(const std::string&, const std::string&) {}

}  // namespace tavrek
