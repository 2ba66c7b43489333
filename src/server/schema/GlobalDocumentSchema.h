#pragma once

#include <string>

namespace tavrek::server {

// A global document keeps the transaction number its first save drew, for its posting.
std::string GlobalTransactionNoSql();
// The source lines posted global documents took: one row per line, so that the database
// itself refuses a second global document of the same line.
std::string GlobalSourceLinesSql();
// The messages of the global documents' postings, deletions and annulments.
std::string GlobalDocumentMessagesSql();

}  // namespace tavrek::server
