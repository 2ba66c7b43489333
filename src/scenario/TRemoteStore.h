#pragma once

#include "net/TRemoteServer.h"
#include "scenario/IScenarioStore.h"

namespace tavrek::scenario {

// The company's database as a tavrek-server started with --scenario-checks shows it to a
// signed-in client.
class TRemoteStore : public IScenarioStore {
public:
    explicit TRemoteStore(net::TRemoteServer& server) : server_(server) {}
    TRequestResult Select(const std::string& sql, const TVariantArray& values) override {
        return server_.ScenarioSelect(sql, values);
    }
    void Execute(const std::string& sql, const TVariantArray& values) override { server_.ScenarioExecute(sql, values); }
    std::string CompanyId() override;

private:
    net::TRemoteServer& server_;
};

}  // namespace tavrek::scenario
