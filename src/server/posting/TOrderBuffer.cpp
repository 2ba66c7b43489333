#include "server/posting/TOrderBuffer.h"

#include <map>

namespace tavrek::server {
namespace {

constexpr double kTolerance = 1e-9;

const char* OverKey(TOrderOperation operation) {
    switch (operation) {
        case TOrderOperation::Return: return "err_PostPurchOrderOverReturn";
        case TOrderOperation::Reject: return "err_PostPurchOrderOverReject";
        case TOrderOperation::Invoice: return "err_PostPurchOrderOverInvoice";
        default: return "err_PostPurchOrderOverReceive";
    }
}

// Free item lines may only be rejected or received with their invoice.
bool FreeLineAllowed(TOrderOperation operation, const TBufferLine& line) {
    if (!IsItemType(line.Type)) return true;
    return operation == TOrderOperation::Reject || operation == TOrderOperation::ReceiveAndInvoice;
}

const char* LineRefusal(TOrderOperation operation, const TBufferLine& line) {
    if (line.Quantity < -kTolerance) return "err_PostPurchOrderNegativeQty";
    const bool goodsOnly = operation == TOrderOperation::Receive || operation == TOrderOperation::Return;
    if (goodsOnly && !IsItemType(line.Type) && line.Quantity > kTolerance) return "err_PostPurchOrderNotItemLine";
    if (line.OrderLineId.empty()) return FreeLineAllowed(operation, line) ? nullptr : "err_CanNotPostPurchFreeLines";
    if (!line.OrderLineFound) return "err_PostPurchOrderLineNotFound";
    return line.SameVendor ? nullptr : "err_PostPurchOrderOtherVendor";
}

}  // namespace

bool IsItemType(int type) { return type == 1 || type == 5; }

bool MovesGoods(TOrderOperation operation) {
    return operation == TOrderOperation::Receive || operation == TOrderOperation::Return ||
           operation == TOrderOperation::ReceiveAndInvoice;
}

bool Invoices(TOrderOperation operation) {
    return operation == TOrderOperation::Invoice || operation == TOrderOperation::ReceiveAndInvoice;
}

double OpenQuantity(TOrderOperation operation, const TOrderLineQuantities& l) {
    const double kept = l.Received - l.Returned;
    switch (operation) {
        case TOrderOperation::Return: return IsItemType(l.Type) ? kept - l.Invoiced : 0.0;
        case TOrderOperation::Invoice:
            return IsItemType(l.Type) ? kept - l.Invoiced : l.Quantity - l.Invoiced - l.Rejected;
        default: return l.Quantity - kept - l.Rejected;
    }
}

std::string BufferRefusal(TOrderOperation operation, const std::vector<TBufferLine>& lines) {
    std::map<std::string, double> taken;
    bool anything = false;
    for (const TBufferLine& line : lines) {
        if (const char* refusal = LineRefusal(operation, line)) return refusal;
        anything = anything || line.Quantity > kTolerance;
        if (!line.OrderLineId.empty()) taken[line.OrderLineId] += line.Quantity;
    }
    if (!anything) return "err_PostPurchNoLines";
    for (const TBufferLine& line : lines) {
        if (line.OrderLineId.empty()) continue;
        if (taken[line.OrderLineId] > OpenQuantity(operation, line.Order) + kTolerance) return OverKey(operation);
    }
    return {};
}

}  // namespace tavrek::server
