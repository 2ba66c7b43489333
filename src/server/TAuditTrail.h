#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/data/Variant.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// Who did what to which document and when: every field a user changes (old and new value),
// the records added and deleted, every posting, annulment and deletion of a document. Rows
// go into S_AuditTrail in the transaction of the call, so a call rolled back leaves none;
// no client writes the table.
class TAuditTrail {
public:
    static constexpr const char* kChanged = "Промяна";
    static constexpr const char* kAdded = "Добавяне";
    static constexpr const char* kDeleted = "Изтриване";
    static constexpr const char* kPosted = "Осчетоводяване";
    static constexpr const char* kAnnulled = "Анулиране";

    explicit TAuditTrail(TServerContext& ctx) : ctx_(ctx) {}

    void Changed(const std::string& table, const std::string& documentId, const std::string& recordId,
                 const std::string& field, const Variant& oldValue, const Variant& newValue);
    void Deleted(const std::string& table, const std::string& documentId, const std::string& recordId);
    // Added records are counted per document: the rows hold their values already.
    void Added(const std::string& table, const std::string& documentId);
    // Writes what was noted since the last call, in one statement.
    void Flush();

    // Notes action on the document when result is a success (0 or more, no refusal), and
    // hands result back.
    static int Outcome(TServerContext& ctx, const char* action, const std::string& documentId, int result);

private:
    void Note(const char* action, const std::string& table, const std::string& documentId, const std::string& recordId,
              const std::string& field, const Variant& oldValue, const Variant& newValue);

    TServerContext& ctx_;
    std::vector<TVariantArray> rows_;
    std::map<std::pair<std::string, std::string>, int64_t> added_;  // by table and document
};

}  // namespace tavrek::server
