#include "support/TChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace tavrek::testing {

TChildProcess::TChildProcess(const std::vector<std::string>& args, std::filesystem::path output)
    : output_(std::move(output)) {
    pid_ = fork();
    if (pid_ == 0) {
        const int file = open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(file, 1);
        dup2(file, 2);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
}

TChildProcess::~TChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Wait();
    }
}

void TChildProcess::Signal(int signal) const { kill(pid_, signal); }

int TChildProcess::Wait() {
    int status = 0;
    if (pid_ > 0) waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string TChildProcess::Output() const {
    std::ifstream file(output_);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string TChildProcess::ListeningAddress(int timeoutMs) const {
    constexpr int kStepMs = 50;
    for (int waited = 0; waited < timeoutMs; waited += kStepMs) {
        const std::string text = Output();
        const size_t at = text.find("listening on ");
        if (at != std::string::npos) return text.substr(at + 13, text.find('\n', at) - at - 13);
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
    }
    return {};
}

}  // namespace tavrek::testing
