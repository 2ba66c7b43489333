// The tavrek-admin program as an administrator runs it: exit codes for good and bad files.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// The program is built beside the test folder of the build tree.
std::filesystem::path AdminTool() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "tavrek-admin";
}

class AdminToolTest : public SqliteFixture {
protected:
    int Run(const std::string& arguments) {
        const int status = std::system((AdminTool().string() + " " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(AdminToolTest, CommandsSucceedOnCompanyFilesAndFailClearlyOnOthers) {
    if (!std::filesystem::exists(AdminTool())) GTEST_SKIP() << "tavrek-admin is not built";
    const std::string company = TempPath("new.db"), copy = TempPath("copy.db"), text = TempPath("notes.txt");
    std::ofstream(text) << "бележки";
    const std::pair<std::string, int> steps[] = {
        {"init " + company, 0},           {"init " + company, 1},         {"check " + company, 0},
        {"backup " + company + " " + copy, 0}, {"check " + copy, 0},      {"backup " + company + " " + copy, 1},
        {"upgrade " + company, 0},        {"check " + TempPath("missing.db"), 1}, {"check " + text, 1},
        {"upgrade " + text, 1},           {"", 2},                        {"check", 2},
    };
    for (const auto& [arguments, code] : steps) EXPECT_EQ(Run(arguments), code) << arguments;

    Exec("INSERT INTO S_SchemaVersion (Version, Name, AppliedAt) VALUES (99, 'future', 0)");
    EXPECT_EQ(Run("check " + DatabasePath()), 1);
    EXPECT_EQ(Run("upgrade " + DatabasePath()), 1);
}

}  // namespace
}  // namespace tavrek::testing
