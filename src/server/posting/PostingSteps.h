#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/data/Variant.h"
#include "server/TServerContext.h"
#include "server/posting/TDocumentAmounts.h"
#include "server/posting/TLedgerEntries.h"
#include "server/posting/TPostingDocument.h"

namespace tavrek::server {

// The column list shared by two tables, with some columns taken from expressions instead.
struct TColumnCopy {
    std::string Target;
    std::string Source;
};

TColumnCopy CopyColumns(TServerContext& ctx, const char* from, const std::map<std::string, std::string>& overrides,
                        const std::vector<std::string>& skip = {});

// The ledger transaction of a posting, taken inside the posting's transaction: from the
// company's transaction series, or from the company's transaction counter when it has none.
// Throws when the series gives no number, so the posting is rolled back.
int64_t NextTransactionNo(TServerContext& ctx);

// The posting series of a document subtype, or the purchases setup's column when the subtype has none.
std::string PostingSeries(TServerContext& ctx, const Variant& subType, const char* setupColumn);

// A draft posted by the save that made it has no number of its own (draftNo empty): it takes
// the next of its subtype's series, else of the setup's column, here, kept beside the posted
// number, so that its series too is locked only from here to the commit. nullptr: a kind
// whose drafts are not numbered.
void NumberPostedDraft(TServerContext& ctx, const char* postedTable, const std::string& postedId,
                       const std::string& draftNo, const Variant& subType, const char* setupColumn,
                       const std::string& businessGroup);

// A refusal by message key: -1, with the key for the message the client shows.
int RefuseWith(TServerContext& ctx, const std::string& key);

bool AllowsNegativeStock(TServerContext& ctx);

// Whether the vendor's document of that number is posted already (not annulled, not global)
// among the posted documents of its own kind: numberColumn of table, globalColumn its flag.
bool VendorDocumentPosted(TServerContext& ctx, const char* table, const char* numberColumn, const char* globalColumn,
                          const Variant& vendor, const std::string& number);

// The posted document takes its number from the series and its transaction's number, as late
// in the posting as can be: both series stay locked until the commit. False on a refusal.
bool NumberPosted(TServerContext& ctx, const char* postedTable, const std::string& postedId, const std::string& series,
                  const std::string& businessGroup, std::string& number);

// The goods of the issues (negative quantities) leave from the oldest receipts of their item
// and store that still hold some, each item and store read once. False when some item has not
// enough in stock and the company does not allow negative stock.
bool IssueFromOpenReceipts(TServerContext& ctx, const std::vector<TItemEntry>& issues);

// Where an open document goes when it is posted.
struct TPostedCopy {
    const char* FromHeader;
    const char* FromLines;
    const char* ToHeader;
    const char* ToLines;
    int DocumentType;  // of the posted document
    // Header columns taken from expressions besides the posted keys, and columns only the
    // posted header has with their values.
    std::map<std::string, std::string> HeaderOverrides;
    std::string ExtraColumns, ExtraValues;
    // Header columns only the open document has, and which of its lines are posted (all when empty).
    std::vector<std::string> OpenOnlyColumns = {};
    std::string LineCondition = {};
    // Line columns taken from expressions (over the open line; ?1 is the posted Id).
    std::map<std::string, std::string> LineOverrides = {};
};

// Copies the open document into the posted tables under its number and transaction (none
// when 0), the lines with their local amounts at the document's rate. Returns the posted Id.
std::string CopyToPosted(TServerContext& ctx, const TPostedCopy& copy, const std::string& id, const std::string& number,
                         int64_t transaction, int decimals);

// The posted header and lines take the amounts of the posting: the document as its
// recalculation computes it, what is left open with the vendor, and the local amount of the
// line that took the document's rounding difference.
void WritePostedAmounts(TServerContext& ctx, const TPostedCopy& copy, const TPostingDocument& doc,
                        const TDocumentAmounts& amounts, const std::vector<TVendorEntry>& vendor);

}  // namespace tavrek::server
