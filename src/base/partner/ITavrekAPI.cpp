#include "base/partner/ITavrekAPI.h"

#include "base/partner/TFolderPartnerService.h"
#include "base/partner/THttpPartnerService.h"
#include "base/util/Text.h"

namespace tavrek {

std::unique_ptr<ITavrekAPI> GetITavrekAPI(const std::string& url, const std::string& userName,
                                          const std::string& password) {
    const std::string scheme = ToLowerAscii(Trim(url).substr(0, 8));
    if (scheme.rfind("http://", 0) == 0 || scheme.rfind("https://", 0) == 0)
        return std::make_unique<THttpPartnerService>(url, userName, password);
    return std::make_unique<TFolderPartnerService>(url, userName, password);
}

}  // namespace tavrek
