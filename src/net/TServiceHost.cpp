#include "net/TServiceHost.h"

#include <grpcpp/grpcpp.h>
#include <grpcpp/security/server_credentials.h>

#include <fstream>
#include <sstream>

#include "net/TAppService.h"

namespace tavrek::net {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("Файлът " + path + " не може да бъде прочетен");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::shared_ptr<grpc::ServerCredentials> Credentials(const std::string& cert, const std::string& key) {
    if (cert.empty()) return grpc::InsecureServerCredentials();
    grpc::SslServerCredentialsOptions tls;
    tls.pem_key_cert_pairs.push_back({ReadFile(key), ReadFile(cert)});
    return grpc::SslServerCredentials(tls);
}

}  // namespace

struct TServiceHost::TRunning {
    TAppService Service;
    std::unique_ptr<grpc::Server> Server;
    bool Stopped = false;

    TRunning(const TServiceOptions& options, std::ostream& log) : Service(options, log) {}
};

TServiceHost::TServiceHost(TServiceOptions options, const TNetAddress& listen, std::ostream& log,
                           const std::string& tlsCert, const std::string& tlsKey) {
    options.Tls = !tlsCert.empty();
    const int maxCalls = options.MaxCalls;
    const std::shared_ptr<grpc::ServerCredentials> credentials = Credentials(tlsCert, tlsKey);
    running_ = std::make_unique<TRunning>(options, log);
    grpc::ServerBuilder builder;
    int port = 0;
    builder.AddListeningPort(listen.ToString(), credentials, &port);
    builder.RegisterService(&running_->Service);
    builder.SetMaxReceiveMessageSize(-1);
    builder.SetMaxSendMessageSize(-1);
    // Threads beyond the calls served at once only wait to be told the server is busy.
    grpc::ResourceQuota quota("tavrek-server");
    quota.SetMaxThreads(maxCalls * 2 + 8);
    builder.SetResourceQuota(quota);
    running_->Server = builder.BuildAndStart();
    if (!running_->Server || port == 0) {
        running_->Service.Stop();
        throw std::runtime_error("Адресът " + listen.ToString() + " не може да бъде зает");
    }
    bound_ = listen;
    bound_.Port = port;
}

TServiceHost::~TServiceHost() { Stop(); }

void TServiceHost::Stop(std::chrono::seconds grace) {
    if (running_->Stopped) return;
    running_->Stopped = true;
    running_->Server->Shutdown(std::chrono::system_clock::now() + grace);
    running_->Service.Stop();
}

}  // namespace tavrek::net
