#include "scenario/IScenarioStore.h"

#include "server/SqlValue.h"

namespace tavrek::scenario {

TRequestResult TEmbeddedStore::Select(const std::string& sql, const TVariantArray& values) {
    return server::SelectRows(server_.Database(), sql, values);
}

void TEmbeddedStore::Execute(const std::string& sql, const TVariantArray& values) {
    server::ExecuteBound(server_.Database(), sql, values);
}

}  // namespace tavrek::scenario
