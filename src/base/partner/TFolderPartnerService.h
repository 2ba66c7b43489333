#pragma once

#include <filesystem>
#include <string>

#include "base/partner/TUblPartnerService.h"

namespace tavrek {

// A vendor's document service kept as a folder: each *.xml file is one UBL 2.1 invoice or
// credit note the vendor issued to us, documents we send land in the subfolder "outbox".
// When the folder holds a file "credentials" (user name on the first line, password on
// the second), a connection must present them.
class TFolderPartnerService : public TUblPartnerService {
public:
    // The address is a folder path or a "file://" URL. Throws EPartnerError.
    TFolderPartnerService(const std::string& url, const std::string& userName, const std::string& password);

    std::string SendDocument(const std::string& base64Text) override;

    const std::filesystem::path& Folder() const { return folder_; }

protected:
    std::vector<std::string> DocumentNames() override;
    TUblInvoice ReadDocument(const std::string& name) override;
    std::string NumberOfName(const std::string& name) const override;

private:
    std::filesystem::path folder_;
};

}  // namespace tavrek
