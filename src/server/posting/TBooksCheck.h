#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/server/TRequestResult.h"

namespace tavrek::server {

// Proves the books of every company of a database: each transaction balances, the vendor
// entries still open equal the payables accounts (vendor by vendor), and the item entries
// equal the inventory accounts. Names every difference, one text each; none when whole.
class TBooksCheck {
public:
    using TSelect = std::function<TRequestResult(const std::string& sql, const TVariantArray& values)>;

    explicit TBooksCheck(TSelect select) : select_(std::move(select)) {}

    std::vector<std::string> Differences() const;

private:
    void CheckTransactions(const std::string& company, std::vector<std::string>& out) const;
    void CheckPayables(const std::string& company, std::vector<std::string>& out) const;
    void CheckInventory(const std::string& company, std::vector<std::string>& out) const;

    TSelect select_;
};

}  // namespace tavrek::server
