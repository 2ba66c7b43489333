#pragma once

#include <map>
#include <string>
#include <utility>

namespace tavrek::server {

// The accounts of the posting setups a purchase posting reads: vendor posting groups,
// general posting setup, inventory posting setup and VAT posting setup. An empty answer
// means the setup has no row for the key.
class TPostingAccounts {
public:
    struct TVATAccounts {
        std::string Purchase;  // VAT deducted on purchases
        std::string Charged;   // VAT the buyer charges itself (reverse charge) or owes customs (import)
    };

    void SetPayables(const std::string& cntrPostingGroup, const std::string& account);
    void SetPurchase(const std::string& genBusGroup, const std::string& genProdGroup, const std::string& account);
    // An empty store stands for every store without a row of its own.
    void SetInventory(const std::string& store, const std::string& genProdGroup, const std::string& account);
    void SetVAT(const std::string& vatBusGroup, const std::string& vatProdGroup, const TVATAccounts& accounts);

    std::string Payables(const std::string& cntrPostingGroup) const;
    std::string Purchase(const std::string& genBusGroup, const std::string& genProdGroup) const;
    std::string Inventory(const std::string& store, const std::string& genProdGroup) const;
    TVATAccounts VAT(const std::string& vatBusGroup, const std::string& vatProdGroup) const;

    std::string DeferredCosts;  // costs of later periods, released period by period
    std::string DirectPayment;  // cash paid at posting
    std::string ProtocolTransit;  // VAT that protocols charge ourselves, until it is declared
    std::string ReceiptsNotInvoiced;  // goods received on an order whose invoice has not come yet

private:
    using TKey = std::pair<std::string, std::string>;
    std::map<std::string, std::string> payables_;
    std::map<TKey, std::string> purchase_, inventory_;
    std::map<TKey, TVATAccounts> vat_;
};

}  // namespace tavrek::server
