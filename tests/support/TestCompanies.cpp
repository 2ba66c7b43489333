#include "support/TestCompanies.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
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

void RunScript(const std::string& arguments) {
    const std::string command = std::string(TAVREK_SOURCE_DIR) + "/scripts/pg-test-server.sh " + arguments;
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// The cluster ctest started for the whole run, else one of this program's own, stopped
// when the program ends.
struct TCluster {
    TCluster() {
        if (const char* host = std::getenv("TAVREK_TEST_PG_HOST")) {
            Host = host;
            return;
        }
        Host = "/tmp/tavrek-pg-" + std::to_string(::getpid());
        RunScript("start " + Host + " " + TAVREK_ADMIN_PATH);
        Owned = true;
    }
    ~TCluster() {
        if (Owned) RunScript("stop " + Host);
    }
    std::string Address(const std::string& database) const {
        return "postgresql://tavrek@/" + database + "?host=" + Host;
    }
    std::string Host;
    bool Owned = false;
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
