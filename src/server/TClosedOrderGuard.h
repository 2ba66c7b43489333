#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// A purchase order is open while its DocStatus is 0. A closed one (closed by its user, or
// completed by its buffers) takes no change of its header or lines, except being opened
// again by a user whom the order form grants the right to edit document properties.
class TClosedOrderGuard {
public:
    static constexpr int kOrderFormNumber = 10201;

    explicit TClosedOrderGuard(TServerContext& ctx) : ctx_(ctx) {}

    // The refusal key for a change of the document headerId (of D_PurchHeader) or of one of
    // its lines; reopening is the header's DocStatus set to 0. Null when the change may go.
    // The status is the one the order had before this guard's first change of it, so an
    // order closed with its last line changes in one save, and one re-opened takes changes.
    const char* Refusal(const std::string& headerId, bool reopening);
    // Whether the session's user has the form's right to edit document properties.
    static bool MayEditProperties(TServerContext& ctx, int formNumber);

private:
    TServerContext& ctx_;
    std::map<std::string, int64_t> status_;
};

}  // namespace tavrek::server
