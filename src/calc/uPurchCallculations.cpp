#include "calc/uPurchCallculations.h"

#include <cmath>
#include <initializer_list>

#include "amounts/PurchLineAmounts.h"
#include "base/data/TClientDataSet.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek::uPurchCallculations {

using namespace uPurchCalcHelpers;

namespace {

// Prices include VAT on this line.
bool LineIncludesVAT(TClientDataSet& Line) { return Int(Line, "PriceIncludingVAT") != 0; }

double VATRate(TClientDataSet& Line) { return Num(Line, "VATPercent") / 100.0; }

using amounts::TLineAmount;

amounts::TLinePrecision Precision() { return {AmountDecimals(), UnitPriceDecimals()}; }

// The line's inputs and the amounts the computations read, from the current record.
amounts::TPurchLine ReadLine(TClientDataSet& Line, std::initializer_list<TLineAmount> read) {
    amounts::TPurchLine line;
    line.PriceIncludingVAT = Int(Line, "PriceIncludingVAT");
    const TField& quantity = Line.FieldByName("Quantity");
    line.QuantityIsNull = quantity.IsNull();
    line.Quantity = quantity.AsFloat();
    line.DirectUnitCost_ACY = Num(Line, "DirectUnitCost_ACY");
    line.VATPercent = Num(Line, "VATPercent");
    for (TLineAmount amount : read)
        line.Amounts[static_cast<size_t>(amount)] = Num(Line, amounts::kLineAmountNames[static_cast<size_t>(amount)]);
    return line;
}

// The record takes the computation's writes in the order it made them.
void WriteBack(TClientDataSet& Line, const amounts::TPurchLine& line) {
    for (const TLineAmount* it = line.WrittenBegin(); it != line.WrittenEnd(); ++it)
        SetNum(Line, amounts::kLineAmountNames[static_cast<size_t>(*it)], line.Get(*it));
}

void CalcTotalPrice(TClientDataSet& Line) {
    amounts::TPurchLine line = ReadLine(Line, {TLineAmount::TotalValue, TLineAmount::VATValue});
    line.LineDiscountAmount = Num(Line, "LineDiscountAmount");
    amounts::CalcTotalPrice(line, Precision());
    WriteBack(Line, line);
}

void UpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line) {
    amounts::TPurchLine line = ReadLine(
        Line, {TLineAmount::TotalPrice, TLineAmount::TotalValue, TLineAmount::VATBaseAmount, TLineAmount::VATValue});
    line.InvDiscAmount = Num(Line, "InvDiscAmount");
    amounts::UpdateVATAmounts(line, Num(Header, "CurrencyFactor"), AmountDecimals());
    WriteBack(Line, line);
}

void UpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line) {
    amounts::TPurchLine line = ReadLine(Line, {});
    line.LineDiscountAmount = Num(Line, "LineDiscountAmount");
    line.InvDiscAmount = Num(Line, "InvDiscAmount");
    line.IndirectCostPercent = Num(Line, "IndirectCostPercent");
    line.VATLedger = Int(Line, "VATLedger");
    amounts::UpdateUnitCost(line, Num(Header, "CurrencyFactor"), !IsEmptyText(Header, "Currency_Id"), Precision());
    WriteBack(Line, line);
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
