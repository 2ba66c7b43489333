#include "server/posting/TPostingAccounts.h"

namespace tavrek::server {
namespace {

template <typename TMap>
typename TMap::mapped_type Find(const TMap& map, const typename TMap::key_type& key) {
    const auto it = map.find(key);
    return it == map.end() ? typename TMap::mapped_type{} : it->second;
}

}  // namespace

void TPostingAccounts::SetPayables(const std::string& cntrPostingGroup, const std::string& account) {
    payables_[cntrPostingGroup] = account;
}

void TPostingAccounts::SetPurchase(const std::string& genBusGroup, const std::string& genProdGroup,
                                   const std::string& account) {
    purchase_[{genBusGroup, genProdGroup}] = account;
}

void TPostingAccounts::SetInventory(const std::string& store, const std::string& genProdGroup,
                                    const std::string& account) {
    inventory_[{store, genProdGroup}] = account;
}

void TPostingAccounts::SetVAT(const std::string& vatBusGroup, const std::string& vatProdGroup,
                              const TVATAccounts& accounts) {
    vat_[{vatBusGroup, vatProdGroup}] = accounts;
}

std::string TPostingAccounts::Payables(const std::string& cntrPostingGroup) const {
    return Find(payables_, cntrPostingGroup);
}

std::string TPostingAccounts::Purchase(const std::string& genBusGroup, const std::string& genProdGroup) const {
    return Find(purchase_, {genBusGroup, genProdGroup});
}

std::string TPostingAccounts::Inventory(const std::string& store, const std::string& genProdGroup) const {
    const std::string own = Find(inventory_, {store, genProdGroup});
    return own.empty() ? Find(inventory_, {std::string(), genProdGroup}) : own;
}

TPostingAccounts::TVATAccounts TPostingAccounts::VAT(const std::string& vatBusGroup,
                                                     const std::string& vatProdGroup) const {
    return Find(vat_, {vatBusGroup, vatProdGroup});
}

}  // namespace tavrek::server
