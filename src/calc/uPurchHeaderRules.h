#pragma once

namespace tavrek {
class TClientDataSet;
}

// Rules for header fields (vendor, subtype, currency, payment terms, business group) and for
// the posting groups of a line. Reached through calc/uPurchCallculations.h.
//
// Server calls and the answers read (column order as listed; RequestValue counts rows):
// - vendor defaults: GetContragentParams(Contragent_Id), one row read by column name: Code,
//   Name, Bulstat, VATRegistrationNo (into N_Contragent_Code, _Name, _Bulstat,
//   _VATRegistrationNo), GenBusPostGroup_Id, VATBusPostGroup_Id, CntrPostingGroup_Id, PayTerm_Id.
// - payment method: RequestValue(0, "fn_GetDocPayMethod('<company>','<business group>',
//   '<user>',1,'<DocSubType_Id>','<Contragent_Id>')", "PayMethod_Id"); the function name is
//   the text of message key "proc_GetDocPayMethod".
// - subtype: RequestValue(0, "N_SubDocument", "Post_Series_Id, PaymentMethod", Id and Comp_Id).
// - due days: RequestValue(0, "N_PaymentTerms", "DueDateCalculation", Id): whole days.
// - VAT rate: RequestValue(0, "G_VATPostingSetup", "VATPercent, VATCalculationType,
//   PurchaseVATLedger", VATBus_PostingGroup, VATProd_PostingGroup, Comp_Id).
// - currency factor: GetCurrencyRate(Currency_Id, DocumentDate, 1), 0 when there is no rate.
namespace tavrek::uPurchCallculations {

// Copies the vendor's defaults that GetContragentParams answers into the header fields that the
// header has; values that are empty or unchanged are not written.
void PurchContragentDefaults(TClientDataSet& Header);

// The vendor changed: default payment method (its failures pass on), then every line is
// repriced (when LookupPrice), takes the header's posting groups and currency, its VAT rate and
// amounts. The line loop logs "TfEdPurchase.ContragentFieldOnChange"; the last line stays current.
void PurchContragentFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice);
// The subtype changed: Series_Id and PayMethod_Id from the subtype ("Error Getting VAT Series!"
// when it is not found), then, when the user agrees ("queReCalculateDiscount"), every line is
// repriced. The line loop logs "fEdPurchase.SubDocTypeFieldOnChange".
void PurchSubDocTypeFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice);
// The currency changed: new CurrencyFactor, and every line's price converted so that it keeps
// its local value. Tests the flag but leaves it clear. Logs "fEdPurchase.CurrencyOnChange".
void PurchCurrencyOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// DueDate := DocumentDate + due days of PayTerm_Id. Logs "TfEdPurchase.PayTermOnChange".
void PurchPayTermOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The line's VAT rate from its posting groups; a VAT-inclusive price keeps the unit cost.
// Logs "fEdPurchase.VATProdPostingGroupOnChange".
void PurchVATProdPostingGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchGenProdPostingGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchVATBusPostingGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// Every line takes the header's BusinessGroup_Id; the line dataset's AfterPost is detached for
// the walk. Logs "PurchBusinessGroupOnChange".
void PurchBusinessGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

}  // namespace tavrek::uPurchCallculations
