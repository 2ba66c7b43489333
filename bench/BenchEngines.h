#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

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

}  // namespace tavrek::server
