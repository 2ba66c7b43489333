#pragma once

#include "server/db/TDbSession.h"

namespace tavrek::server {

enum class TTransactionKind { tkRead, tkWrite };

// A transaction that rolls back unless committed: a failure or an early return leaves the
// database as before. A write transaction takes the engine's write lock at its start, so
// two server methods that change the same rows run one after the other.
class TDbTransaction {
public:
    TDbTransaction(TDbSession& db, TTransactionKind kind);
    ~TDbTransaction();
    TDbTransaction(const TDbTransaction&) = delete;
    TDbTransaction& operator=(const TDbTransaction&) = delete;

    void Commit();

private:
    TDbSession& db_;
    bool open_ = true;
};

}  // namespace tavrek::server
