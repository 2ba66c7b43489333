#pragma once

namespace tavrek {

// Shows the hourglass through the form host for its lifetime; does nothing without a host.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool shown_;
};

}  // namespace tavrek
