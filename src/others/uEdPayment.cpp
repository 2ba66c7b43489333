#include "others/uEdPayment.h"

#include "base/forms/EAbort.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "others/uOthersPackage.h"

namespace tavrek {

TfEdPayment::TfEdPayment() {
    MasterProvider = "D_VendorPayment";
    MasterTable = "D_VendorPayment";
    acPostDocument.Visible = true;
    acPostDocument.Caption = "Осчетоводяване";
    acAnnulDocument.Visible = true;
    acAnnulDocument.OnUpdate = [this](TAction& a) { a.Enabled = IsPosted() && !IsAnnulled(); };
    Description.AddFields({
        {"DocumentDate", "Дата", TFieldKind::fkDate, ""},
        {"Amount", "Сума за плащане", TFieldKind::fkNumber, ""},
        {"Account_Id", "Платежна сметка", TFieldKind::fkLookup, ""},
        {"Description", "Основание", TFieldKind::fkText, ""},
    });
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, ""},
        {"Amount_LCY", "Сума (евро)", TFieldKind::fkNumber, ""},
        {"N_Contragent_Code", "Код на доставчика", TFieldKind::fkText, ""},
        {"N_Contragent_Name", "Доставчик", TFieldKind::fkText, ""},
        {"AppliesToDocNo", "Плаща документ", TFieldKind::fkText, ""},
        {"OpenAmount", "Остатък за плащане", TFieldKind::fkNumber, ""},
        {"Currency_Id", "Валута", TFieldKind::fkText, ""},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, ""},
        {"Posted", "Осчетоводено", TFieldKind::fkFlag, ""},
        {"Annul", "Анулирано", TFieldKind::fkFlag, ""},
    });
    for (const char* amount : {"Amount", "OpenAmount", "Amount_LCY"}) Description.FindField(amount)->DisplayFormat = "0.00";
    accountLookup_.Field = "Account_Id";
    accountLookup_.Caption = "сметка";
    accountLookup_.MasterTable = "G_LAccount";
    accountLookup_.Copies = {{"Id", "Account_Id", true}};
}

const TLookupDefinition* TfEdPayment::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsMaster && EqualsIgnoreCase(field, accountLookup_.Field)) return &accountLookup_;
    return TfBaseEditMaster::LookupOf(dataSet, field);
}

bool TfEdPayment::FlagSet(const char* field) {
    TField* flag = cdsMaster.FindField(field);
    return cdsMaster.Active() && !cdsMaster.IsEmpty() && flag != nullptr && flag->AsInteger() == 1;
}

bool TfEdPayment::CheckDataModification() {
    const bool editable = TfBaseEditMaster::CheckDataModification();
    if (IsPosted()) ReadOnly = true;
    acPostDocument.Enabled = !ReadOnly;
    return editable && !ReadOnly;
}

void TfEdPayment::ApplyDefaultValues(const TDefaultValues& values) {
    TfBaseEditMaster::ApplyDefaultValues(values);
    ProposePayment();
}

void TfEdPayment::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfBaseEditMaster::AttachDynamicEvents(dataSet);
    if (&dataSet != &cdsMaster) return;
    cdsMaster.FieldByName("Amount").OnChange = [this](TField& amount) {
        cdsMaster.FieldByName("Amount_LCY")
            .SetAsFloat(RoundUp(amount.AsFloat() * cdsMaster.FieldByName("CurrencyFactor").AsFloat(), 2));
    };
}

// What is open of the paid document in its currency, its vendor, and the account payments
// go out of.
void TfEdPayment::ProposePayment() {
    const Variant document = cdsMaster.FieldByName("AppliesToDoc_Id").Value();
    TRequestResult entry;
    dm().Server().RequestValue(0, "G_ContragentEntry", "CurrencyFactor,Currency_Id",
                               TFilter().Add("G_ContragentEntry.Document_Id", "=", document), entry);
    const Variant factor = entry.ByName("CurrencyFactor"), currency = entry.ByName("Currency_Id");
    dm().Server().RequestValue(0, "dv_ContragentEntry",
                               "Contragent_ID,Contragent_Code,Contragent_Name,DocumentNo,Remaining_ACY",
                               TFilter().Add("dv_ContragentEntry.Document_Id", "=", document), entry);
    TRequestResult setup;
    dm().Server().RequestValue(0, "C_PurchasesSetup", "DirectPayAccount",
                               TFilter().Add("C_PurchasesSetup.Id", "=", LocalData().CompanyId), setup);
    const double open = std::abs(entry.ByName("Remaining_ACY").AsFloat());
    if (cdsMaster.State() == TDataSetState::dsBrowse) cdsMaster.Edit();
    const auto set = [this](const char* field, const Variant& value) { cdsMaster.FieldByName(field).SetValue(value); };
    if (!entry.Empty()) set("Contragent_Id", entry.ByName("Contragent_ID"));
    set("N_Contragent_Code", entry.ByName("Contragent_Code"));
    set("N_Contragent_Name", entry.ByName("Contragent_Name"));
    set("AppliesToDocNo", entry.ByName("DocumentNo"));
    set("Currency_Id", currency);
    set("CurrencyFactor", factor.IsNull() || factor.AsFloat() == 0 ? Variant(1.0) : factor);
    set("OpenAmount", open);
    set("Amount", open);
    set("DocumentDate", Variant(TDateTime::Today()));
    set("Account_Id", setup.Value());
    set("Description", "Плащане по документ " + entry.ByName("DocumentNo").AsString());
    set("User_Id", LocalData().UserId);
}

void TfEdPayment::CheckAmount() {
    const double amount = RoundUp(cdsMaster.FieldByName("Amount").AsFloat(), 2);
    if (amount <= 0) AbortWithError("err_PaymentAmountNotPositive", "Въведете сума на плащането, по-голяма от нула.");
    if (amount > RoundUp(cdsMaster.FieldByName("OpenAmount").AsFloat(), 2))
        AbortWithError("err_PaymentExceedsRemaining", "Сумата на плащането е по-голяма от остатъка за плащане.");
}

void TfEdPayment::PostDocument(bool print) {
    if (ReadOnly) AbortWithError("err_DocumentIsReadOnly", "Документът не може да бъде променян.");
    CheckAmount();
    TfBaseEditMaster::PostDocument(print);
    RunOnServer("usp_PostVendorPayment", "err_PostingPayment", "Плащането не беше осчетоводено.");
}

void TfEdPayment::acAnnulDocumentExecute() {
    TfBaseEditMaster::acAnnulDocumentExecute();
    if (!IsPosted() || IsAnnulled()) return;
    if (MessageDlgEx(GetMessageText("que_AnnulPayment", "Да бъде ли анулирано плащането?"),
                     TMsgDlgType::mtConfirmation, mbYesNo) != mrYes)
        return;
    RunOnServer("usp_AnnulVendorPayment", "err_AnnulPayment", "Плащането не беше анулирано.");
}

// Runs a payment procedure of the server on this payment and shows what it stored; a
// refusal is shown with the server's reason under the error of the step.
void TfEdPayment::RunOnServer(const char* procedureKey, const char* errorKey, const char* errorText) {
    TWaitCursor wait;
    const std::string id = cdsMaster.FieldByName("Id").AsString();
    TRequestResult result;
    dm().Server().RequestValue(-1,
                               "exec " + GetMessageText(procedureKey, procedureKey) + " " +
                                   uPurchCalcHelpers::QuotedSql(LocalData().CompanyId) + ", " + uPurchCalcHelpers::QuotedSql(id),
                               "Result,ErrMsg", TFilter(), result);
    if (result.Empty() || result.ByName("Result").AsInteger() < 0) {
        const std::string reason = result.ByName("ErrMsg").AsString();
        MessageDlgEx(GetMessageText(errorKey, errorText) + (reason.empty() ? "" : "\r\n" + reason),
                     TMsgDlgType::mtError, mbOK);
        throw EAbort();
    }
    ReadBackSavedData();
    CheckDataModification();
}

namespace uEdPayment {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdPayment", [] { return std::make_unique<TfEdPayment>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPayment
}  // namespace tavrek
