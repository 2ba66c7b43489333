#include "server/db/TWalCheckpointer.h"

#include <memory>

#include <sqlite3.h>

namespace tavrek::server {
namespace {

using TConnection = std::unique_ptr<sqlite3, int (*)(sqlite3*)>;

TConnection Open(const std::string& file) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(file.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(handle);
        return {nullptr, sqlite3_close};
    }
    // A connection learns that the file keeps a log when it first reads it.
    sqlite3_exec(handle, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
    return {handle, sqlite3_close};
}

}  // namespace

TWalCheckpointer::TWalCheckpointer(std::string file) : file_(std::move(file)) {}

TWalCheckpointer::~TWalCheckpointer() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    done_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TWalCheckpointer::Request() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++requested_;
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_all();
}

void TWalCheckpointer::CopyAndWait() {
    Request();
    std::unique_lock<std::mutex> lock(mutex_);
    const int wanted = requested_;
    done_.wait(lock, [&] { return completed_ >= wanted || stopping_; });
}

int TWalCheckpointer::Completed() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return completed_;
}

void TWalCheckpointer::Run() {
    const TConnection connection = Open(file_);
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return requested_ > completed_ || stopping_; });
        if (stopping_) return;
        const int copy = requested_;
        lock.unlock();
        // Passive: the copy takes what no reader still needs and never waits for a writer.
        if (connection) sqlite3_wal_checkpoint_v2(connection.get(), "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        lock.lock();
        completed_ = copy;
        done_.notify_all();
    }
}

}  // namespace tavrek::server
