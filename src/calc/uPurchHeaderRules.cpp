#include "calc/uPurchHeaderRules.h"

#include <stdexcept>
#include <utility>

#include "base/data/TClientDataSet.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"

namespace tavrek::uPurchCallculations {

using namespace uPurchCalcHelpers;

namespace {

// Header field filled from each column of the vendor's master data.
const std::pair<const char*, const char*> kContragentDefaults[] = {
    {"Code", "N_Contragent_Code"},
    {"Name", "N_Contragent_Name"},
    {"Bulstat", "N_Contragent_Bulstat"},
    {"VATRegistrationNo", "N_Contragent_VATRegistrationNo"},
    {"GenBusPostGroup_Id", "GenBusPostGroup_Id"},
    {"VATBusPostGroup_Id", "VATBusPostGroup_Id"},
    {"CntrPostingGroup_Id", "CntrPostingGroup_Id"},
    {"PayTerm_Id", "PayTerm_Id"}};

void RecalcLine(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    PurchUpdateUnitCost(Header, Line, Calculating);
    PurchCalcTotalAmounts(Header, Line, Calculating);
}

constexpr TPriceProposalOptions kHeaderProposal{true, false, false};

void ReassignVendorLines(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice) {
    for (Line.First(); !Line.Eof(); Line.Next()) {
        Line.Edit();
        PurchApplyPriceProposal(Header, Line, LookupPrice, kHeaderProposal);
        for (const char* field : {"GenBusPostGroup_Id", "VATBusPostGroup_Id", "Currency_Id"})
            SetValue(Line, field, Header.FieldByName(field).Value());
        if (HasBothVATGroups(Line)) ApplyVATSetup(Line, LookupVATSetup(Line, "PurchaseVATLedger"));
        RecalcLine(Header, Line, Calculating);
    }
}

void ApplySubTypeDefaults(TClientDataSet& Header) {
    TFilter filter;
    filter.Add("N_SubDocument.Id", "=", Header.FieldByName("DocSubType_Id").Value(), "AND")
        .Add("N_SubDocument.Comp_Id", "=", Variant(LocalData().CompanyId), "");
    TRequestResult result;
    if (dm().Server().RequestValue(0, "N_SubDocument", "Post_Series_Id, PaymentMethod", filter, result) != 1)
        throw std::runtime_error("Error Getting VAT Series!");
    const Variant series = result.Value(0, 0), method = result.Value(0, 1);
    if (!series.IsEmpty()) SetValue(Header, "Series_Id", series);
    if (!method.IsEmpty() && Header.FindField("PayMethod_Id") != nullptr) SetValue(Header, "PayMethod_Id", method);
}

void ConvertLinesToCurrency(TClientDataSet& Header, TClientDataSet& Line, double ratio) {
    const int U = UnitPriceDecimals();
    const Variant currency = Header.FieldByName("Currency_Id").Value();
    for (Line.First(); !Line.Eof(); Line.Next()) {
        Line.Edit();
        SetNum(Line, "OriginalPrice", 0);
        SetValue(Line, "Currency_Id", currency);
        SetNum(Line, "DirectUnitCost_ACY", RoundUp(Num(Line, "DirectUnitCost_ACY") * ratio, U));
    }
}

int DueDays(TClientDataSet& Header) {
    try {
        TFilter filter;
        filter.Add("N_PaymentTerms.Id", "=", Header.FieldByName("PayTerm_Id").Value(), "");
        TRequestResult result;
        if (dm().Server().RequestValue(0, "N_PaymentTerms", "DueDateCalculation", filter, result) == 1)
            return static_cast<int>(result.Value(0, 0).AsInteger());
    } catch (...) {
        LogFailure("TfEdPurchase.PayTermOnChange");
    }
    return 0;
}

// A VAT-inclusive price is rebuilt from the unit cost at the new rate: the cost stays.
void RebuildInclusivePrice(TClientDataSet& Line) {
    const double indirect = Num(Line, "IndirectCostPercent"), discount = Num(Line, "LineDiscount");
    TField& price = Line.FieldByName("DirectUnitCost_ACY");
    if (RoundUp(indirect, 5) == 100 || RoundUp(discount, 5) == 100) {
        price.SetAsFloat(0);
        return;
    }
    const double v = Num(Line, "VATPercent") / 100.0;
    price.SetAsFloat(RoundUp(Num(Line, "UnitCost_ACY") / (1 + indirect / 100.0) / (1 - discount / 100.0) * (1 + v),
                             UnitPriceDecimals()));
}

}  // namespace

void PurchContragentDefaults(TClientDataSet& Header) {
    const TRequestResult params = dm().Server().GetContragentParams(Text(Header, "Contragent_Id"));
    if (params.Empty()) return;
    for (const auto& [column, target] : kContragentDefaults) {
        TField* field = Header.FindField(target);
        const Variant value = params.ByName(column);
        if (field != nullptr && !value.IsEmpty() && !(field->Value() == value)) field->SetValue(value);
    }
}

void PurchContragentFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice) {
    if (Calculating) return;
    SetDefaultPayMethod(Header);
    TRuleGuard guard(Calculating);
    try {
        ReassignVendorLines(Header, Line, Calculating, LookupPrice);
    } catch (...) {
        LogFailure("TfEdPurchase.ContragentFieldOnChange");
    }
}

void PurchSubDocTypeFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    ApplySubTypeDefaults(Header);
    if (Line.IsEmpty() || !AskYesNoKey("queReCalculateDiscount")) return;
    try {
        for (Line.First(); !Line.Eof(); Line.Next()) {
            Line.Edit();
            PurchApplyPriceProposal(Header, Line, LookupPrice, kHeaderProposal);
            RecalcLine(Header, Line, Calculating);
        }
    } catch (...) {
        LogFailure("fEdPurchase.SubDocTypeFieldOnChange");
    }
}

void PurchCurrencyOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    try {
        const double ratio = RefreshCurrencyFactor(Header);
        if (Line.IsEmpty()) return;
        const Variant current = Line.FieldByName("Id").Value();
        ConvertLinesToCurrency(Header, Line, ratio);
        LocateLine(Line, current);
    } catch (...) {
        LogFailure("fEdPurchase.CurrencyOnChange");
    }
}

void PurchPayTermOnChange(TClientDataSet& Header, TClientDataSet&, bool&) {
    const int days = DueDays(Header);
    const double date = Header.FieldByName("DocumentDate").AsDateTime().Serial();
    Header.FieldByName("DueDate").SetAsDateTime(TDateTime(date + days));
}

void PurchVATProdPostingGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        if (HasBothVATGroups(Line)) ApplyVATSetup(Line, LookupVATSetup(Line, "PurchaseVATLedger"));
        if (Int(Line, "PriceIncludingVAT") == 1) RebuildInclusivePrice(Line);
        RecalcLine(Header, Line, Calculating);
    } catch (...) {
        LogFailure("fEdPurchase.VATProdPostingGroupOnChange");
    }
}

void PurchGenProdPostingGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    if (!IsEmptyText(Line, "VATProdPostGroup_Id")) PurchVATProdPostingGroupOnChange(Header, Line, Calculating);
}

void PurchVATBusPostingGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (!Line.IsEmpty()) PurchVATProdPostingGroupOnChange(Header, Line, Calculating);
}

void PurchBusinessGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool&) {
    const TWaitCursor hourglass;
    // The editor's per-line post handling has nothing to do while only the group moves.
    TDataSetEvent afterPost = std::move(Line.AfterPost);
    Line.AfterPost = nullptr;
    Line.DisableControls();
    try {
        if (!Line.IsEmpty()) {
            const Variant current = Line.FieldByName("Id").Value();
            const Variant group = Header.FieldByName("BusinessGroup_Id").Value();
            for (Line.First(); !Line.Eof(); Line.Next()) {
                Line.Edit();
                SetValue(Line, "BusinessGroup_Id", group);
                Line.Post();
            }
            LocateLine(Line, current);
        }
    } catch (...) {
        LogFailure("PurchBusinessGroupOnChange");
    }
    Line.EnableControls();
    Line.AfterPost = std::move(afterPost);
}

}  // namespace tavrek::uPurchCallculations
