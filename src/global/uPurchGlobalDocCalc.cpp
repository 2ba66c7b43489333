#include "global/uPurchGlobalDocCalc.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "base/data/TClientDataSet.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/TVATTotals.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"

namespace tavrek::uPurchGlobalDocCalc {

using namespace uPurchCalcHelpers;

namespace {

void Log(const char* routine) { LogFailure(std::string("uPurchGlobalDocCalc.") + routine); }

bool HeaderIncludesVAT(TClientDataSet& Header) { return Int(Header, "PriceIncludingVAT") != 0; }

double VATRate(TClientDataSet& Line) { return Num(Line, "VATPercent") / 100.0; }

void RecalcLine(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    PurchUpdateUnitCost(Header, Line, Calculating);
    PurchCalcTotalAmounts(Header, Line, Calculating);
}

void CalcTotalPrice(TClientDataSet& Header, TClientDataSet& Line) {
    const int A = AmountDecimals();
    const double quantity = Num(Line, "Quantity"), price = Num(Line, "DirectUnitCost");
    const double discount = Num(Line, "LineDiscountAmount");
    if (HeaderIncludesVAT(Header)) {
        const double v = VATRate(Line);
        const double net = RoundUp(price / (1 + v), UnitPriceDecimals());
        SetNum(Line, "TotalPrice", RoundUp(RoundUp(quantity * net - discount, A) * (1 + v), A));
    } else {
        SetNum(Line, "TotalPrice", RoundUp(quantity * price - discount, A));
    }
}

void UpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line) {
    const int A = AmountDecimals();
    const double percent = Num(Line, "VATPercent");
    const double totalPrice = Num(Line, "TotalPrice");
    TField& totalValue = Line.FieldByName("TotalValue");
    const double oldValue = totalValue.AsFloat();
    const bool inclusive = Int(Header, "PriceIncludingVAT") == 1 && percent != 0;
    totalValue.SetAsFloat(inclusive ? RoundUp(totalPrice / (1 + percent / 100.0), A) : RoundUp(totalPrice, A));
    const double value = totalValue.AsFloat();
    const double valueLCY = RoundUp(value * Num(Header, "CurrencyFactor"), A);
    SetNum(Line, "TotalValue_LCY", valueLCY);
    const double vatLCY = RoundUp(valueLCY * percent / 100.0, A);
    SetNum(Line, "VatValue_LCY", vatLCY);
    SetNum(Line, "TotalVAT_LCY", valueLCY + vatLCY);
    // A VAT base typed by the user survives recomputations that keep the line value.
    TField& base = Line.FieldByName("VATBaseAmount");
    if (RoundUp(std::fabs(oldValue - value), A) >= 0.01) base.SetAsFloat(value);
    const double vat = RoundUp(base.AsFloat() * percent / 100.0, A);
    SetNum(Line, "VATValue", vat);
    SetNum(Line, "TotalVAT", value + vat);
}

void UpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line) {
    const int U = UnitPriceDecimals();
    const TField& quantityField = Line.FieldByName("Quantity");
    const double quantity = quantityField.AsFloat();
    double share = 0.0;
    if (!quantityField.IsNull() && quantity != 0) {
        const TField* invDiscount = Line.FindField("Inv_DiscountAmount");
        const double discount = Num(Line, "LineDiscountAmount") + (invDiscount ? invDiscount->AsFloat() : 0.0);
        share = RoundUp(discount / quantity, 5);
    }
    const double v = VATRate(Line);
    const double price = Num(Line, "DirectUnitCost");
    const double net = HeaderIncludesVAT(Header) ? RoundUp(price / (1 + v), U) : price;
    double unitCost = RoundUp((net - share) * (1 + Num(Line, "IndirectCost_percent") / 100.0), U);
    if (Int(Line, "VATLedger") == 3) unitCost = unitCost * (1 + v);
    SetNum(Line, "UnitCost", unitCost);
    const double factor = Num(Header, "CurrencyFactor");
    const bool foreign = !IsEmptyText(Header, "Currency_Id") && factor != 0;
    SetNum(Line, "UnitCost_LCY", foreign ? RoundUp(unitCost * factor, U) : unitCost);
}

void DiscountAmountFromPercent(TClientDataSet& Header, TClientDataSet& Line) {
    const int U = UnitPriceDecimals();
    const double quantity = Num(Line, "Quantity"), price = Num(Line, "DirectUnitCost");
    const double percent = Num(Line, "LineDiscount_percent");
    TField& amount = Line.FieldByName("LineDiscountAmount");
    if (RoundUp(quantity, 5) == 0 || RoundUp(price, U) == 0 || RoundUp(percent, U) == 0)
        amount.SetAsFloat(0);
    else if (HeaderIncludesVAT(Header))
        amount.SetAsFloat(RoundUp(RoundUp(price / (1 + VATRate(Line)), U) * quantity * percent / 100.0, U));
    else
        amount.SetAsFloat(RoundUp(quantity * price * percent / 100.0, U));
}

void DeriveDiscountPercent(TClientDataSet& Header, TClientDataSet& Line) {
    const double price = Num(Line, "DirectUnitCost"), quantity = Num(Line, "Quantity");
    TField& percent = Line.FieldByName("LineDiscount_percent");
    if (price == 0 || quantity == 0 || Num(Line, "LineDiscountAmount") / quantity == price) {
        percent.SetAsFloat(0);
        return;
    }
    const double base = HeaderIncludesVAT(Header) ? RoundUp(price / (1 + VATRate(Line)), UnitPriceDecimals()) : price;
    percent.SetAsFloat(RoundUp((base - Num(Line, "UnitCost")) / base * 100.0, 5));
}

bool ZeroCostsWithoutPrice(TClientDataSet& Line) {
    if (RoundUp(Num(Line, "DirectUnitCost"), UnitPriceDecimals()) != 0) return false;
    SetNum(Line, "UnitCost", 0);
    SetNum(Line, "UnitCost_LCY", 0);
    return true;
}

// Applies a found proposal: a price or discount equal to the remembered one keeps the line's own.
void ApplyProposal(TClientDataSet& Line, const TItemParams& proposal) {
    TField& original = Line.FieldByName("OriginalPrice");
    if (original.AsFloat() != proposal.Price) {
        SetNum(Line, "DirectUnitCost", RoundUp(proposal.Price, UnitPriceDecimals()));
        original.SetAsFloat(proposal.Price);
    }
    TField& originalDiscount = Line.FieldByName("OriginalDiscount");
    if (originalDiscount.AsFloat() != proposal.Discount) {
        SetNum(Line, "LineDiscount_percent", proposal.Discount);
        originalDiscount.SetAsFloat(proposal.Discount);
    }
}

// The price lookup of the code rule: lines of Type 1, 3 or 6, the raw Type in the request. The
// header rules also take the allowance of the invoice discount, where the line has the field.
void CodePriceProposal(TClientDataSet& Header, TClientDataSet& Line, bool LookupPrice, bool copyAllowance) {
    const int64_t type = Int(Line, "Type");
    if (!LookupPrice || (type != 1 && type != 3 && type != 6) || IsEmptyText(Header, "Contragent_Id")) return;
    TVariantArray request = uPurchCallculations::PurchPriceRequest(Header, Line, false);
    request[14] = Variant(type);
    TItemParams proposal;
    if (dm().Server().GetItemPriceAndDiscount(request, proposal) != 0) return;
    SetInt(Line, "PriceIncludingVAT", Int(Header, "PriceIncludingVAT"));
    TField* allow = copyAllowance ? Line.FindField("AllowInvoiceDisc") : nullptr;
    if (allow != nullptr) allow->SetAsInteger(proposal.AllowInvoiceDisc ? 1 : 0);
    ApplyProposal(Line, proposal);
}

// The price lookup of the unit-of-measure rule, as for ordinary lines (Type 1 or 5).
void MeasurePriceProposal(TClientDataSet& Header, TClientDataSet& Line, bool LookupPrice) {
    const int64_t type = Int(Line, "Type");
    if (!LookupPrice || (type != 1 && type != 5) || IsEmptyText(Header, "Contragent_Id")) return;
    TItemParams proposal;
    if (dm().Server().GetItemPriceAndDiscount(uPurchCallculations::PurchPriceRequest(Header, Line, false),
                                              proposal) != 0)
        return;
    if (Num(Line, "OriginalPrice") != proposal.Price)
        SetInt(Line, "PriceIncludingVAT", Int(Header, "PriceIncludingVAT"));
    ApplyProposal(Line, proposal);
}

// New VAT values from the setup; false when the line already holds them.
bool TakeVATSetup(TClientDataSet& Line) {
    const TVATSetup setup = LookupVATSetup(Line, "SalesVATLedger");
    if (Num(Line, "VATPercent") == setup.Percent && Int(Line, "VATCalculationType") == setup.CalculationType &&
        Int(Line, "VATLedger") == setup.Ledger)
        return false;
    ApplyVATSetup(Line, setup);
    return true;
}

// A VAT-inclusive price follows the rate, so that the unit cost stays.
void KeepInclusivePrice(TClientDataSet& Header, TClientDataSet& Line, double oldPercent) {
    const double percent = Num(Line, "VATPercent");
    if (Int(Header, "PriceIncludingVAT") != 1 || RoundUp(oldPercent, 5) == 100 ||
        RoundUp(percent, 5) == RoundUp(oldPercent, 5))
        return;
    const double cost = Num(Line, "UnitCost") / (1 - Num(Line, "LineDiscount_percent") / 100.0);
    SetNum(Line, "DirectUnitCost",
           RoundUp(cost / (1 + oldPercent / 100.0) * (1 + percent / 100.0), UnitPriceDecimals()));
}

// One line of the VAT posting group rules; false when the line already matched the setup.
bool ApplyLineVATGroups(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    const double oldPercent = Num(Line, "VATPercent");
    if (HasBothVATGroups(Line) && !TakeVATSetup(Line)) return false;
    KeepInclusivePrice(Header, Line, oldPercent);
    RecalcLine(Header, Line, Calculating);
    return true;
}

void ProposeForEveryLine(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice,
                         bool takeVendorGroups) {
    for (Line.First(); !Line.Eof(); Line.Next()) {
        Line.Edit();
        CodePriceProposal(Header, Line, LookupPrice, true);
        if (takeVendorGroups) {
            for (const char* field : {"GenBusPostGroup_Id", "VATBusPostGroup_Id", "Currency_Id"})
                if (TField* target = Line.FindField(field)) target->SetValue(Header.FieldByName(field).Value());
            if (HasBothVATGroups(Line)) ApplyVATSetup(Line, LookupVATSetup(Line, "SalesVATLedger"));
        }
        RecalcLine(Header, Line, Calculating);
    }
}

void RenumberLine(TClientDataSet& Line, int position) {
    TField& lineNo = Line.FieldByName("Line_No");
    if (lineNo.AsInteger() != position) lineNo.SetAsInteger(position);
}

void WriteGlobalTotals(TClientDataSet& Header, const TVATTotals& totals, double sum) {
    const int A = AmountDecimals();
    const double factor = Num(Header, "CurrencyFactor");
    const double vat = totals.TotalVAT();
    Header.Edit();
    SetNum(Header, "TotalValue", sum);
    if (sum != 0) {
        SetNum(Header, "TotalValue_LCY", RoundUp(factor * sum, A));
        SetNum(Header, "TotalVat", sum + vat);
        SetNum(Header, "TotalVAT_LCY", Num(Header, "TotalValue_LCY") + RoundUp(factor * vat, A));
    } else {
        // Lines that carry only a VAT base: local totals from the groups.
        SetNum(Header, "TotalValue_LCY", RoundUp(factor * totals.TotalBase(), A));
        SetNum(Header, "TotalVat", vat);
        SetNum(Header, "TotalVAT_LCY", RoundUp(factor * totals.TotalGross(), A));
    }
    SetNum(Header, "VatValue", vat);
    SetNum(Header, "VATValue_LCY", RoundUp(factor * vat, A));
}

template <typename F>
void WalkLines(TClientDataSet& Line, const char* routine, F&& body) {
    const TWaitCursor hourglass;
    Line.DisableControls();
    try {
        const Variant current = Line.IsEmpty() ? Variant() : Line.FieldByName("Id").Value();
        body();
        LocateLine(Line, current);
    } catch (...) {
        Log(routine);
    }
    Line.EnableControls();
}

}  // namespace

void PurchCalcTotalAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    TCalcGuard guard(Calculating);
    try {
        CalcTotalPrice(Header, Line);
    } catch (...) {
        Log("PurchCalcTotalAmounts");
        return;
    }
    PurchUpdateVATAmounts(Header, Line, Calculating);
}

void PurchUpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    TCalcGuard guard(Calculating);
    try {
        UpdateVATAmounts(Header, Line);
    } catch (...) {
        Log("PurchUpdateVATAmounts");
    }
}

void PurchUpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    TCalcGuard guard(Calculating);
    try {
        UpdateUnitCost(Header, Line);
    } catch (...) {
        Log("PurchUpdateUnitCost");
    }
}

void PurchLineDiscountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        DiscountAmountFromPercent(Header, Line);
        RecalcLine(Header, Line, Calculating);
    } catch (...) {
        Log("PurchLineDiscountOnChange");
    }
}

void PurchGlobalLineDiscountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        TField& perUnit = Line.FieldByName("QtyPerUnit");
        if (perUnit.AsFloat() == 0) perUnit.SetAsFloat(1);
        SetNum(Line, "Quantity_Base", Num(Line, "Quantity") * perUnit.AsFloat());
        DiscountAmountFromPercent(Header, Line);
        RecalcLine(Header, Line, Calculating);
    } catch (...) {
        Log("PurchGlobalLineDiscountOnChange");
    }
}

void PurchLineDiscountAmountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        const double price = Num(Line, "DirectUnitCost"), quantity = Num(Line, "Quantity");
        const double amount = Num(Line, "LineDiscountAmount");
        TField& percent = Line.FieldByName("LineDiscount_percent");
        if (price == 0 || quantity == 0)
            percent.SetAsFloat(0);
        else if (HeaderIncludesVAT(Header))
            percent.SetAsFloat(amount * 100.0 / ((price * quantity) / (1 + VATRate(Line))));
        else
            percent.SetAsFloat(amount / (price * quantity) * 100.0);
        RecalcLine(Header, Line, Calculating);
    } catch (...) {
        Log("PurchLineDiscountAmountOnChange");
    }
}

void PurchTotalPriceOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    {
        TRuleGuard guard(Calculating);
        try {
            TField& totalPrice = Line.FieldByName("TotalPrice");
            totalPrice.SetAsFloat(RoundUp(totalPrice.AsFloat(), AmountDecimals()));
            const double gross = Num(Line, "Quantity") * Num(Line, "DirectUnitCost") - totalPrice.AsFloat();
            const double discount = HeaderIncludesVAT(Header) ? gross / (1 + VATRate(Line)) : gross;
            SetNum(Line, "LineDiscountAmount", RoundUp(discount, UnitPriceDecimals()));
        } catch (...) {
            Log("PurchTotalPriceOnChange");
            return;
        }
    }
    PurchLineDiscountAmountOnChange(Header, Line, Calculating);
}

void PurchUnitCost_LCYOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        if (ZeroCostsWithoutPrice(Line)) return;
        const int U = UnitPriceDecimals();
        TField& costLCY = Line.FieldByName("UnitCost_LCY");
        costLCY.SetAsFloat(RoundUp(costLCY.AsFloat(), U));
        const double factor = Num(Header, "CurrencyFactor");
        SetNum(Line, "UnitCost", factor != 0 ? RoundUp(costLCY.AsFloat() / factor, U) : 0.0);
        DeriveDiscountPercent(Header, Line);
    } catch (...) {
        Log("PurchUnitCost_LCYOnChange");
    }
}

void PurchUnitCostOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        if (ZeroCostsWithoutPrice(Line)) return;
        const int U = UnitPriceDecimals();
        TField& cost = Line.FieldByName("UnitCost");
        cost.SetAsFloat(RoundUp(cost.AsFloat(), U));
        DeriveDiscountPercent(Header, Line);
        SetNum(Line, "UnitCost_LCY", RoundUp(cost.AsFloat() * Num(Header, "CurrencyFactor"), U));
    } catch (...) {
        Log("PurchUnitCostOnChange");
    }
}

void PurchCurrencyOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    try {
        const double ratio = RefreshCurrencyFactor(Header);
        const std::string currency = Text(Header, "Currency_Id");
        if (Line.IsEmpty()) return;
        const Variant current = Line.FieldByName("Id").Value();
        for (Line.First(); !Line.Eof(); Line.Next()) {
            Line.Edit();
            SetNum(Line, "OriginalPrice", 0);
            SetValue(Line, "Currency_Id", Variant(currency));
            SetNum(Line, "DirectUnitCost", RoundUp(Num(Line, "DirectUnitCost") * ratio, UnitPriceDecimals()));
        }
        LocateLine(Line, current);
    } catch (...) {
        Log("PurchCurrencyOnChange");
    }
}

void PurchGlobalPriceIncudingVATOnChange(TClientDataSet& Header, TClientDataSet& Line, bool&) {
    try {
        if (InWriteState(Line)) Line.Post();
        if (!Line.Active() || Line.IsEmpty()) return;
        const Variant current = Line.FieldByName("Id").Value();
        const int64_t headerFlag = Int(Header, "PriceIncludingVAT");
        for (Line.First(); !Line.Eof(); Line.Next()) {
            const int64_t lineFlag = Int(Line, "PriceIncludingVAT");
            if (lineFlag == headerFlag) continue;
            Line.Edit();
            const double factor = 1 + static_cast<double>(Int(Line, "VATPercent")) / 100.0;
            const double price = Num(Line, "DirectUnitCost");
            const bool removeVAT = lineFlag == 1 && headerFlag == 0;
            SetNum(Line, "DirectUnitCost", RoundUp(removeVAT ? price / factor : price * factor, UnitPriceDecimals()));
            SetInt(Line, "PriceIncludingVAT", headerFlag);
            Line.Post();
        }
        LocateLine(Line, current);
    } catch (...) {
        Log("PurchGlobalPriceIncudingVATOnChange");
    }
}

void PurchVATProdPostGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        ApplyLineVATGroups(Header, Line, Calculating);
    } catch (...) {
        Log("PurchVATProdPostGroupOnChange");
    }
}

void PurchVATBusPostGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        const Variant group = Header.FieldByName("VATBusPostGroup_Id").Value();
        for (Line.First(); !Line.Eof(); Line.Next()) {
            EnsureEditing(Line);
            SetValue(Line, "VATBusPostGroup_Id", group);
            ApplyLineVATGroups(Header, Line, Calculating);
        }
    } catch (...) {
        Log("PurchVATBusPostGroupOnChange");
    }
}

void PurchCodeFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                            bool LookupPrice) {
    if (Calculating || Suspended) return;
    TRuleGuard guard(Calculating);
    try {
        EnsureEditing(Line);
        TField& perUnit = Line.FieldByName("QtyPerUnit");
        if (perUnit.AsFloat() == 0) perUnit.SetAsFloat(1);
        SetNum(Line, "Quantity_Base", Num(Line, "Quantity") * perUnit.AsFloat());
        CodePriceProposal(Header, Line, LookupPrice, false);
        RecalcLine(Header, Line, Calculating);
    } catch (...) {
        Log("PurchCodeFieldOnChange");
    }
}

void PurchGlobalMeasureOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                                bool LookupPrice) {
    if (Calculating || Suspended) return;
    TRuleGuard guard(Calculating);
    try {
        MeasurePriceProposal(Header, Line, LookupPrice);
        guard.Clear();
        PurchLineDiscountOnChange(Header, Line, Calculating);
    } catch (...) {
        Log("PurchGlobalMeasureOnChange");
    }
}

void PurchContragentFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice) {
    if (Calculating) return;
    SetDefaultPayMethod(Header);
    TRuleGuard guard(Calculating);
    try {
        ProposeForEveryLine(Header, Line, Calculating, LookupPrice, true);
    } catch (...) {
        Log("PurchContragentFieldOnChange");
    }
}

void PurchSubDocTypeFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    TFilter filter;
    filter.Add("N_SubDocument.Id", "=", Header.FieldByName("DocSubType_Id").Value(), "AND")
        .Add("N_SubDocument.Comp_Id", "=", Variant(LocalData().CompanyId), "");
    TRequestResult result;
    if (dm().Server().RequestValue(0, "N_SubDocument", "Post_Series_Id, PaymentMethod", filter, result) != 1)
        throw std::runtime_error("Error Getting VAT Series!");
    if (!result.Value(0, 0).IsEmpty()) SetValue(Header, "Series_Id", result.Value(0, 0));
    if (!result.Value(0, 1).IsEmpty() && Header.FindField("PayMethod_Id"))
        SetValue(Header, "PayMethod_Id", result.Value(0, 1));
    if (Line.IsEmpty() || !AskYesNoKey("queReCalculateDiscount")) return;
    try {
        ProposeForEveryLine(Header, Line, Calculating, LookupPrice, false);
    } catch (...) {
        Log("PurchSubDocTypeFieldOnChange");
    }
}

void PurchGlobalReCalcDocumentExecute(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                      TVATTotals& VATTotals) {
    WalkLines(Line, "PurchGlobalReCalcDocumentExecute", [&] {
        const int A = AmountDecimals();
        const double factor = Num(Header, "CurrencyFactor");
        VATTotals.ClearVATGroups();
        double sum = 0.0;
        int position = 0;
        for (Line.First(); !Line.Eof(); Line.Next()) {
            Line.Edit();
            RenumberLine(Line, ++position);
            PurchGlobalLineDiscountOnChange(Header, Line, Calculating);
            TField& percent = Line.FieldByName("VATPercent");
            const double base = Num(Line, "VATBaseAmount"), value = Num(Line, "TotalValue");
            if (RoundUp(base, 2) != RoundUp(value, 2))
                VATTotals.AddVATGroups(percent.AsString(), percent.AsFloat(), base, base * factor);
            else
                VATTotals.AddVATGroups(percent.AsString(), percent.AsFloat(), value, Num(Line, "TotalValue_LCY"));
            sum += RoundUp(value, A);
            Line.Post();
        }
        WriteGlobalTotals(Header, VATTotals, sum);
    });
}

void PurchReCalcDocumentExecute(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                TVATTotals& VATTotals) {
    WalkLines(Line, "PurchReCalcDocumentExecute", [&] {
        VATTotals.ClearVATGroups();
        int position = 0;
        for (Line.First(); !Line.Eof(); Line.Next()) {
            Line.Edit();
            RenumberLine(Line, ++position);
            PurchLineDiscountOnChange(Header, Line, Calculating);
            TField& percent = Line.FieldByName("VATPercent");
            VATTotals.AddVATGroups(percent.AsString(), percent.AsFloat(), Num(Line, "TotalValue"),
                                   Num(Line, "TotalValue_LCY"));
            Line.Post();
        }
        Header.Edit();
        SetNum(Header, "TotalValue", VATTotals.TotalBase());
        SetNum(Header, "TotalVat", VATTotals.TotalGross());
        SetNum(Header, "VatValue", VATTotals.TotalVAT());
        SetNum(Header, "TotalValue_LCY", VATTotals.TotalBaseLCY());
        SetNum(Header, "VATValue_LCY", VATTotals.TotalVATLCY());
        SetNum(Header, "TotalVAT_LCY", VATTotals.TotalGrossLCY());
    });
}

}  // namespace tavrek::uPurchGlobalDocCalc
