// Several client processes on one company file, and processes killed in the middle of a call.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "server/CompanyDatabase.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"
#include "support/DataSetBuilder.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

constexpr int kLinesPerDocument = 2000;

// Runs body in a child process; the child's exit code is 0 when body returned normally.
template <typename Body>
pid_t Spawn(Body&& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 0;
        try {
            body();
        } catch (...) {
            code = 3;
        }
        ::_exit(code);
    }
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void KillAfter(pid_t pid, int microseconds) {
    ::usleep(static_cast<useconds_t>(microseconds));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Saves documents of kLinesPerDocument lines, one server call each, until killed.
void SaveDocumentsForever(const std::string& path) {
    server::EmbeddedServer server(path);
    for (int n = 0; n < 1000; ++n) {
        TClientDataSet header, lines;
        server.RequestData("D_PurchHeader", TFilter().Add("Id", "=", ""), header);
        server.RequestData("D_PurchaseLine", TFilter().Add("Master_Id", "=", ""), lines);
        const std::string id = "K" + std::to_string(::getpid()) + "-" + std::to_string(n);
        AppendRecord(header, {{"Id", id}, {"Comp_Id", "DEMO"}, {"DocumentType", 1}});
        for (int i = 1; i <= kLinesPerDocument; ++i)
            AppendRecord(lines, {{"Id", id + "-" + std::to_string(i)}, {"Master_Id", id}, {"Line_No", i}, {"Quantity", i}});
        std::string error, number;
        server.ApplyUpdates({{"D_PurchHeader", &header}, {"D_PurchaseLine", &lines}}, error);
        server.GetNextSerieNo("ORDER", "BG-SOF", number);
    }
}

class ProcessesTest : public SqliteFixture {};

TEST_F(ProcessesTest, TwoProcessesTakeDistinctNumbersFromOneSeries) {
    constexpr int kEach = 1000;
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        const std::string out = TempPath("numbers-" + std::to_string(child) + ".txt");
        children.push_back(Spawn([&, out] {
            server::EmbeddedServer server(DatabasePath());
            std::ofstream file(out);
            for (int i = 0; i < kEach; ++i) {
                std::string number;
                if (server.GetNextSerieNo("PINV", "BG-SOF", number) != 0) throw std::runtime_error("refused");
                file << number << '\n';
            }
        }));
    }
    for (pid_t pid : children) ASSERT_EQ(ExitCode(pid), 0);
    std::set<std::string> numbers;
    for (int child = 0; child < 2; ++child) {
        std::ifstream file(TempPath("numbers-" + std::to_string(child) + ".txt"));
        for (std::string line; std::getline(file, line);) numbers.insert(line);
    }
    EXPECT_EQ(numbers.size(), 2u * kEach);
    EXPECT_EQ(*numbers.rbegin(), "0000002000");
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PINV'").AsInteger(), 2 * kEach);
}

TEST_F(ProcessesTest, KilledProcessLeavesEveryCallWholeOrNotAtAll) {
    for (const int delay : {2000, 15000, 40000, 90000, 160000, 260000}) {
        KillAfter(Spawn([&] { SaveDocumentsForever(DatabasePath()); }), delay);
    }
    // However slow the machine, the last child is killed only after it has saved something.
    const pid_t last = Spawn([&] { SaveDocumentsForever(DatabasePath()); });
    for (int waited = 0; waited < 3000 && Count("D_PurchHeader") < 2; ++waited) ::usleep(10000);
    KillAfter(last, 7000);
    Reopen();
    EXPECT_EQ(server::CheckIntegrity(Server().Database()), "ok");
    const int64_t documents = Count("D_PurchHeader");
    EXPECT_GT(documents, 0);
    EXPECT_EQ(Count("D_PurchaseLine"), documents * kLinesPerDocument);
    EXPECT_EQ(Count("D_PurchHeader h", "(SELECT COUNT(*) FROM D_PurchaseLine l WHERE l.Master_Id = h.Id) <> " +
                                           std::to_string(kLinesPerDocument)),
              0);
    // The file still serves: a new document saves after the crashes.
    std::string number;
    EXPECT_EQ(Server().GetNextSerieNo("ORDER", "BG-SOF", number), 0);
}

TEST_F(ProcessesTest, KilledDemoCreationLeavesNoHalfCompany) {
    const auto checkWhole = [this](const std::string& path) {
        server::EmbeddedServer server(path);
        TRequestResult rows;
        EXPECT_EQ(server.RequestValue(0, "N_Item", "Id", TFilter(), rows), 50);
        EXPECT_EQ(server.RequestValue(0, "S_Messages", "Id", TFilter(), rows), Count("S_Messages"));
    };
    for (const int delay : {500, 3000, 10000, 30000}) {
        const std::string path = TempPath("killed-" + std::to_string(delay) + ".db");
        KillAfter(Spawn([&] { server::CreateDemoCompany(path); }), delay);
        try {
            checkWhole(path);  // the creation may have finished before the kill
        } catch (const server::ECompanyDatabaseError& e) {
            SCOPED_TRACE(e.what());  // or left no company at all
        }
    }
    const std::string finished = TempPath("finished.db");
    ASSERT_EQ(ExitCode(Spawn([&] { server::CreateDemoCompany(finished); })), 0);
    checkWhole(finished);
}

}  // namespace
}  // namespace tavrek::testing
