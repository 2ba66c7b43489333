#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "server/EmbeddedServer.h"
#include "server/db/TDbSession.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::server {

// Benchmarks run once per engine: argument 0 is a SQLite company file, 1 a company on a
// private PostgreSQL that the program starts on a Unix socket and stops at its end.
inline const char* EngineName(int64_t engine) { return engine == 0 ? "sqlite" : "postgresql"; }

class TBenchPostgres {
public:
    TBenchPostgres() : host_("/tmp/tavrek-pg-bench-" + std::to_string(::getpid())) { Script("start " + host_ + " " + TAVREK_ADMIN_PATH); }
    ~TBenchPostgres() { Script("stop " + host_); }

    // A new database on the cluster holding the demo company.
    std::string NewDemoCompany(const std::string& name) {
        TDbSession("postgresql://tavrek@/postgres?host=" + host_).Exec("CREATE DATABASE " + name);
        const std::string address = "postgresql://tavrek@/" + name + "?host=" + host_;
        CreateDemoCompany(address);
        return address;
    }

private:
    static void Script(const std::string& arguments) {
        const std::string command = std::string(TAVREK_SOURCE_DIR) + "/scripts/pg-test-server.sh " + arguments;
        if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
    }
    std::string host_;
};

// A demo company on the engine: a file in folder, or a database named name.
inline std::string BenchDemoCompany(int64_t engine, const std::filesystem::path& folder, const std::string& name) {
    if (engine == 0) {
        const std::string path = (folder / (name + ".db")).string();
        CreateDemoCompany(path);
        return path;
    }
    static TBenchPostgres postgres;
    return postgres.NewDemoCompany(name);
}

// A demo company of the engine under the given name, served in this process to its demo user;
// the files of a SQLite company go with it.
class TBenchServer {
public:
    TBenchServer(int64_t engine, const std::string& name)
        : folder_(std::filesystem::temp_directory_path() / ("tavrek-" + name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        server_ = std::make_unique<EmbeddedServer>(BenchDemoCompany(engine, folder_, name));
        // Signed in as a client is: the server keeps every call to the session's company.
        server_->SetSession({kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId});
    }
    virtual ~TBenchServer() {
        server_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    TBenchServer(const TBenchServer&) = delete;
    TBenchServer& operator=(const TBenchServer&) = delete;

    EmbeddedServer& Server() { return *server_; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<EmbeddedServer> server_;
};

// The company of the benchmark's engine (its first argument), made on first use and kept
// for the whole program; the figures are labelled with the engine.
template <class TCompany>
TCompany& BenchCompanyOf(benchmark::State& state) {
    static std::unique_ptr<TCompany> companies[2];
    const int64_t engine = state.range(0);
    state.SetLabel(EngineName(engine));
    if (!companies[engine]) companies[engine] = std::make_unique<TCompany>(engine);
    return *companies[engine];
}

}  // namespace tavrek::server
