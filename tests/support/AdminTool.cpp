#include "support/AdminTool.h"

#include <sys/wait.h>

#include <cstdio>
#include <memory>

namespace tavrek::testing {

int RunAdmin(const std::string& arguments, std::string* output) {
    const std::string command = std::string(TAVREK_ADMIN_PATH) + " " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return -1;
    char buffer[4096];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        if (output != nullptr) output->append(buffer, read);
    const int status = ::pclose(pipe.release());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tavrek::testing
