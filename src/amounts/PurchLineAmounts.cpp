#include "amounts/PurchLineAmounts.h"

#include <cmath>
#include <stdexcept>

#include "base/util/Utils.h"

namespace tavrek::amounts {

void TPurchLine::Set(TLineAmount amount, double value) {
    Amounts[static_cast<size_t>(amount)] = value;
    if (writtenCount_ == written_.size()) throw std::logic_error("Too many writes of one line computation");
    written_[writtenCount_++] = amount;
}

namespace {

using enum TLineAmount;

double Rate(const TPurchLine& line) { return line.VATPercent / 100.0; }

double NewTotalValue(const TPurchLine& line, double oldValue, double net, int A) {
    if (line.PriceIncludingVAT == 1) {
        if (line.DirectUnitCost_ACY == 0) return oldValue;
        return line.VATPercent != 0 ? RoundUp(net / (1 + line.VATPercent / 100.0), A) : RoundUp(net, A);
    }
    return line.DirectUnitCost_ACY != 0 ? RoundUp(net, A) : 0.0;
}

}  // namespace

void CalcTotalPrice(TPurchLine& line, TLinePrecision precision) {
    const int A = precision.Amount, U = precision.UnitPrice;
    const double v = Rate(line);
    const double price = line.DirectUnitCost_ACY;
    if (line.PriceIncludingVAT != 0) {
        if (price != 0) {
            const double net = RoundUp(price / (1 + v), U);
            line.Set(TotalPrice, RoundUp((1 + v) * RoundUp(line.Quantity * net - line.LineDiscountAmount, A), A));
            return;
        }
        // A line without a unit price takes its amount from the VAT it carries.
        line.Set(TotalValue, 0);
        const double net = RoundUp(line.Get(VATValue) / (1 + v), U);
        line.Set(TotalPrice, RoundUp((1 + v) * RoundUp(line.Quantity * net - line.LineDiscountAmount, U), A));
        return;
    }
    if (price != 0) {
        line.Set(TotalPrice, RoundUp(line.Quantity * price - line.LineDiscountAmount, A));
        return;
    }
    line.Set(TotalPrice,
             RoundUp((line.Get(TotalValue) + line.Get(VATValue)) * line.Quantity - line.LineDiscountAmount, A));
}

void UpdateVATAmounts(TPurchLine& line, double currencyFactor, int A) {
    if (RoundUp(line.Get(TotalPrice), A) == RoundUp(line.InvDiscAmount, A)) {
        for (TLineAmount amount :
             {TotalValue, VATBaseAmount, VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY})
            line.Set(amount, 0);
        return;
    }
    const double v = Rate(line);
    const double oldValue = line.Get(TotalValue);
    line.Set(TotalValue, NewTotalValue(line, oldValue, line.Get(TotalPrice) - line.InvDiscAmount, A));
    const double value = line.Get(TotalValue);
    // A VAT base the user typed survives recalculations that leave the line value as it was.
    if (RoundUp(std::fabs(oldValue - value), A) >= 0.01) line.Set(VATBaseAmount, value);
    const double valueLCY = RoundUp(value * currencyFactor, A);
    line.Set(TotalValue_LCY, valueLCY);
    if (line.DirectUnitCost_ACY != 0) {
        const double vatLCY = RoundUp(valueLCY * v, A);
        line.Set(VATValue_LCY, vatLCY);
        line.Set(TotalVAT_LCY, valueLCY + vatLCY);
    } else {
        const double vatLCY = RoundUp(line.Get(VATValue) * currencyFactor, A);
        line.Set(VATValue_LCY, vatLCY);
        line.Set(TotalVAT_LCY, vatLCY);
    }
    line.Set(VATValue, RoundUp(line.Get(VATBaseAmount) * v, A));
    line.Set(TotalVAT, line.Get(VATValue) + value);
}

void UpdateUnitCost(TPurchLine& line, double currencyFactor, bool foreignCurrency, TLinePrecision precision) {
    const int A = precision.Amount, U = precision.UnitPrice;
    const double v = Rate(line);
    const double share = line.QuantityIsNull || line.Quantity == 0
                             ? 0.0
                             : RoundUp((line.LineDiscountAmount + line.InvDiscAmount) / line.Quantity, 5);
    const double price = line.DirectUnitCost_ACY;
    const double net = line.PriceIncludingVAT != 0 ? RoundUp(price / (1 + v), U) : price;
    double unitCost = RoundUp((net - share) * (1 + line.IndirectCostPercent / 100.0), A);
    // VAT that is not deducted stays in the cost, unrounded.
    if (line.VATLedger == 3) unitCost = unitCost * (1 + v);
    line.Set(UnitCost_ACY, unitCost);
    line.Set(UnitCost_LCY, foreignCurrency && currencyFactor != 0 ? RoundUp(unitCost * currencyFactor, A) : unitCost);
}

}  // namespace tavrek::amounts
