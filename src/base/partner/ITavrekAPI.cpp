#include "base/partner/ITavrekAPI.h"

#include "base/partner/TFolderPartnerService.h"

namespace tavrek {

std::unique_ptr<ITavrekAPI> GetITavrekAPI(const std::string& url, const std::string& userName,
                                          const std::string& password) {
    return std::make_unique<TFolderPartnerService>(url, userName, password);
}

}  // namespace tavrek
