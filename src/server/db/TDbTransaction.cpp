#include "server/db/TDbTransaction.h"

namespace tavrek::server {

TDbTransaction::TDbTransaction(TDbSession& db, TTransactionKind kind) : db_(db) {
    db_.Exec(kind == TTransactionKind::tkWrite ? db_.Dialect().BeginWrite() : db_.Dialect().BeginRead());
    db_.SetInTransaction(true);
}

TDbTransaction::~TDbTransaction() {
    if (!open_) return;
    try {
        db_.Exec("ROLLBACK");
    } catch (...) {
        // A lost connection has rolled back by itself.
    }
    db_.SetInTransaction(false);
}

void TDbTransaction::Commit() {
    db_.Exec("COMMIT");
    open_ = false;
    db_.SetInTransaction(false);
}

}  // namespace tavrek::server
