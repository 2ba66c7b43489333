#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/session/TUserRights.h"
#include "server/EmbeddedServer.h"
#include "support/AdminTool.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

class UserCommandsTest : public SqliteFixture {
protected:
    UserCommandsTest() { Server().SetLoginRefusalDelay(std::chrono::milliseconds(0)); }

    std::string Args(const TGoldenCase& c) {
        std::string args;
        for (const Variant& word : c.Row("args").Words) args += (args.empty() ? "" : " ") + word.AsString();
        return args;
    }
};

TEST_F(UserCommandsTest, UsersAreAddedLockedAndGrantedWithoutAskingAnything) {
    const std::string passwords = TempPath("password");
    std::ofstream(passwords) << "demo-buyer\n";
    ::setenv("TAVREK_PASSWORD", "demo-buyer", 1);
    ::setenv("TAVREK_LOGIN_DELAY_MS", "0", 1);
    const std::string scenario = std::string(TAVREK_TEST_DATA_DIR) + "/golden/server/admin_run_scenario.txt";
    for (const TGoldenCase& c : ReadGoldenCases("server/admin_users.txt",
                                                {{"DB", DatabasePath()}, {"SCENARIO", scenario}, {"PASSWORDS", passwords}})) {
        SCOPED_TRACE(c.Name);
        std::string output;
        EXPECT_EQ(RunAdmin(Args(c) + " </dev/null", &output), c.Int("Exit")) << output;
        if (c.Has("Shows")) {
            EXPECT_NE(output.find(c.Text("Shows")), std::string::npos) << output;
        }
        if (!c.Has("Login")) continue;
        TSignedInUser user;
        EXPECT_EQ(Server().Login({}, c.Text("Login"), c.Text("Password"), user) == 0, c.Int("Signed") == 1);
        if (!c.Has("Right")) continue;
        EXPECT_EQ(user.Rights.Allows(c.Int("Form"), *RightOfWord(c.Text("Right"))), c.Int("Granted") == 1);
    }
}

TEST_F(UserCommandsTest, InitGivesTheAdministratorThePasswordAsked) {
    const std::string company = TestOnPostgres() ? NewPostgresDatabase() : TempPath("asked.tavrek");
    ASSERT_EQ(RunAdmin("init " + company + " --admin-password s3cret-1"), 0);
    {
        server::EmbeddedServer asked(company);
        asked.SetLoginRefusalDelay(std::chrono::milliseconds(0));
        TSignedInUser user;
        EXPECT_EQ(asked.Login({}, "admin", "demo-admin", user), -1);
        EXPECT_EQ(asked.Login({}, "buyer", "demo-buyer", user), 0) << "the other users keep the README's passwords";
        ASSERT_EQ(asked.Login({}, "admin", "s3cret-1", user), 0);
        EXPECT_EQ(user.UserId, "ADMIN");
        EXPECT_TRUE(user.Rights.Allows(10900, TFormRight::frSetup));
    }
    DropDemoCompany(company);
}

}  // namespace
}  // namespace tavrek::testing
