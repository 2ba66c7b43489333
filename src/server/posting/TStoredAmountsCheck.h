#pragma once

#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// Before a document is booked the server computes its lines again, with the editors' own line
// computations, from what each line holds: price, quantity, discounts, VAT percent and VAT
// base. A line whose stored amounts differ, or a header whose value is not its lines' sum,
// refuses the posting with "err_AmountsDifferFromServer" naming the line (0: the header), so
// that what a client computed for itself is never booked.
class TStoredAmountsCheck {
public:
    static constexpr const char* kRefusalKey = "err_AmountsDifferFromServer";

    explicit TStoredAmountsCheck(TServerContext& ctx);

    // The open document's header and lines (those matching lineCondition when it is given; the
    // header is then not compared). False, with the refusal set, when some amount differs.
    bool Agrees(const char* headerTable, const char* lineTable, const std::string& id,
                const std::string& lineCondition = {});

private:
    bool Refuse(int64_t lineNo);

    TServerContext& ctx_;
    int amountDecimals_ = 2, unitPriceDecimals_ = 2;
};

}  // namespace tavrek::server
