#include "calc/uPurchStandardBinding.h"

#include "base/data/TClientDataSet.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCallculations.h"

namespace tavrek::uPurchCallculations {

namespace {

using S = const TPurchEditorState&;

// The editor's vendor handler: the rule, repricing existing lines only when the user agrees.
// The vendor's own defaults came with the vendor's lookup.
void RunContragent(S s) {
    if (s.Calculating || s.Header.FieldByName("Contragent_Id").Value().IsEmpty()) return;
    const bool lookupPrice = s.Line.IsEmpty() || AskYesNoKey("queChangeContragent");
    PurchContragentFieldOnChange(s.Header, s.Line, s.Calculating, lookupPrice);
}

constexpr auto H = TBindingRecord::brHeader;
constexpr auto L = TBindingRecord::brLine;

const std::vector<TPurchFieldBinding> kStandardBinding = {
    {H, "Currency_Id", "CurrencyOnChange", "PurchCurrencyOnChange",
     [](S s) { PurchCurrencyOnChange(s.Header, s.Line, s.Calculating); }},
    {H, "PayTerm_Id", "PayTermOnChange", "PurchPayTermOnChange",
     [](S s) { PurchPayTermOnChange(s.Header, s.Line, s.Calculating); }},
    {H, "DocumentDate", "PayTermOnChange", "PurchPayTermOnChange",
     [](S s) { PurchPayTermOnChange(s.Header, s.Line, s.Calculating); }},
    {H, "Contragent_Id", "ContragentFieldOnChange", "PurchContragentFieldOnChange", RunContragent},
    {H, "DocSubType_Id", "SubDocTypeFieldOnChange", "PurchSubDocTypeFieldOnChange",
     [](S s) { PurchSubDocTypeFieldOnChange(s.Header, s.Line, s.Calculating, true); }},
    {H, "PriceIncludingVAT", "PriceIncudingVATOnChange", "PurchPriceIncudingVATOnChange",
     [](S s) { PurchPriceIncudingVATOnChange(s.Header, s.Line, s.Calculating); }},
    {H, "BusinessGroup_Id", "BusinessGroupOnChange", "PurchBusinessGroupOnChange",
     [](S s) { PurchBusinessGroupOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "Quantity", "QuantityOnChange", "PurchQuantityOnChange",
     [](S s) { PurchQuantityOnChange(s.Header, s.Line, s.Calculating, s.Suspended, true); }},
    {L, "Measure_Id", "MeasureOnChange", "PurchMeasureOnChange",
     [](S s) { PurchMeasureOnChange(s.Header, s.Line, s.Calculating, s.Suspended, true); }},
    {L, "Code", "CodeOnChange", "PurchCodeOnChange",
     [](S s) { PurchCodeOnChange(s.Header, s.Line, s.Calculating, s.Suspended, true); }},
    {L, "DirectUnitCost_ACY", "LineDiscountOnChange", "PurchLineDiscountOnChange",
     [](S s) { PurchLineDiscountOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "LineDiscount", "LineDiscountOnChange", "PurchLineDiscountOnChange",
     [](S s) { PurchLineDiscountOnChange(s.Header, s.Line, s.Calculating); }},
    // The amount follows the percentage: a typed amount is recomputed from LineDiscount.
    {L, "LineDiscountAmount", "LineDiscountAmountOnChange", "PurchLineDiscountOnChange",
     [](S s) { PurchLineDiscountOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "UnitCost_LCY", "UnitCost_LCYOnChange", "PurchUnitCost_LCYOnChange",
     [](S s) { PurchUnitCost_LCYOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "UnitCost_ACY", "UnitCost_ACYOnChange", "PurchUnitCost_ACYOnChange",
     [](S s) { PurchUnitCost_ACYOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "IndirectCostPercent", "IndirectCostPercentOnChange", "PurchIndirectCostPercentOnChange",
     [](S s) { PurchIndirectCostPercentOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "TotalPrice", "TotalPriceOnChange", "PurchTotalPriceOnChange",
     [](S s) { PurchTotalPriceOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "AllowInvoiceDisc", "AllowInvoiceDiscOnChange", "PurchAllowInvoiceDiscOnChange",
     [](S s) { PurchAllowInvoiceDiscOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "InvDiscAmount", "InvDiscAmountOnChange", "PurchInvDiscAmountOnChange",
     [](S s) { PurchInvDiscAmountOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "VATProdPostGroup_Id", "VATProdPostingGroupOnChange", "PurchVATProdPostingGroupOnChange",
     [](S s) { PurchVATProdPostingGroupOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "GenProdPostGroup_Id", "GenProdPostingGroupOnChange", "PurchGenProdPostingGroupOnChange",
     [](S s) { PurchGenProdPostingGroupOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "VATBusPostGroup_Id", "VATBusPostingGroupOnChange", "PurchVATBusPostingGroupOnChange",
     [](S s) { PurchVATBusPostingGroupOnChange(s.Header, s.Line, s.Calculating); }},
    {L, "QtyPerUnitOfMeasure", "QtyPerUnitOfMeasureOnChange", "PurchQtyPerUnitOfMeasureOnChange",
     [](S s) { PurchQtyPerUnitOfMeasureOnChange(s.Header, s.Line, s.Calculating); }},
};

TClientDataSet& DataSetOf(const TPurchEditorState& state, TBindingRecord record) {
    return record == TBindingRecord::brHeader ? state.Header : state.Line;
}

}  // namespace

const std::vector<TPurchFieldBinding>& PurchStandardBinding() { return kStandardBinding; }

void AttachPurchStandardBinding(const TPurchEditorState& state) {
    AttachPurchStandardBinding(state, [state](const TPurchFieldBinding& entry) -> std::function<void(TField&)> {
        return [state, run = entry.Run](TField&) { run(state); };
    });
}

void AttachPurchStandardBinding(const TPurchEditorState& state, const TPurchHandlerFactory& handlerFor) {
    for (const TPurchFieldBinding& entry : kStandardBinding)
        if (TField* field = DataSetOf(state, entry.Record).FindField(entry.Field)) field->OnChange = handlerFor(entry);
}

void DetachPurchStandardBinding(TClientDataSet& Header, TClientDataSet& Line) {
    for (const TPurchFieldBinding& entry : kStandardBinding) {
        TClientDataSet& dataSet = entry.Record == TBindingRecord::brHeader ? Header : Line;
        if (TField* field = dataSet.FindField(entry.Field)) field->OnChange = nullptr;
    }
}

}  // namespace tavrek::uPurchCallculations
