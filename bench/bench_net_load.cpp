// Twenty desktops posting invoices at once through one tavrek-server on a PostgreSQL company:
// the invoices posted a second by all of them together, from the first desktop's start of
// posting to the last one's end (sign-in and start-up left out).
#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "support/TChildProcess.h"

namespace tavrek::server {
namespace {

constexpr int kDesktops = 20;
constexpr int kInvoicesEach = 50;

struct TPostingSpan {
    int64_t From = std::numeric_limits<int64_t>::max(), To = 0;
    void Add(const std::string& output) {
        const size_t at = output.find("invoices from ");
        if (at == std::string::npos) throw std::runtime_error("a desktop did not post: " + output);
        const int64_t from = std::stoll(output.substr(at + 14));
        const int64_t to = std::stoll(output.substr(output.find(" to ", at) + 4));
        From = std::min(From, from);
        To = std::max(To, to);
    }
    double Seconds() const { return static_cast<double>(To - From) / 1000.0; }
};

TPostingSpan PostFromTwentyDesktops(const std::string& address, const std::filesystem::path& folder, int round) {
    std::vector<std::unique_ptr<testing::TChildProcess>> desktops;
    for (int d = 0; d < kDesktops; ++d)
        desktops.push_back(std::make_unique<testing::TChildProcess>(
            std::vector<std::string>{TAVREK_NETLOAD_PATH, "--server", address, "--user", "admin", "--password",
                                     "demo-admin", "--client", "R" + std::to_string(round) + "D" + std::to_string(d),
                                     "--invoices", std::to_string(kInvoicesEach), "--buffers", "0"},
            folder / ("desktop" + std::to_string(d) + ".log")));
    TPostingSpan span;
    for (auto& desktop : desktops) {
        if (desktop->Wait() != 0) throw std::runtime_error("a desktop failed: " + desktop->Output());
        span.Add(desktop->Output());
    }
    return span;
}

void BM_TwentyDesktopsPostInvoices(benchmark::State& state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tavrek-bench-net-load-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string company = BenchDemoCompany(1, folder, "bench_net_load");
    testing::TChildProcess server({TAVREK_SERVER_PATH, "--listen", "127.0.0.1:0", "--max-calls", "40",
                                   "--scenario-checks", company},
                                  folder / "server.log");
    const std::string address = server.ListeningAddress();
    if (address.empty()) throw std::runtime_error("tavrek-server did not start: " + server.Output());
    int round = 0;
    double seconds = 0;
    for (auto _ : state) {
        const TPostingSpan span = PostFromTwentyDesktops(address, folder, ++round);
        state.SetIterationTime(span.Seconds());
        seconds += span.Seconds();
    }
    state.counters["invoices_per_s"] = kDesktops * kInvoicesEach * round / seconds;
    state.SetLabel("postgresql network");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_TwentyDesktopsPostInvoices)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace
}  // namespace tavrek::server
