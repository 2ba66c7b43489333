#include "server/TAuditTrail.h"

#include "base/data/TDateTime.h"

namespace tavrek::server {
namespace {

constexpr const char* kColumns =
    "Comp_Id, C_Datetime, User_Id, Action, TableName, Document_Id, Record_Id, FieldName, OldValue, NewValue";

Variant TextOf(const Variant& value) { return value.IsNull() ? Variant() : Variant(value.AsString()); }

}  // namespace

void TAuditTrail::Changed(const std::string& table, const std::string& documentId, const std::string& recordId,
                          const std::string& field, const Variant& oldValue, const Variant& newValue) {
    Note(kChanged, table, documentId, recordId, field, oldValue, newValue);
}

void TAuditTrail::Deleted(const std::string& table, const std::string& documentId, const std::string& recordId) {
    Note(kDeleted, table, documentId, recordId, {}, {}, {});
}

void TAuditTrail::Added(const std::string& table, const std::string& documentId) { ++added_[{table, documentId}]; }

void TAuditTrail::Flush() {
    for (const auto& [key, count] : added_) Note(kAdded, key.first, key.second, {}, {}, {}, count);
    added_.clear();
    if (rows_.empty()) return;
    ctx_.Db.InsertRows("S_AuditTrail", kColumns, rows_);
    rows_.clear();
}

int TAuditTrail::Outcome(TServerContext& ctx, const char* action, const std::string& documentId, int result) {
    if (result < 0 || !ctx.RefusalKey.empty()) return result;
    TAuditTrail trail(ctx);
    trail.Note(action, {}, documentId, {}, {}, {}, {});
    trail.Flush();
    return result;
}

void TAuditTrail::Note(const char* action, const std::string& table, const std::string& documentId,
                       const std::string& recordId, const std::string& field, const Variant& oldValue,
                       const Variant& newValue) {
    rows_.push_back({ctx_.Session.CompanyId, TDateTime::Now(), ctx_.Session.UserId, std::string(action), table,
                     documentId, recordId, field, TextOf(oldValue), TextOf(newValue)});
}

}  // namespace tavrek::server
