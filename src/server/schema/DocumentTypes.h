#pragma once

namespace tavrek::server {

// DocumentType values the server writes into document headers. Where the package has a
// kind code for a form, the same number is used.
namespace DocumentType {
inline constexpr int PurchInvoice = 1;
inline constexpr int GlobalInvoice = 3;
inline constexpr int PostedPurchInvoice = 6;
inline constexpr int PostedGlobalInvoice = 8;
inline constexpr int PurchCrMemo = 11;
inline constexpr int PurchDebitMemo = 12;
inline constexpr int PostedPurchCrMemo = 13;
inline constexpr int GlobalCrMemo = 15;
inline constexpr int PostedGlobalCrMemo = 17;
inline constexpr int PurchOffer = 20;
inline constexpr int PurchOrder = 22;
inline constexpr int PurchOrderBuffer = 23;
inline constexpr int PostedPurchOrder = 24;
inline constexpr int PostedPurchReturnOrder = 25;
inline constexpr int PostedReceipt = 26;
inline constexpr int PostedPurchRejectOrder = 27;
inline constexpr int PurchAdvancePayment = 30;
inline constexpr int PurchGenericDoc = 31;
inline constexpr int PurchGenericCrMemoDoc = 32;
inline constexpr int PurchProtocol = 40;
inline constexpr int PurchCrMemoProtocol = 41;
// Goods shipped to a customer: item entries that leave stock.
inline constexpr int SaleShipment = 50;
// A customer's sale order, as a target an import's quantity is kept for.
inline constexpr int SaleOrder = 51;
}  // namespace DocumentType

}  // namespace tavrek::server
