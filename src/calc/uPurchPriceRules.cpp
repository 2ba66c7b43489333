#include "calc/uPurchPriceRules.h"

#include <stdexcept>
#include <string_view>

#include "base/data/TClientDataSet.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"

namespace tavrek::uPurchCallculations {

using namespace uPurchCalcHelpers;

namespace {

constexpr int64_t kFixedAssetLine = 4;

// Only item lines (Type 1 and 5) are priced; codes sent are Type up to 1, else Type + 1.
int64_t ItemKindCode(int64_t type) { return type <= 1 ? type : type + 1; }

bool IsPricedType(int64_t type) { return type == 1 || type == 5; }

void SetBaseQuantity(TClientDataSet& Line) {
    TField& perUnit = Line.FieldByName("QtyPerUnitOfMeasure");
    if (perUnit.AsFloat() == 0) perUnit.SetAsFloat(1.0);
    SetNum(Line, "Quantity_Base", Num(Line, "Quantity") * perUnit.AsFloat());
}

void LookupDeprBook(TClientDataSet& Line) {
    TFilter filter;
    filter.Add("N_FADeprBookLine.Comp_Id", "=", Line.FieldByName("Comp_Id").Value(), "AND")
        .Add("N_FADeprBookLine.Master_Id", "=", Line.FieldByName("Code").Value(), "AND")
        .Add("N_FADeprBookLine.DefaultBook", "=", Variant(1), "");
    TRequestResult result;
    dm().Server().RequestValue(0, "N_FADeprBookLine", "DeprBook_Id", filter, result);
    SetValue(Line, "DeprBook_Id", result.Value(0, 0));
}

// Converts every line whose flag differs from the header's so that its prices keep their value.
void ConvertLinePrices(TClientDataSet& Header, TClientDataSet& Line) {
    const int64_t headerFlag = Int(Header, "PriceIncludingVAT");
    for (Line.First(); !Line.Eof(); Line.Next()) {
        const int64_t lineFlag = Int(Line, "PriceIncludingVAT");
        if (lineFlag == headerFlag) continue;
        Line.Edit();
        PurchConvertLinePriceBasis(Header, Line, true);
        Line.Post();
    }
}

}  // namespace

void PurchConvertLinePriceBasis(TClientDataSet& Header, TClientDataSet& Line, bool withOriginalPrice) {
    const int64_t headerFlag = Int(Header, "PriceIncludingVAT");
    const double factor = 1 + static_cast<double>(Int(Line, "VATPercent")) / 100.0;
    const bool removeVAT = Int(Line, "PriceIncludingVAT") == 1 && headerFlag == 0;
    SetInt(Line, "PriceIncludingVAT", headerFlag);
    for (const char* field : {"DirectUnitCost_ACY", "OriginalPrice"}) {
        if (!withOriginalPrice && std::string_view(field) == "OriginalPrice") continue;
        const double price = Num(Line, field);
        SetNum(Line, field, RoundUp(removeVAT ? price / factor : price * factor, UnitPriceDecimals()));
    }
}

TVariantArray PurchPriceRequest(TClientDataSet& Header, TClientDataSet& Line, bool businessGroupFromHeader) {
    TClientDataSet& group = businessGroupFromHeader ? Header : Line;
    return {Variant(0),
            Variant(0),
            Variant(Text(Header, "Contragent_Id")),
            Variant(Text(Line, "Code")),
            Variant(Text(Line, "Measure_Id")),
            Variant(Text(Header, "Currency_Id")),
            Variant(Text(Header, "VATBusPostGroup_Id")),
            Variant(Int(Header, "PriceIncludingVAT")),
            Variant(Text(Header, "N_SubDocument_Code")),
            Variant(Num(Line, "Quantity")),
            Variant(Header.FieldByName("DocumentDate").AsDateTime()),
            Variant(Num(Line, "Quantity_Base")),
            Variant(Text(Line, "VATProdPostGroup_Id")),
            Variant(Num(Header, "CurrencyFactor")),
            Variant(ItemKindCode(Int(Line, "Type"))),
            Variant(std::string()),
            Variant(Text(group, "BusinessGroup_Id")),
            Variant()};
}

void PurchApplyPriceProposal(TClientDataSet& Header, TClientDataSet& Line, bool LookupPrice,
                             const TPriceProposalOptions& options) {
    if (!LookupPrice || !IsPricedType(Int(Line, "Type")) || IsEmptyText(Header, "Contragent_Id")) return;
    TItemParams proposal;
    const TVariantArray request = PurchPriceRequest(Header, Line, options.BusinessGroupFromHeader);
    if (dm().Server().GetItemPriceAndDiscount(request, proposal) != 0) return;
    if (options.CopyAllowInvoiceDisc) SetInt(Line, "AllowInvoiceDisc", proposal.AllowInvoiceDisc ? 1 : 0);
    TField& original = Line.FieldByName("OriginalPrice");
    const bool priceDiffers = options.CompareAtTwoDecimals
                                  ? RoundUp(original.AsFloat(), 2) != RoundUp(proposal.Price, 2)
                                  : original.AsFloat() != proposal.Price;
    if (priceDiffers) {
        SetNum(Line, "DirectUnitCost_ACY", RoundUp(proposal.Price, UnitPriceDecimals()));
        original.SetAsFloat(proposal.Price);
        SetInt(Line, "PriceIncludingVAT", Int(Header, "PriceIncludingVAT"));
    }
    TField& originalDiscount = Line.FieldByName("OriginalDiscount");
    if (originalDiscount.AsFloat() != proposal.Discount) {
        SetNum(Line, "LineDiscount", proposal.Discount);
        originalDiscount.SetAsFloat(proposal.Discount);
    }
}

void PurchQuantityOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                           bool LookupPrice) {
    if (Calculating || Suspended) return;
    TRuleGuard guard(Calculating);
    try {
        TField& perUnit = Line.FieldByName("QtyPerUnitOfMeasure");
        if (perUnit.AsFloat() == 0) perUnit.SetAsFloat(1.0);
        if (Int(Line, "Type") == kFixedAssetLine) SetNum(Line, "Quantity", 1);
        SetNum(Line, "Quantity_Base", Num(Line, "Quantity") * perUnit.AsFloat());
        PurchApplyPriceProposal(Header, Line, LookupPrice, {true, true, true});
        guard.Clear();
        PurchLineDiscountOnChange(Header, Line, Calculating);
    } catch (...) {
        LogFailure("TfEdPurchase.QuantityOnChange");
    }
}

void PurchCodeOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                       bool LookupPrice) {
    if (Calculating || Suspended) return;
    TRuleGuard guard(Calculating);
    try {
        EnsureEditing(Line);
        if (Int(Line, "Type") == kFixedAssetLine) LookupDeprBook(Line);
        PurchApplyPriceProposal(Header, Line, LookupPrice, {false, false, false});
        SetNum(Line, "QtyPerUnitOfMeasure", 1);
        PurchUpdateUnitCost(Header, Line, Calculating);
        PurchCalcTotalAmounts(Header, Line, Calculating);
    } catch (...) {
        LogFailure("TfEdPurchase.CodeOnChange");
    }
}

void PurchMeasureOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                          bool LookupPrice) {
    if (Calculating || Suspended) return;
    TRuleGuard guard(Calculating);
    try {
        PurchApplyPriceProposal(Header, Line, LookupPrice, {false, false, false});
        guard.Clear();
        PurchLineDiscountOnChange(Header, Line, Calculating);
    } catch (...) {
        LogFailure("TfEdPurchase.MeasureOnChange");
    }
}

void PurchQtyPerUnitOfMeasureOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    if (Calculating) return;
    TRuleGuard guard(Calculating);
    try {
        SetBaseQuantity(Line);
        guard.Clear();
        PurchLineDiscountOnChange(Header, Line, Calculating);
    } catch (...) {
        LogFailure("TfEdPurchase.FielQtyPerUnitOnChange");
    }
}

void PurchPriceIncudingVATOnChange(TClientDataSet& Header, TClientDataSet& Line, bool&) {
    try {
        if (InWriteState(Line)) Line.Post();
        if (!Line.Active() || Line.IsEmpty()) return;
        const Variant current = Line.FieldByName("Id").Value();
        ConvertLinePrices(Header, Line);
        LocateLine(Line, current);
    } catch (...) {
        LogFailure("TfEdPurchase.PriceIncudingVATonChange");
    }
}

void PurchValidateQuantityReceived(TClientDataSet&, TClientDataSet& Line, bool&) {
    if (Num(Line, "QtyToReceive") + Num(Line, "ReceivedQty") - Num(Line, "ReturnedQty") > Num(Line, "Quantity"))
        throw std::runtime_error(GetMessageText("err_QuantityReceivedValidation"));
}

void PurchValidateQuantityInvoiced(TClientDataSet&, TClientDataSet& Line, bool&) {
    if (Num(Line, "QtyToInvoice") + Num(Line, "InvoicedQty") > Num(Line, "Quantity"))
        throw std::runtime_error(
            "Сбора от фактурираното и нефактурираното количество не може да надвишава количеството");
}

}  // namespace tavrek::uPurchCallculations
