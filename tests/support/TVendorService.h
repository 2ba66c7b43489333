#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrek::testing {

// A vendor's web service on the loopback address for the length of a test: it answers
// what the test set up, records what it was sent, and stops when the test ends.
class TVendorService {
public:
    TVendorService();
    ~TVendorService();
    TVendorService(const TVendorService&) = delete;
    TVendorService& operator=(const TVendorService&) = delete;
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // An address where no service answers: a privileged port nothing on the loopback serves.
    static constexpr const char* kNobodyListens = "http://127.0.0.1:1";
    std::vector<httplib::Request> Requests();

    int OrderStatus = 200;
    std::string OrderAnswer = "ORD-0042";

private:
    void Record(const httplib::Request& request);

    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<httplib::Request> requests_;
};

}  // namespace tavrek::testing
