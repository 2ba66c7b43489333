#include "calc/uPurchCallculations.h"

#include <array>
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

// The current record of the line as a plain line: the fields a computation reads are found
// once, and its writes go back to them in the order it made them.
class TLineRecord {
public:
    explicit TLineRecord(TClientDataSet& Line) : ds_(Line) {
        line_.PriceIncludingVAT = Int(Line, "PriceIncludingVAT");
        line_.DirectUnitCost_ACY = Num(Line, "DirectUnitCost_ACY");
        line_.VATPercent = Num(Line, "VATPercent");
    }

    amounts::TPurchLine& Line() { return line_; }
    void ReadQuantity() {
        const TField& quantity = ds_.FieldByName("Quantity");
        line_.QuantityIsNull = quantity.IsNull();
        line_.Quantity = quantity.AsFloat();
    }
    void Read(std::initializer_list<TLineAmount> amounts) {
        for (TLineAmount amount : amounts) line_.Amounts[Index(amount)] = Field(amount).AsFloat();
    }
    void WriteBack() {
        for (const TLineAmount* it = line_.WrittenBegin(); it != line_.WrittenEnd(); ++it)
            Field(*it).SetAsFloat(line_.Get(*it));
    }

private:
    static size_t Index(TLineAmount amount) { return static_cast<size_t>(amount); }
    TField& Field(TLineAmount amount) {
        TField*& field = fields_[Index(amount)];
        if (field == nullptr) field = &ds_.FieldByName(amounts::kLineAmountNames[Index(amount)]);
        return *field;
    }

    TClientDataSet& ds_;
    amounts::TPurchLine line_;
    std::array<TField*, amounts::kLineAmountNames.size()> fields_{};
};

void CalcTotalPrice(TClientDataSet& Line) {
    TLineRecord record(Line);
    record.ReadQuantity();
    record.Line().LineDiscountAmount = Num(Line, "LineDiscountAmount");
    // Only a line without a unit price takes its amount from what it carries.
    if (record.Line().DirectUnitCost_ACY == 0) record.Read({TLineAmount::TotalValue, TLineAmount::VATValue});
    amounts::CalcTotalPrice(record.Line(), Precision());
    record.WriteBack();
}

void UpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line) {
    TLineRecord record(Line);
    record.Read({TLineAmount::TotalPrice, TLineAmount::TotalValue, TLineAmount::VATBaseAmount, TLineAmount::VATValue});
    record.Line().InvDiscAmount = Num(Line, "InvDiscAmount");
    amounts::UpdateVATAmounts(record.Line(), Num(Header, "CurrencyFactor"), AmountDecimals());
    record.WriteBack();
}

void UpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line) {
    TLineRecord record(Line);
    amounts::TPurchLine& line = record.Line();
    record.ReadQuantity();
    line.LineDiscountAmount = Num(Line, "LineDiscountAmount");
    line.InvDiscAmount = Num(Line, "InvDiscAmount");
    line.IndirectCostPercent = Num(Line, "IndirectCostPercent");
    line.VATLedger = Int(Line, "VATLedger");
    amounts::UpdateUnitCost(line, Num(Header, "CurrencyFactor"), !IsEmptyText(Header, "Currency_Id"), Precision());
    record.WriteBack();
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
