#pragma once

#include <string>
#include <vector>

namespace tavrek {

struct TErrorLogEntry {
    std::string Message;
    std::string Operation;
};

class IErrorLog {
public:
    virtual ~IErrorLog() = default;
    virtual void Write(const TErrorLogEntry& entry) = 0;
};

// Keeps the entries of the session, forwards each to the server's log when one is set,
// and echoes to stderr in debug builds.
class TErrorLog : public IErrorLog {
public:
    void Write(const TErrorLogEntry& entry) override;
    const std::vector<TErrorLogEntry>& Entries() const { return entries_; }
    void Clear() { entries_.clear(); }

private:
    std::vector<TErrorLogEntry> entries_;
};

}  // namespace tavrek
