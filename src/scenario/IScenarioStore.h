#pragma once

#include <string>

#include "base/server/TRequestResult.h"
#include "server/EmbeddedServer.h"

namespace tavrek::scenario {

// Where a scenario reads what was stored and arranges what happens outside the package
// (later sales, payments): beside the server the editors go through, in the company's
// database, directly or through a server started for testing.
class IScenarioStore {
public:
    virtual ~IScenarioStore() = default;
    virtual TRequestResult Select(const std::string& sql, const TVariantArray& values) = 0;
    virtual void Execute(const std::string& sql, const TVariantArray& values) = 0;
    virtual std::string CompanyId() = 0;
};

// The database of an embedded server, in the same process.
class TEmbeddedStore : public IScenarioStore {
public:
    explicit TEmbeddedStore(server::EmbeddedServer& server) : server_(server) {}
    TRequestResult Select(const std::string& sql, const TVariantArray& values) override;
    void Execute(const std::string& sql, const TVariantArray& values) override;
    std::string CompanyId() override { return server_.Session().CompanyId; }

private:
    server::EmbeddedServer& server_;
};

}  // namespace tavrek::scenario
