#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tavrek::testing {

// A program run beside a test or a benchmark, its output in a file; killed when let go.
class TChildProcess {
public:
    TChildProcess(const std::vector<std::string>& args, std::filesystem::path output);
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    void Signal(int signal) const;
    // Its exit code, or 128 + the signal that ended it.
    int Wait();
    std::string Output() const;
    // What the program printed after "listening on " once it has, waiting up to timeout.
    std::string ListeningAddress(int timeoutMs = 10000) const;

private:
    pid_t pid_ = -1;
    std::filesystem::path output_;
};

}  // namespace tavrek::testing
