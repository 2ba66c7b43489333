#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace tavrek::server {

// Copies a SQLite company's write-ahead log back into its file on a thread of its own, so
// that the commit that fills the log does not wait for the copy. The thread and its own
// connection start with the first request and end with the object.
class TWalCheckpointer {
public:
    explicit TWalCheckpointer(std::string file);
    ~TWalCheckpointer();
    TWalCheckpointer(const TWalCheckpointer&) = delete;
    TWalCheckpointer& operator=(const TWalCheckpointer&) = delete;

    // The log has grown by another commit; requests while a copy runs make one more copy.
    void Request();
    // Requests a copy and waits until it has been made.
    void CopyAndWait();
    // Copies made so far.
    int Completed();

private:
    void Run();

    const std::string file_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::thread thread_;
    int requested_ = 0;  // copies asked for; a copy started after the nth request completes the nth
    bool stopping_ = false;
    int completed_ = 0;
};

}  // namespace tavrek::server
