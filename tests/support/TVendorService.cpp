#include "support/TVendorService.h"

#include <chrono>

namespace tavrek::testing {

TVendorService::TVendorService() {
    server_.set_read_timeout(5, 0);
    server_.set_payload_max_length(1 << 20);
    server_.Post("/orders", [this](const httplib::Request& request, httplib::Response& response) {
        Record(request);
        response.status = OrderStatus;
        response.set_content(OrderAnswer, "text/plain; charset=utf-8");
    });
    server_.Get("/documents", [this](const httplib::Request& request, httplib::Response& response) {
        Record(request);
        response.set_content("D-1\nD 2\n", "text/plain");
    });
    server_.Get(R"(/documents/(.+))", [this](const httplib::Request& request, httplib::Response& response) {
        Record(request);
        response.status = 404;
        response.set_content("Няма документ " + request.matches[1].str(), "text/plain; charset=utf-8");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // Stopping a server that has not begun to listen would leave it listening for ever.
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TVendorService::~TVendorService() {
    server_.stop();
    thread_.join();
}

std::vector<httplib::Request> TVendorService::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

void TVendorService::Record(const httplib::Request& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
}

}  // namespace tavrek::testing
