#include "server/db/TRetryPolicy.h"

#include <chrono>
#include <random>
#include <thread>

namespace tavrek::server {

// Random waits keep two clients that met from meeting again in step.
void TRetryPolicy::BackOff(int tried) {
    thread_local std::minstd_rand random{std::random_device{}()};
    std::uniform_int_distribution<int> milliseconds(5, 20 * tried);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds(random)));
}

}  // namespace tavrek::server
