#pragma once

#include <string>

namespace tavrek {

class TfBaseBrowseCardDocument;

namespace uPurchListColumns {

// The columns, search fields and date range of a list of purchase documents read from the
// header table (or its posted counterpart) named table.
void DescribeDocumentList(TfBaseBrowseCardDocument& list, const std::string& table);

}  // namespace uPurchListColumns
}  // namespace tavrek
