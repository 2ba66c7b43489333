#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// Open purchase documents that the client may no longer change: one sent to the goods check
// and not checked yet takes no change of its header or lines, and nothing of an order that
// was received, invoiced, returned or rejected in part is deleted, since posted documents
// stand on it.
class TDocumentStateGuard {
public:
    explicit TDocumentStateGuard(TServerContext& ctx) : ctx_(ctx) {}

    // The refusal key of a change of the document headerId (of D_PurchHeader) or of one of
    // its lines; lineId names the line deleted, empty when the header is deleted or the change
    // is no deletion. Null when the change may go.
    const char* Refusal(const std::string& headerId, bool deleting, const std::string& lineId = {});
    // Whether the stored document is a purchase order, whose form closes and re-opens it.
    bool IsOrder(const std::string& headerId);

private:
    struct TState {
        int64_t DocumentType = 0;
        int64_t CheckStatus = 0;
    };
    const TState& State(const std::string& headerId);
    bool HasDoneQuantities(const std::string& headerId, const std::string& lineId);

    TServerContext& ctx_;
    std::map<std::string, TState> states_;
};

}  // namespace tavrek::server
