#include "calc/uPurchCallculations.h"

#include <cmath>

#include "base/data/TClientDataSet.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek::uPurchCallculations {

using namespace uPurchCalcHelpers;

namespace {

// Prices include VAT on this line.
bool LineIncludesVAT(TClientDataSet& Line) { return Int(Line, "PriceIncludingVAT") != 0; }

double VATRate(TClientDataSet& Line) { return Num(Line, "VATPercent") / 100.0; }

void CalcTotalPrice(TClientDataSet& Line) {
    const int A = AmountDecimals(), U = UnitPriceDecimals();
    const double v = VATRate(Line);
    const double quantity = Num(Line, "Quantity");
    const double price = Num(Line, "DirectUnitCost_ACY");
    const double discount = Num(Line, "LineDiscountAmount");
    TField& totalPrice = Line.FieldByName("TotalPrice");
    if (LineIncludesVAT(Line)) {
        if (price != 0) {
            const double net = RoundUp(price / (1 + v), U);
            const double amount = RoundUp(quantity * net - discount, A);
            totalPrice.SetAsFloat(RoundUp((1 + v) * amount, A));
            return;
        }
        // A line without a unit price takes its amount from the VAT it carries.
        SetNum(Line, "TotalValue", 0);
        const double net = RoundUp(Num(Line, "VATValue") / (1 + v), U);
        const double amount = RoundUp(quantity * net - discount, U);
        totalPrice.SetAsFloat(RoundUp((1 + v) * amount, A));
        return;
    }
    if (price != 0) {
        totalPrice.SetAsFloat(RoundUp(quantity * price - discount, A));
        return;
    }
    totalPrice.SetAsFloat(RoundUp((Num(Line, "TotalValue") + Num(Line, "VATValue")) * quantity - discount, A));
}

void ZeroAmounts(TClientDataSet& Line) {
    for (const char* field : {"TotalValue", "VATBaseAmount", "VATValue", "TotalVAT", "TotalValue_LCY", "VATValue_LCY",
                              "TotalVAT_LCY"})
        SetNum(Line, field, 0);
}

double NewTotalValue(TClientDataSet& Line, double oldValue, double net, double price) {
    const int A = AmountDecimals();
    if (Int(Line, "PriceIncludingVAT") == 1) {
        if (price == 0) return oldValue;
        const double percent = Num(Line, "VATPercent");
        return percent != 0 ? RoundUp(net / (1 + percent / 100.0), A) : RoundUp(net, A);
    }
    return price != 0 ? RoundUp(net, A) : 0.0;
}

void UpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line) {
    const int A = AmountDecimals();
    const double totalPrice = Num(Line, "TotalPrice");
    const double invDiscount = Num(Line, "InvDiscAmount");
    if (RoundUp(totalPrice, A) == RoundUp(invDiscount, A)) {
        ZeroAmounts(Line);
        return;
    }
    const double price = Num(Line, "DirectUnitCost_ACY");
    const double v = VATRate(Line);
    const double factor = Num(Header, "CurrencyFactor");
    TField& totalValue = Line.FieldByName("TotalValue");
    const double oldValue = totalValue.AsFloat();
    totalValue.SetAsFloat(NewTotalValue(Line, oldValue, totalPrice - invDiscount, price));
    const double value = totalValue.AsFloat();
    // A VAT base the user typed survives recalculations that leave the line value as it was.
    TField& vatBase = Line.FieldByName("VATBaseAmount");
    if (RoundUp(std::fabs(oldValue - value), A) >= 0.01) vatBase.SetAsFloat(value);
    const double valueLCY = RoundUp(value * factor, A);
    SetNum(Line, "TotalValue_LCY", valueLCY);
    TField& vatValue = Line.FieldByName("VATValue");
    if (price != 0) {
        const double vatLCY = RoundUp(valueLCY * v, A);
        SetNum(Line, "VATValue_LCY", vatLCY);
        SetNum(Line, "TotalVAT_LCY", valueLCY + vatLCY);
    } else {
        const double vatLCY = RoundUp(vatValue.AsFloat() * factor, A);
        SetNum(Line, "VATValue_LCY", vatLCY);
        SetNum(Line, "TotalVAT_LCY", vatLCY);
    }
    vatValue.SetAsFloat(RoundUp(vatBase.AsFloat() * v, A));
    SetNum(Line, "TotalVAT", vatValue.AsFloat() + value);
}

void UpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line) {
    const int A = AmountDecimals(), U = UnitPriceDecimals();
    const double v = VATRate(Line);
    const TField& quantityField = Line.FieldByName("Quantity");
    const double quantity = quantityField.AsFloat();
    const double share = quantityField.IsNull() || quantity == 0
                             ? 0.0
                             : RoundUp((Num(Line, "LineDiscountAmount") + Num(Line, "InvDiscAmount")) / quantity, 5);
    const double price = Num(Line, "DirectUnitCost_ACY");
    const double net = LineIncludesVAT(Line) ? RoundUp(price / (1 + v), U) : price;
    double unitCost = RoundUp((net - share) * (1 + Num(Line, "IndirectCostPercent") / 100.0), A);
    // VAT that is not deducted stays in the cost, unrounded.
    if (Int(Line, "VATLedger") == 3) unitCost = unitCost * (1 + v);
    SetNum(Line, "UnitCost_ACY", unitCost);
    const double factor = Num(Header, "CurrencyFactor");
    const bool foreign = !IsEmptyText(Header, "Currency_Id") && factor != 0;
    SetNum(Line, "UnitCost_LCY", foreign ? RoundUp(unitCost * factor, A) : unitCost);
}

// The discount percent that makes the typed UnitCost_ACY; both unit-cost rules share it.
void DeriveLineDiscount(TClientDataSet& Line) {
    const double price = Num(Line, "DirectUnitCost_ACY");
    const double quantity = Num(Line, "Quantity");
    TField& discount = Line.FieldByName("LineDiscount");
    if (price == 0 || quantity == 0 || Num(Line, "LineDiscountAmount") / quantity == price) {
        discount.SetAsFloat(0);
        return;
    }
    const double base = LineIncludesVAT(Line) ? RoundUp(price / (1 + VATRate(Line)), AmountDecimals()) : price;
    discount.SetAsFloat(RoundUp((base - Num(Line, "UnitCost_ACY")) / base * 100.0, 5));
}

// Both unit-cost rules end here when the line has no price to take a discount from.
bool ZeroCostsWithoutPrice(TClientDataSet& Line) {
    if (RoundUp(Num(Line, "DirectUnitCost_ACY"), UnitPriceDecimals()) != 0) return false;
    SetNum(Line, "UnitCost_ACY", 0);
    SetNum(Line, "UnitCost_LCY", 0);
    return true;
}

void RecalcLine(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    PurchUpdateUnitCost(Header, Line, Calculating);
    PurchCalcTotalAmounts(Header, Line, Calculating);
}

}  // namespace

void PurchCalcTotalAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    TCalcGuard guard(Calculating);
    try {
        CalcTotalPrice(Line);
    } catch (...) {
        LogFailure("TfEdPurchase.CalcTotalAmounts");
        return;
    }
    PurchUpdateVATAmounts(Header, Line, Calculating);
}

void PurchUpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    TCalcGuard guard(Calculating);
    try {
        UpdateVATAmounts(Header, Line);
    } catch (...) {
        LogFailure("fEdPurchase.UpdateVATAmounts");
    }
}

void PurchUpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    TCalcGuard guard(Calculating);
    try {
        UpdateUnitCost(Header, Line);
    } catch (...) {
        LogFailure("TfEdPurchase.CalcUnitCost_LCY");
    }
}

void PurchLineDiscountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    const int U = UnitPriceDecimals();
    const double quantity = Num(Line, "Quantity");
    const double price = Num(Line, "DirectUnitCost_ACY");
    const double percent = Num(Line, "LineDiscount");
    TField& amount = Line.FieldByName("LineDiscountAmount");
    if (RoundUp(quantity, 5) == 0 || RoundUp(price, U) == 0 || RoundUp(percent, U) == 0) {
        amount.SetAsFloat(0);
    } else if (LineIncludesVAT(Line)) {
        const double net = RoundUp(price / (1 + VATRate(Line)), U);
        amount.SetAsFloat(RoundUp(net * quantity * percent / 100.0, U));
    } else {
        amount.SetAsFloat(RoundUp(quantity * price * percent / 100.0, U));
    }
    SetNum(Line, "InvDiscAmount", 0);
    RecalcLine(Header, Line, Calculating);
}

void PurchLineDiscountAmountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    const double price = Num(Line, "DirectUnitCost_ACY");
    const double quantity = Num(Line, "Quantity");
    const double amount = Num(Line, "LineDiscountAmount");
    TField& percent = Line.FieldByName("LineDiscount");
    if (price != 0 && quantity != 0) {
        if (LineIncludesVAT(Line))
            percent.SetAsFloat((amount * 100.0) / ((price * quantity) / (1 + VATRate(Line))));
        else
            percent.SetAsFloat((amount * 100.0) / (price * quantity));
    } else {
        percent.SetAsFloat(0);
    }
    SetNum(Line, "InvDiscAmount", 0);
    RecalcLine(Header, Line, Calculating);
}

void PurchTotalPriceOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    {
        TRuleGuard guard(Calculating);
        const int U = UnitPriceDecimals();
        TField& totalPrice = Line.FieldByName("TotalPrice");
        totalPrice.SetAsFloat(RoundUp(totalPrice.AsFloat(), AmountDecimals()));
        const double gross = Num(Line, "Quantity") * Num(Line, "DirectUnitCost_ACY") - totalPrice.AsFloat();
        const double discount = LineIncludesVAT(Line) ? gross / (1 + VATRate(Line)) : gross;
        SetNum(Line, "LineDiscountAmount", RoundUp(discount, U));
    }
    PurchLineDiscountAmountOnChange(Header, Line, Calculating);
}

void PurchUnitCost_LCYOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        if (ZeroCostsWithoutPrice(Line)) return;
        const int A = AmountDecimals();
        TField& costLCY = Line.FieldByName("UnitCost_LCY");
        costLCY.SetAsFloat(RoundUp(costLCY.AsFloat(), A));
        const double factor = Num(Header, "CurrencyFactor");
        SetNum(Line, "UnitCost_ACY", factor != 0 ? RoundUp(costLCY.AsFloat() / factor, A) : 0.0);
        DeriveLineDiscount(Line);
    } catch (...) {
        LogFailure("TfEdPurchase.UnitCost_LCYOnChange");
    }
}

void PurchUnitCost_ACYOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        if (ZeroCostsWithoutPrice(Line)) return;
        const int A = AmountDecimals();
        TField& costACY = Line.FieldByName("UnitCost_ACY");
        costACY.SetAsFloat(RoundUp(costACY.AsFloat(), A));
        DeriveLineDiscount(Line);
        // No fallback for an empty currency here: the factor as it stands.
        SetNum(Line, "UnitCost_LCY", RoundUp(costACY.AsFloat() * Num(Header, "CurrencyFactor"), A));
    } catch (...) {
        LogFailure("TfEdPurchase.UnitCost_LCYOnChange");
    }
}

void PurchAllowInvoiceDiscOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    if (Int(Line, "AllowInvoiceDisc") != 0) return;
    SetNum(Line, "InvDiscAmount", 0);
    RecalcLine(Header, Line, Calculating);
}

void PurchInvDiscAmountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        RecalcLine(Header, Line, Calculating);
    } catch (...) {
        LogFailure("TfEdPurchase.InvDiscAmountOnChange");
    }
}

void PurchIndirectCostPercentOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    PurchUpdateUnitCost(Header, Line, Calculating);
}

}  // namespace tavrek::uPurchCallculations
