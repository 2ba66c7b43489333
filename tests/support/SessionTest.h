#pragma once

#include <gtest/gtest.h>

#include "base/session/Tdm.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServer.h"

namespace tavrek::testing {

// A test with a fresh session wired to a scripted server and scripted dialogs.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        dm().SetServer(&server);
        dm().SetDialogs(&dialogs);
        LocalData().CompanyId = "C1";
        LocalData().BusinessGroupId = "BG1";
        LocalData().UserId = "U1";
    }

    // Operation names written to the error log during the test, in order.
    std::vector<std::string> LoggedOperations() {
        std::vector<std::string> operations;
        for (const TErrorLogEntry& e : guard.Session().ErrorLog().Entries()) operations.push_back(e.Operation);
        return operations;
    }

    TSessionGuard guard;
    ScriptedServer server;
    ScriptedDialogs dialogs;
};

}  // namespace tavrek::testing
