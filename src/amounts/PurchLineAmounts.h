#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The amounts of one purchase line computed from its price, quantity, discounts and VAT
// percent, over a plain row: the editors run them on the line being typed and the server
// runs them again before it books a document, so both compute a line the same way.
namespace tavrek::amounts {

// The amounts a line computation writes, in the order of their names below.
enum class TLineAmount : uint8_t {
    TotalPrice,
    TotalValue,
    VATBaseAmount,
    VATValue,
    TotalVAT,
    TotalValue_LCY,
    VATValue_LCY,
    TotalVAT_LCY,
    UnitCost_ACY,
    UnitCost_LCY,
};
inline constexpr std::array<const char*, 10> kLineAmountNames{
    "TotalPrice",     "TotalValue",   "VATBaseAmount", "VATValue",     "TotalVAT",
    "TotalValue_LCY", "VATValue_LCY", "TotalVAT_LCY",  "UnitCost_ACY", "UnitCost_LCY"};

// The session's two precisions: amounts and unit prices.
struct TLinePrecision {
    int Amount = 2;
    int UnitPrice = 2;
};

// A line with the fields of the same names. The computations note every amount they write,
// in the order they write it, so that a line kept elsewhere (a dataset record) can take the
// same writes in the same order.
struct TPurchLine {
    int64_t PriceIncludingVAT = 0;
    bool QuantityIsNull = false;
    double Quantity = 0, DirectUnitCost_ACY = 0, LineDiscountAmount = 0, InvDiscAmount = 0, VATPercent = 0;
    double IndirectCostPercent = 0;
    int64_t VATLedger = 0;
    std::array<double, kLineAmountNames.size()> Amounts{};

    double Get(TLineAmount amount) const { return Amounts[static_cast<size_t>(amount)]; }
    void Set(TLineAmount amount, double value);
    // The amounts written so far, in writing order.
    const TLineAmount* WrittenBegin() const { return written_.data(); }
    const TLineAmount* WrittenEnd() const { return written_.data() + writtenCount_; }

private:
    std::array<TLineAmount, 16> written_{};
    size_t writtenCount_ = 0;
};

// TotalPrice from price, quantity and discount (a line without a unit price takes it from
// the VAT and value it carries); the VAT amounts follow only through UpdateVATAmounts.
void CalcTotalPrice(TPurchLine& line, TLinePrecision precision);
// TotalValue, VATBaseAmount (kept when the value moves by less than a cent), the local amounts
// at the header's currency factor, VATValue and TotalVAT.
void UpdateVATAmounts(TPurchLine& line, double currencyFactor, int amountDecimals);
// UnitCost_ACY and UnitCost_LCY after the discounts' share per unit and indirect costs; the
// local cost is converted only in a foreign currency with a factor.
void UpdateUnitCost(TPurchLine& line, double currencyFactor, bool foreignCurrency, TLinePrecision precision);

}  // namespace tavrek::amounts
