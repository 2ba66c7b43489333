// tavrek-server: serves one company database to desktop clients, scenario runs and the
// admin tool over gRPC, until SIGTERM, which lets the calls in flight finish.
#include <csignal>
#include <iostream>

#include "net/TServerOptions.h"
#include "net/TServiceHost.h"

namespace {

using namespace tavrek::net;

int Serve(const TServerOptions& options) {
    // Every thread started from here on leaves the stop signals to the wait below.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    TServiceHost host(options.Service, options.Listen, std::cout, options.TlsCert, options.TlsKey);
    std::cout << "listening on " << host.Bound().ToString() << std::endl;
    int signal = 0;
    sigwait(&stops, &signal);
    std::cout << "stopping: finishing the calls in flight" << std::endl;
    host.Stop();
    std::cout << "stopped" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const TServerOptions options = ParseServerOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.Error.empty()) {
        std::cerr << options.Error << "\n"
                  << "Употреба: tavrek-server --listen ХОСТ:ПОРТ [--tls-cert ФАЙЛ --tls-key ФАЙЛ] [--max-calls N]\n"
                     "                      [--session-idle СЕКУНДИ] [--scenario-checks] ФИРМА\n"
                     "  ФИРМА е файл на фирма или postgresql:// адрес; без TLS само на адрес на същата машина\n";
        return 2;
    }
    try {
        return Serve(options);
    } catch (const std::exception& e) {
        std::cerr << "Грешка: " << e.what() << "\n";
    }
    return 1;
}
