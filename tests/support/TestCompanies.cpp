#include "support/TestCompanies.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "server/db/TDbSession.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::testing {

std::filesystem::path NewTestFolder() {
    static std::atomic<int> counter{0};
    const std::string name =
        "tavrek-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + std::to_string(::time(nullptr));
    std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(folder);
    return folder;
}

namespace {

// The demo company file is built once per test program and copied for each test.
struct TDemoTemplate {
    TDemoTemplate() : Folder(NewTestFolder()), File(Folder / "demo-template.db") {
        server::CreateDemoCompany(File.string());
    }
    ~TDemoTemplate() {
        std::error_code ignored;
        std::filesystem::remove_all(Folder, ignored);
    }
    std::filesystem::path Folder, File;
};

// The clusters a program starts itself keep every commit they acknowledged, so that a test
// may crash one as a company's server could crash.
void RunScript(const std::string& arguments) {
    const std::string command =
        "TAVREK_PG_DURABLE=1 " + std::string(TAVREK_SOURCE_DIR) + "/scripts/pg-test-server.sh " + arguments;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

std::string AddressOn(const std::string& host, const std::string& database) {
    return "postgresql://tavrek@/" + database + "?host=" + host;
}

// The cluster ctest started for the whole run, else one of this program's own, stopped
// when the program ends.
struct TCluster {
    TCluster() {
        if (const char* host = std::getenv("TAVREK_TEST_PG_HOST")) {
            Host = host;
            return;
        }
        Owned = std::make_unique<TPrivatePostgres>();
        Host = Owned->Host();
    }
    std::string Address(const std::string& database) const { return AddressOn(Host, database); }
    std::string Host;
    std::unique_ptr<TPrivatePostgres> Owned;
};

const TCluster& Cluster() {
    static const TCluster cluster;
    return cluster;
}

std::string NewDatabaseName() {
    static std::atomic<int> counter{0};
    return "t_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

void Administer(const std::string& sql) { server::TDbSession(Cluster().Address("postgres")).Exec(sql); }

}  // namespace

TPrivatePostgres::TPrivatePostgres() {
    static std::atomic<int> counter{0};
    host_ = "/tmp/tavrek-pg-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    RunScript("start " + host_ + " " + TAVREK_ADMIN_PATH);
}

TPrivatePostgres::~TPrivatePostgres() {
    try {
        RunScript("stop " + host_);
    } catch (const std::exception&) {
        // a cluster that would not stop is gone with the machine's temporary files
    }
}

std::string TPrivatePostgres::Address(const std::string& database) const { return AddressOn(host_, database); }

void TPrivatePostgres::Crash() { RunScript("crash " + host_); }

void TPrivatePostgres::Restart() { RunScript("restart " + host_); }

bool TestOnPostgres() {
    const char* engine = std::getenv("TAVREK_TEST_ENGINE");
    return std::getenv("TAVREK_TEST_PG_HOST") != nullptr || (engine != nullptr && std::string(engine) == "postgresql");
}

std::string NewDemoCompany(const std::filesystem::path& folder) {
    if (TestOnPostgres()) {
        const std::string name = NewDatabaseName();
        Administer("CREATE DATABASE " + name + " TEMPLATE tavrek_demo STRATEGY FILE_COPY");
        return Cluster().Address(name);
    }
    static const TDemoTemplate demo;
    const std::filesystem::path file = folder / "company.db";
    std::filesystem::copy_file(demo.File, file);
    return file.string();
}

void DropDemoCompany(const std::string& address) {
    if (!server::IsPostgresAddress(address)) return;
    const size_t start = address.find("@/") + 2;
    Administer("DROP DATABASE IF EXISTS " + address.substr(start, address.find('?') - start) + " WITH (FORCE)");
}

std::string NewPostgresDatabase() {
    const std::string name = NewDatabaseName();
    Administer("CREATE DATABASE " + name);
    return Cluster().Address(name);
}

}  // namespace tavrek::testing
