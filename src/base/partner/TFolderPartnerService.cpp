#include "base/partner/TFolderPartnerService.h"

#include <algorithm>
#include <fstream>

#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

fs::path FolderOf(const std::string& url) {
    std::string path = Trim(url);
    if (path.rfind("file://", 0) == 0) path.erase(0, 7);
    return fs::path(path);
}

}  // namespace

TFolderPartnerService::TFolderPartnerService(const std::string& url, const std::string& userName,
                                             const std::string& password)
    : folder_(FolderOf(url)) {
    std::error_code error;
    if (folder_.empty() || !fs::is_directory(folder_, error))
        throw EPartnerError("Няма услуга за документи на адрес \"" + url + "\"");
    const fs::path credentials = folder_ / "credentials";
    if (!fs::exists(credentials, error)) return;
    std::ifstream in(credentials);
    std::string expectedUser, expectedPassword;
    std::getline(in, expectedUser);
    std::getline(in, expectedPassword);
    if (Trim(expectedUser) != userName || Trim(expectedPassword) != password)
        throw EPartnerError("Услугата на доставчика отказа достъп: грешно потребителско име или парола");
}

std::vector<std::string> TFolderPartnerService::DocumentNames() {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_))
        if (entry.is_regular_file() && EqualsIgnoreCase(entry.path().extension().string(), ".xml"))
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

TUblInvoice TFolderPartnerService::ReadDocument(const std::string& name) { return TUblInvoice::ReadFile(name); }

std::string TFolderPartnerService::NumberOfName(const std::string& name) const { return fs::path(name).stem().string(); }

std::string TFolderPartnerService::SendDocument(const std::string& base64Text) {
    const fs::path outbox = folder_ / "outbox";
    fs::create_directories(outbox);
    const std::string number = CreateUniqueID();
    std::ofstream out(outbox / (number + ".b64"), std::ios::binary);
    out << base64Text;
    if (!out) throw EPartnerError("Документът не беше предаден на доставчика");
    return number;
}

}  // namespace tavrek
