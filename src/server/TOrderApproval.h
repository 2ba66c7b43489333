#pragma once

#include <optional>
#include <set>
#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// A purchase order whose lines are worth more than the purchases setup's approval amount (in
// local currency, without VAT) is not received or invoiced until a user with the right to
// approve on the order form approves it. Changing its lines takes the approval back.
class TOrderApproval {
public:
    static constexpr int kOrderFormNumber = 10201;
    static constexpr const char* kNotApprovedKey = "err_PurchOrderNotApproved";

    explicit TOrderApproval(TServerContext& ctx) : ctx_(ctx) {}

    // Whether the order waits for approval.
    bool Waits(const std::string& orderId);
    // The refusal of carrying out the orders of a buffer's lines, with the first waiting
    // order's number as the refusal's argument; null when none waits.
    const char* BufferRefusal(const std::string& bufferId);
    // 0 when the session's user approved the order; otherwise the context holds the refusal.
    int Approve(const std::string& orderId);
    void Withdraw(const std::set<std::string>& orderIds);
    // Whether a change of the line column takes an approval back: what is ordered, how much
    // and at what price.
    static bool ChangesWhatIsApproved(const std::string& lineColumn);

private:
    // The number of the first order among the candidates (a subquery of ids) that waits.
    std::optional<std::string> FirstWaiting(const std::string& candidates, const std::string& argument);
    int Refuse(const char* key);

    TServerContext& ctx_;
};

}  // namespace tavrek::server
