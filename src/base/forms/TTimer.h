#pragma once

#include <functional>
#include <string>

namespace tavrek {

// A user-interface timer of a form. The host fires an enabled timer after Interval
// milliseconds on the user-interface thread; a headless host fires it when told to.
class TTimer {
public:
    explicit TTimer(std::string name, int interval = 500) : Name(std::move(name)), Interval(interval) {}
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    std::string Name;
    int Interval;
    bool Enabled = false;
    std::function<void()> OnTimer;

    // Runs OnTimer when the timer is enabled; the handler usually disables it.
    void Fire();
};

}  // namespace tavrek
