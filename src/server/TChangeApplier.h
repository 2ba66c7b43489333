#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/server/IAppServer.h"
#include "server/TAuditTrail.h"
#include "server/TClosedOrderGuard.h"
#include "server/TDocumentStateGuard.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// Writes the change logs of datasets to their provider tables inside the caller's
// transaction. Deletions go first, details before masters; then inserts and updates in
// packet order. Every field of the dataset that is a column of the table is written,
// Null included, so the row holds exactly what the client holds. A record is refused when its row no longer holds the values the client
// read (for an update: the values of the fields it changes; for a deletion: all of
// them), when it would change a row the server has posted (or mark one posted) or a closed
// purchase order that it does not re-open with the user's right, when it writes a column
// only the server maintains, changes a document in the goods check or breaks a rule its
// table keeps (TRowRules), or when the
// database rejects it. Returns the number refused, with errorText
// naming them; the caller rolls back when it is not 0.
class TChangeApplier {
public:
    explicit TChangeApplier(TServerContext& ctx) : ctx_(ctx), orders_(ctx), documents_(ctx), audit_(ctx) {}

    int Apply(const std::vector<TUpdatePacket>& packets, std::string& errorText);

private:
    struct TTarget;
    TTarget Target(const TUpdatePacket& packet) const;
    void Delete(const TTarget& target, const TDeltaRecord& record);
    // Inserts wait in a batch, which goes to the database in one call before the next
    // update and at the end of the packet.
    void Insert(const TTarget& target, const TDeltaRecord& record);
    void FlushInserts(const TTarget& target);
    void FindRefusedInsert(const TTarget& target);
    void Update(const TTarget& target, const TDeltaRecord& record);
    // Runs a change of record; refuses it when no row matched, or when the database rejects it.
    bool Run(const TTarget& target, const TDeltaRecord& record, const std::string& sql, const TVariantArray& values);
    void Refuse(const TTarget& target, const TDeltaRecord& record, const std::string& why);
    void Scoped(const TTarget& target, std::string& sql, TVariantArray& params) const;
    bool OfCompany(const TTarget& target, const std::vector<Variant>& values);
    bool Locked(const TTarget& target, const TDeltaRecord& record, bool inserted);
    // Refuses by the lock's message key, which the server's log records.
    void RefuseLocked(const TTarget& target, const TDeltaRecord& record);
    void RefuseBy(const TTarget& target, const TDeltaRecord& record, const char* key);
    // The refusal of a change of a closed purchase order or its lines (stored: the values the
    // client read, changed: its new ones for an update); null when the change may go.
    const char* ClosedOrder(const TTarget& target, const std::vector<Variant>& stored,
                            const std::vector<Variant>* changed);
    // The refusal of a change of a document in the goods check, or of deleting what posted
    // documents stand on; null when the change may go.
    void NoteOrderLineChange(const TTarget& target, const std::string& document);
    const char* DocumentState(const TTarget& target, const std::vector<Variant>& stored, bool deleting);
    // The first column only the server writes that the record sets (stored: the values the
    // client read, null for a new row); null when there is none.
    const std::string* ServerColumn(const TTarget& target, const std::vector<Variant>& values,
                                    const std::vector<Variant>* stored);
    // The Id of the document a record is of: its own for a header, its Master_Id for a line.
    std::string DocumentOf(const TTarget& target, const std::vector<Variant>& values) const;
    void RefuseServerColumn(const TTarget& target, const TDeltaRecord& record, const std::string& column);
    // The first of the fields that must name an account of the chart and do not; null when
    // every one does (or is empty).
    const Variant* UnknownAccount(const std::vector<Variant>& values, const std::vector<size_t>& fields);
    void RefuseUnknownAccount(const TTarget& target, const TDeltaRecord& record, const Variant& account);

    TServerContext& ctx_;
    TClosedOrderGuard orders_;
    // Orders whose lines changed what was ordered: their approval goes when the save does.
    std::set<std::string> changedOrders_;
    TDocumentStateGuard documents_;
    TAuditTrail audit_;
    int refused_ = 0;
    bool rejected_ = false;  // the database refused a statement: nothing more is applied
    std::set<std::string> ownHeaders_;  // headers found to be of the session's company
    std::string errors_;
    std::vector<TDeltaRecord> inserted_;
    std::vector<TVariantArray> insertValues_;
};

}  // namespace tavrek::server
