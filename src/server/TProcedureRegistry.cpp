#include "server/TProcedureRegistry.h"

#include <stdexcept>

#include "base/util/Text.h"
#include "server/TCallParser.h"

namespace tavrek::server {

void TProcedureRegistry::Register(TProcedureKind kind, std::string_view name, TProcedure procedure) {
    const std::string key = ToLowerAscii(NormalizeProcedureName(name));
    if (key.empty()) throw std::invalid_argument("Невалидно име на процедура '" + std::string(name) + "'");
    procedures_[{kind, key}] = std::move(procedure);
}

const TProcedure* TProcedureRegistry::Find(TProcedureKind kind, std::string_view name) const {
    const auto it = procedures_.find({kind, ToLowerAscii(NormalizeProcedureName(name))});
    return it == procedures_.end() ? nullptr : &it->second;
}

}  // namespace tavrek::server
