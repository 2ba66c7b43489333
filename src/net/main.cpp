// tavrek-server: serves one company database to desktop clients, scenario runs and the
// admin tool over gRPC, until SIGTERM, which lets the calls in flight finish.
#include <grpcpp/grpcpp.h>
#include <grpcpp/security/server_credentials.h>

#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>

#include "net/TAppService.h"
#include "net/TServerOptions.h"

namespace {

using namespace tavrek::net;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("Файлът " + path + " не може да бъде прочетен");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::shared_ptr<grpc::ServerCredentials> CredentialsOf(const TServerOptions& options) {
    if (!options.Service.Tls) return grpc::InsecureServerCredentials();
    grpc::SslServerCredentialsOptions tls;
    tls.pem_key_cert_pairs.push_back({ReadFile(options.TlsKey), ReadFile(options.TlsCert)});
    return grpc::SslServerCredentials(tls);
}

int Serve(const TServerOptions& options) {
    // Every thread started from here on leaves the stop signals to the wait below.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);

    TAppService service(options.Service, std::cout);
    grpc::ServerBuilder builder;
    int port = 0;
    builder.AddListeningPort(options.Listen.ToString(), CredentialsOf(options), &port);
    builder.RegisterService(&service);
    builder.SetMaxReceiveMessageSize(-1);
    builder.SetMaxSendMessageSize(-1);
    // Threads beyond the calls it serves at once only wait to be told the server is busy.
    grpc::ResourceQuota quota("tavrek-server");
    quota.SetMaxThreads(options.Service.MaxCalls * 2 + 8);
    builder.SetResourceQuota(quota);
    std::unique_ptr<grpc::Server> server = builder.BuildAndStart();
    if (!server || port == 0) {
        std::cerr << "Грешка: не може да се слуша на " << options.Listen.ToString() << "\n";
        return 1;
    }
    tavrek::net::TNetAddress bound = options.Listen;
    bound.Port = port;
    std::cout << "listening on " << bound.ToString() << std::endl;
    int signal = 0;
    sigwait(&stops, &signal);
    std::cout << "stopping: finishing the calls in flight" << std::endl;
    server->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(30));
    service.Stop();
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
