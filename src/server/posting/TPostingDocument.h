#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/data/TDateTime.h"

namespace tavrek::server {

// Line kinds of a purchase document.
enum TPostingLineType { kItemLine = 1, kAccountLine = 2, kItemChargeLine = 3, kFixedAssetLine = 4, kItemLine2 = 5 };

// VAT calculation types of the VAT posting setup: who is owed the VAT of a purchase.
enum class TVATCalculation {
    Normal = 0,         // the vendor is owed the VAT, which is deducted
    Exempt = 1,         // no VAT
    ReverseCharge = 2,  // acquisition from another EU country: the buyer charges and deducts the VAT
    Import = 3,         // the VAT is paid at customs, not to the vendor
    ZeroRated = 4,      // VAT at 0 %
};

// VAT ledger treatment of a line whose VAT is not deducted and goes into the cost.
inline constexpr int kVATLedgerNotDeducted = 3;

// A line of the document being posted, as the document holds it.
struct TPostingLine {
    std::string Id;
    int LineNo = 0;
    int Type = kItemLine;
    std::string Code;  // item, account, item charge or fixed asset, by Type
    std::string Description;
    double QuantityBase = 0;
    double TotalValue = 0;     // document currency, without VAT, after discounts
    double VATBaseAmount = 0;  // a base typed apart from TotalValue (generic documents)
    double VATPercent = 0;
    int VATCalculationType = 0;
    int VATLedger = 0;
    std::string VATBusPostGroup, VATProdPostGroup, GenBusPostGroup, GenProdPostGroup;
    std::string BusinessGroup, Store;
    std::string AccountDimension, GlobalDimension;
    double ValueLCY = 0;  // local currency, as the line holds it
    double VATValue = 0;  // the line's VAT, as typed on a generic document
    // Goods an earlier receipt brought into stock: the invoice clears what the receipt left on
    // the receipts account (minor units) instead of receiving them again.
    bool Received = false;
    int64_t ReceivedCost = 0, ReceivedCostACY = 0;
};

// The share of an item charge line that one item line of the same document carries.
struct TChargeAssignment {
    std::string ChargeLineId;
    std::string ItemLineId;
    double Share = 0;
};

// The share of an account line that falls into one later period.
struct TFutureCostPeriod {
    std::string LineId;
    TDateTime Date;
    double Share = 0;
};

// A purchase document at posting: its header, lines and the assignments made in its editor.
struct TPostingDocument {
    std::string Id, DocumentNo, VendorDocumentNo, ContragentId, CurrencyId;
    std::string CntrPostingGroup, BusinessGroup;
    double CurrencyFactor = 1;  // local units per document unit; 1 in local currency
    TDateTime DocumentDate, PostingDate;
    bool PaidAtPosting = false;
    // A generic document posts the VAT typed on its lines instead of the VAT of each rate.
    bool TypedVAT = false;
    // A protocol of a document posted with reverse charge: that document deducted the VAT and
    // left it on the protocols' transit account; the protocol charges it.
    bool ChargesReverseCharge = false;
    int AmountDecimals = 2;
    std::vector<TPostingLine> Lines;
    std::vector<TChargeAssignment> Charges;
    std::vector<TFutureCostPeriod> FutureCosts;
};

}  // namespace tavrek::server
