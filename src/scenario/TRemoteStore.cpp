#include "scenario/TRemoteStore.h"

#include "base/session/LocalData.h"

namespace tavrek::scenario {

std::string TRemoteStore::CompanyId() { return LocalData().CompanyId; }

}  // namespace tavrek::scenario
