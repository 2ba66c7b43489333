#include "documents/uCrMemoSetOff.h"

#include "base/data/TFilter.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"

namespace tavrek {

TRequestResult TCrMemoSetOff::CreditedInvoice(TClientDataSet& header, const std::string& fields) {
    TFilter filter;
    filter.Add("D_PurchInvoiceHeader.VendorInvoiceNo", "=", FieldValue(header, "ToInvoiceNo"), "AND")
        .Add("D_PurchInvoiceHeader.Contragent_Id", "=", FieldValue(header, "Contragent_Id"), "AND")
        .Add("D_PurchInvoiceHeader.Comp_id", "=", FieldValue(header, "Comp_id"), "AND")
        .Add("D_PurchInvoiceHeader.IsGlobalInvoice", "=", 0, "AND")
        .Add("D_PurchInvoiceHeader.Annul", "=", 0);
    TRequestResult invoice;
    dm().Server().RequestValue(0, "D_PurchInvoiceHeader", fields, filter, invoice);
    return invoice;
}

TCrMemoSetOff::TCrMemoSetOff(TClientDataSet& header) : header_(header) {
    if (FieldValue(header, "ToInvoiceNo").IsEmpty() || header.FindField("AppliesToDoc_Id") == nullptr) return;
    const TRequestResult invoice = CreditedInvoice(header, "Id, Remaining");
    // Owed to the cent: a rounding rest is no debt to set off against.
    offered_ = !invoice.Empty() && RoundUp(invoice.ByName("Remaining").AsFloat(), 2) > 0.0;
    if (offered_) invoiceId_ = invoice.ByName("Id");
}

std::string TCrMemoSetOff::SetOffCaption() const {
    return FormatMessage(GetMessageText("str_ApplyCrMemoToInvoice", "Приспадане от задължението по фактура %s"),
                         {FieldValue(header_, "ToInvoiceNo").AsString()});
}

int TCrMemoSetOff::Ask(bool& setOff) const {
    const std::string title = GetMessageText("str_FormTitle", "Кредитно известие");
    const std::string question =
        GetMessageText("str_PurchCrMemoQuestion", "Какво кредитира известието на доставчика?");
    const std::string options = GetMessageText(
        "str_PurchCrMemoOptions", "Връщане на стока към доставчика\nНамаление на цената (без движение на стока)");
    if (!offered_) return dm().Dialogs().ChooseOption(title, options, question);
    return dm().Dialogs().ChooseOptionWithFlag(title, options, SetOffCaption(), setOff, question);
}

bool TCrMemoSetOff::AskSetOff() const {
    return MessageDlgEx(SetOffCaption() + "?", TMsgDlgType::mtConfirmation, mbYesNo) == mrYes;
}

bool TCrMemoSetOff::Apply(bool setOff) {
    const Variant appliesTo = setOff ? invoiceId_ : Variant();
    if (FieldValue(header_, "AppliesToDoc_Id").AsString() == appliesTo.AsString()) return false;
    if (header_.State() == TDataSetState::dsBrowse) header_.Edit();
    header_.FieldByName("AppliesToDoc_Id").SetValue(appliesTo);
    header_.Post();
    return true;
}

}  // namespace tavrek
