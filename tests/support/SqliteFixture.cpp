#include "support/SqliteFixture.h"

#include "base/session/LocalData.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
SqliteFixture::SqliteFixture() : folder_(NewTestFolder()), path_(NewDemoCompany(folder_)) {
    server_ = std::make_unique<server::EmbeddedServer>(path_);
    server::SignInDemoUser(*server_);
    dm().SetDialogs(&dialogs);
}

SqliteFixture::~SqliteFixture() {
    dm().SetServer(nullptr);
    server_.reset();
    DropDemoCompany(path_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

int64_t SqliteFixture::Count(const std::string& table, const std::string& where) {
    return Value("SELECT COUNT(*) FROM " + table + (where.empty() ? "" : " WHERE " + where)).AsInteger();
}

Variant SqliteFixture::Value(const std::string& sql) {
    return server::SelectRows(server_->Database(), sql).Value();
}

void SqliteFixture::Exec(const std::string& sql) { server_->Database().Exec(sql); }

void SqliteFixture::Reopen() {
    dm().SetServer(nullptr);
    const server::TServerSession session = server_->Session();
    server_.reset();
    server_ = std::make_unique<server::EmbeddedServer>(path_);
    server_->SetSession(session);
    dm().SetServer(server_.get());
}

}  // namespace tavrek::testing
