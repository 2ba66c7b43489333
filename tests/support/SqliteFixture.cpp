#include "support/SqliteFixture.h"

#include <unistd.h>

#include <atomic>

#include "base/session/LocalData.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::testing {
namespace {

std::filesystem::path UniqueFolder() {
    static std::atomic<int> counter{0};
    const std::string name =
        "tavrek-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(::time(nullptr));
    std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(folder);
    return folder;
}

// The demo company is built once per test program and copied for each test.
struct TDemoTemplate {
    TDemoTemplate() : Folder(UniqueFolder()), File(Folder / "demo-template.db") {
        server::CreateDemoCompany(File.string());
    }
    ~TDemoTemplate() {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }
    std::filesystem::path Folder, File;
};

const std::filesystem::path& DemoTemplate() {
    static const TDemoTemplate demo;
    return demo.File;
}

}  // namespace

SqliteFixture::SqliteFixture() : folder_(UniqueFolder()), path_((folder_ / "company.db").string()) {
    std::filesystem::copy_file(DemoTemplate(), path_);
    server_ = std::make_unique<server::EmbeddedServer>(path_);
    server_->SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
    dm().SetServer(server_.get());
    dm().SetDialogs(&dialogs);
    LocalData().CompanyId = server::kDemoCompanyId;
    LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
    LocalData().UserId = server::kDemoUserId;
}

SqliteFixture::~SqliteFixture() {
    dm().SetServer(nullptr);
    server_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

int64_t SqliteFixture::Count(const std::string& table, const std::string& where) {
    return Value("SELECT COUNT(*) FROM " + table + (where.empty() ? "" : " WHERE " + where)).AsInteger();
}

Variant SqliteFixture::Value(const std::string& sql) {
    return server::SelectRows(server_->Database(), sql).Value();
}

void SqliteFixture::Exec(const std::string& sql) { server_->Database().exec(sql); }

void SqliteFixture::Reopen() {
    dm().SetServer(nullptr);
    const server::TServerSession session = server_->Session();
    server_.reset();
    server_ = std::make_unique<server::EmbeddedServer>(path_);
    server_->SetSession(session);
    dm().SetServer(server_.get());
}

}  // namespace tavrek::testing
