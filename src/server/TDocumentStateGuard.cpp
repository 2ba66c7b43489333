#include "server/TDocumentStateGuard.h"

#include "server/SqlValue.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

constexpr int64_t kInGoodsCheck = 1;

}  // namespace

const char* TDocumentStateGuard::Refusal(const std::string& headerId, bool deleting, const std::string& lineId) {
    if (State(headerId).CheckStatus == kInGoodsCheck) return "err_DocumentInGoodsCheck";
    if (deleting && IsOrder(headerId) && HasDoneQuantities(headerId, lineId)) return "err_DocumentHasPostedFollowUps";
    return nullptr;
}

bool TDocumentStateGuard::IsOrder(const std::string& headerId) {
    return State(headerId).DocumentType == DocumentType::PurchOrder;
}

const TDocumentStateGuard::TState& TDocumentStateGuard::State(const std::string& headerId) {
    auto [known, added] = states_.emplace(headerId, TState{});
    if (!added) return known->second;
    const TRequestResult row = SelectRows(
        ctx_.Db, "SELECT DocumentType, COALESCE(CheckStatus, 0) FROM D_PurchHeader WHERE Id = ?", {headerId});
    if (!row.Empty()) known->second = {row.Value(0, 0).AsInteger(), row.Value(0, 1).AsInteger()};
    return known->second;
}

bool TDocumentStateGuard::HasDoneQuantities(const std::string& headerId, const std::string& lineId) {
    return !SelectRows(ctx_.Db,
                       "SELECT 1 FROM D_PurchaseLine WHERE Master_Id = ? AND (? = '' OR Id = ?) AND "
                       "(COALESCE(ReceivedQty, 0) <> 0 OR COALESCE(InvoicedQty, 0) <> 0 OR "
                       "COALESCE(ReturnedQty, 0) <> 0 OR COALESCE(RejectedQty, 0) <> 0) LIMIT 1",
                       {headerId, lineId, lineId})
                .Empty();
}

}  // namespace tavrek::server
