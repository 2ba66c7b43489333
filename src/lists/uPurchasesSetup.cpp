#include "lists/uPurchasesSetup.h"

#include "base/forms/TFormRegistry.h"
#include "base/server/PurchasesSetupAccounts.h"
#include "base/session/LocalData.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

// The two cost flags keep "False" when ticked: posting updates the item's cost only while
// the stored value is "True", so a ticked box stops the update and says so.
void AddInvertedFlag(TFormDescription& description, const std::string& field, const std::string& caption) {
    description.AddFields({{field.c_str(), caption.c_str(), TFieldKind::fkFlag, "tsGeneral"}});
    THeaderField* flag = description.FindField(field);
    flag->CheckedValue = "False";
    flag->UncheckedValue = "True";
}

// An account of the setup is typed by its code, or chosen from the company's chart with F2.
TLookupDefinition AccountLookup(const char* field) {
    TLookupDefinition lookup;
    lookup.Field = field;
    lookup.Caption = "сметка";
    lookup.MasterTable = "G_LAccount";
    lookup.KeyColumn = "Code";  // the setup keeps the account's code
    lookup.Copies = {{"Code", field, false}};
    return lookup;
}

// Series whose captions stand twice are told apart by what they number.
constexpr std::pair<const char*, const char*> kSeriesHints[] = {
    {"PostedReturnShpt_Series_Id", "Осчетоводени връщания на стока по поръчка"},
    {"PostRejectOrderSeries_Id", "Осчетоводени откази от поръчка"},
    {"PurchProtocol_Series_Id", "Протоколи към фактури за покупка"},
    {"PostPurchProtocol_Series_Id", "Осчетоводени протоколи към фактури за покупка"},
    {"PurchCrMemoProtocol_Series_Id", "Протоколи към кредитни известия"},
    {"PostPurchCrMemoProt_Series_Id", "Осчетоводени протоколи към кредитни известия"},
};

}  // namespace

TfPurchasesSetup::TfPurchasesSetup() {
    MasterProvider = "C_PurchasesSetup";
    MasterTable = "C_PurchasesSetup";
    Description.AddPage("tsGeneral", "Общи настройки");
    Description.AddPage("tsNumbering", "Числени серии");
    Description.AddPage("tsOther", "Други настройки");
    AddInvertedFlag(Description, "Update_ItemDirectCost", "Без обновяване на доставната цена на артикула");
    AddInvertedFlag(Description, "UpdateAVGUnitCost", "Без изч. на средна себестойност");
    Description.AddFields({
        {"AdvancePaymentAccount", "Сметка за авансови плащания", TFieldKind::fkLookup, "tsGeneral"},
        {"ProtocolTransitAccount", "Транзитна сметка за протоколи", TFieldKind::fkLookup, "tsGeneral"},
        {"PurchProtocol_Code", "Код на протокол за доставки", TFieldKind::fkText, "tsGeneral"},
        {"PurchCRMemoProtocol_Code", "Код на протокол към кредитно известие", TFieldKind::fkText, "tsGeneral"},
        {"AllowPostingFrom", "Разрешено осчетоводяване от", TFieldKind::fkDate, "tsGeneral"},
        {"AllowPostingTo", "Разрешено осчетоводяване до", TFieldKind::fkDate, "tsGeneral"},
        {"OrderApprovalAmount", "Одобряване на поръчки над (без ДДС, лв./евро на книгите)", TFieldKind::fkNumber, "tsGeneral"},
        {"ReceiptsNotInvoicedAccount", "Сметка за получени и нефактурирани", TFieldKind::fkLookup, "tsOther"},
        {"FutureCostsAccount", "Сметка за бъдещи разходи", TFieldKind::fkLookup, "tsOther"},
        {"DirectPayAccount", "Сметка за плащане при осчетоводяване", TFieldKind::fkLookup, "tsOther"},
        {"Offer_Series_Id", "Оферта", TFieldKind::fkText, "tsNumbering"},
        {"Order_Series_Id", "Поръчка ", TFieldKind::fkText, "tsNumbering"},
        {"Invoice_Series_Id", "Фактура", TFieldKind::fkText, "tsNumbering"},
        {"PostedInvoice_Series_Id", "Осчет. ф-ра", TFieldKind::fkText, "tsNumbering"},
        {"CreditMemo_Series_Id", "Кредитно известие", TFieldKind::fkText, "tsNumbering"},
        {"PostedCrMemo_Series_Id", "Осчет. кредитно известие", TFieldKind::fkText, "tsNumbering"},
        {"PostedReceipt_Series_Id", "Серия за осч. склад. разписки", TFieldKind::fkText, "tsNumbering"},
        {"PostedReturnShpt_Series_Id", "Серия за осч.експ.бел.за рекл.", TFieldKind::fkText, "tsNumbering"},
        {"PostRejectOrderSeries_Id", "Серия за осч.експ.бел.за рекл.", TFieldKind::fkText, "tsNumbering"},
        {"PostOrderSeries_Id", "Серия за осч. поръчка", TFieldKind::fkText, "tsNumbering"},
        {"PurchProtocol_Series_Id", "Протокол доставки", TFieldKind::fkText, "tsNumbering"},
        {"PostPurchProtocol_Series_Id", "Осч. протокол доставки", TFieldKind::fkText, "tsNumbering"},
        {"PurchCrMemoProtocol_Series_Id", "Протокол доставки", TFieldKind::fkText, "tsNumbering"},
        {"PostPurchCrMemoProt_Series_Id", "Осч. протокол доставки", TFieldKind::fkText, "tsNumbering"},
        {"PurchOrdSegg_Series_Id", "Предложение за поръчки", TFieldKind::fkText, "tsNumbering"},
        {"PurchOrdImpSeries_id", "Импорт на поръчки", TFieldKind::fkText, "tsNumbering"},
        {"PurchOrderBuf_Series_Id", "Буфер на поръчка", TFieldKind::fkText, "tsNumbering"},
        {"VendorPayment_Series_Id", "Плащане към доставчик", TFieldKind::fkText, "tsNumbering"},
    });
    for (const auto& [field, hint] : kSeriesHints) Description.FindField(field)->Hint = hint;
    for (const char* field : kPurchasesSetupAccountFields) accountLookups_.push_back(AccountLookup(field));
    for (TAction* action : {&acInsertRecord, &acDeleteRecord, &acPrint, &acPostDocument, &acPostAndPrintDocument,
                            &acReCalcDocument, &acAnnulDocument, &acSetCurrencyFactor})
        action->Visible = false;
}

const TLookupDefinition* TfPurchasesSetup::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsMaster)
        for (const TLookupDefinition& lookup : accountLookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditMaster::LookupOf(dataSet, field);
}

void TfPurchasesSetup::FormCreate() {
    TfBaseEditMaster::FormCreate();
    Filter = KeyFilter(Variant(LocalData().CompanyId));
}

namespace uPurchasesSetup {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfPurchasesSetup", TfPurchasesSetup::kFormNumber,
                      [] { return std::make_unique<TfPurchasesSetup>(); }, "Настройки на покупките",
                      TFormGroup::fgSetup);
}

void Finalization() { ++initializationCounter; }

}  // namespace uPurchasesSetup
}  // namespace tavrek
