#pragma once

#include <string>

#include "base/server/IAppServer.h"
#include "scenario/TScenarioFile.h"

namespace tavrek::scenario {

// "vatledger Period=yyyymm Pokupki=FILE Deklar=FILE [Problems=N]": the purchase ledger of the
// period, as its form reads it and writes its files, compared byte for byte with the files
// (paths relative to the scenario's folder); Problems is how many documents cannot enter.
// Empty when everything agrees, else where the first difference is.
std::string ExpectVATLedger(IAppServer& server, const TScenarioStep& step, const std::string& folder);

}  // namespace tavrek::scenario
