#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/data/Variant.h"
#include "server/TSchemaCatalog.h"

namespace tavrek::server {

// What a client may reach through the generic data calls. It reads every table, but only
// the rows of its own company; it changes only what a person edits: documents not yet
// posted with their lines and details, master data and setup. Messages, the error log,
// number series, posted documents and ledgers change only through the server's own
// procedures.
class TAccessPolicy {
public:
    // Rows of a table the client edits until the server posts them: the column that marks a
    // posted row (the client never sets it) and the message key of the refusal.
    struct TPostedLock {
        const char* Table;
        const char* Column;
        const char* RefusalKey;
    };

    // The message key refusing a value of an account column that is no posting account of
    // the company's chart of accounts.
    static constexpr const char* kUnknownAccountKey = "err_AccountNotInChart";
    // The message key refusing a client's value of a column only the server writes.
    static constexpr const char* kServerColumnKey = "err_FieldMaintainedByServer";

    // How a client may write a column: freely, never (it keeps the value the server gave it,
    // empty on a new row), only on a new row (the kind and company a document is made with),
    // or, for an order's status, as the order form closes and re-opens it.
    enum class TColumnWrite { cwClient, cwNever, cwAtInsert, cwOrderStatus };

    static bool MayChange(const TRelationInfo& table);
    // Whether a client may read the table at all: the users' password hashes stay on the server.
    static bool MayRead(const TRelationInfo& table);
    // Whether the column holds the code of an account of the company's chart (the accounts
    // of the purchases setup): a value is saved only when the chart has it.
    static bool NamesAccount(const TRelationInfo& table, std::string_view column);
    static TColumnWrite ColumnWrite(const TRelationInfo& table, std::string_view column);
    // The lock of a table whose posted rows the client may not change; null when it has none.
    static const TPostedLock* PostedLock(const TRelationInfo& table);
    // The condition keeping a query on relation to the company's rows, appending its value;
    // empty for a table all companies share.
    static std::string CompanyScope(const TRelationInfo& relation, const std::string& companyId,
                                    std::vector<Variant>& params);
};

}  // namespace tavrek::server
