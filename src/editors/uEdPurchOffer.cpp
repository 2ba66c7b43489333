#include "editors/uEdPurchOffer.h"

#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;

TfEdPurchOffer::TfEdPurchOffer()
    : acCreateOrder(AcListBase.Add("acCreateOrder", "Създай поръчка", "Документ")),
      acCreatePurch(AcListBase.Add("acCreatePurch", "Създай доставка", "Документ")) {
    MasterProvider = "D_PurchHeader";
    DetailProvider = "D_PurchaseLine";
    MasterTable = "D_PurchHeader";
    NumberSeriesSetupField = "Offer_Series_Id";
    HidePostingActions();
    BindAction(acCreateOrder, "acCreateOrderExecute", [this] { acCreateOrderExecute(); });
    BindAction(acCreatePurch, "acCreatePurchExecute", [this] { acCreatePurchExecute(); });
    pmDocument.Add("miCreateOrder", acCreateOrder);
    pmDocument.Add("miCreatePurch", acCreatePurch);
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { SetNewDocumentDefaults(); };
    DescribeLayout();
}

void TfEdPurchOffer::SetNewDocumentDefaults() {
    const TDateTime today = TDateTime::Today();
    PurchSetEmptyFieldsQuietly(cdsMaster, {
        {"DocumentType", Variant(int64_t{20})}, {"DocumentDate", Variant(today)},
        {"CurrencyFactor", Variant(1.0)},       {"PriceIncludingVAT", Variant(int64_t{0})},
        {"BusinessGroup_Id", Variant(LocalData().BusinessGroupId)}});
}

void TfEdPurchOffer::DescribeLayout() {
    Description.Caption = "Оферта за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    using K = TFieldKind;
    Description.AddFields({
        {"DocumentNo", "Номер", K::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", K::fkLookup, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", K::fkLookup, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", K::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", K::fkDate, "tsMainData"},
        {"VendorOrderNo", "Оферта на доставчика", K::fkText, "tsMainData"},
        {"RequestedReceiptDate", "Желана дата на получаване", K::fkDate, "tsMainData"},
        {"Comment", "Коментар", K::fkText, "tsMainData"},
        {"DocStatus", "Превърната", K::fkFlag, "tsMainData"},
        {"PayMethod_Id", "Начин на плащане", K::fkLookup, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", K::fkLookup, "tsFinanceData"},
        {"Currency_Id", "Валута", K::fkLookup, "tsFinanceData"},
        {"CurrencyFactor", "Курс", K::fkNumber, "tsFinanceData"},
        {"PriceIncludingVAT", "Цени с ДДС", K::fkFlag, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", K::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", K::fkNumber, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", K::fkCombo, "tsFinanceData"},
    });
    AddStandardLookups();
    for (const char* readOnly : {"N_Contragent_Name", "TotalValue", "TotalVAT", "DocStatus"})
        Description.FindField(readOnly)->ReadOnly = true;
    AddLineColumns({{"Line_No", "Ред"},
                    {"Type", "Вид"},
                    {"Code", "Код"},
                    {"Description", "Описание"},
                    {"Measure_Id", "Мярка"},
                    {"Quantity", "Количество"},
                    {"DirectUnitCost_ACY", "Ед. цена"},
                    {"LineDiscount", "Отстъпка %"},
                    {"TotalValue", "Без ДДС"},
                    {"TotalVAT", "С ДДС"}});
}

void TfEdPurchOffer::FormCreate() {
    TfEdBasePurchDocument::FormCreate();
    SetSidePanelRows({"Карта", "Разполагаем кредит", "Просрочени задължения", "История"},
                     {"Карта (F11)", "История (F10)", "Нал. по обекти (F12)", "Заменими артикули", "Цени"});
}

void TfEdPurchOffer::FormShow() {
    TfEdBasePurchDocument::FormShow();
    FillLedgerSubjectTypes();
}

void TfEdPurchOffer::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdBasePurchDocument::AttachDynamicEvents(dataSet);
    AttachStandardBinding(dataSet);
    if (&dataSet == &cdsDetail) Bind(dataSet, "Description", &TfEdBasePurchDocument::CodeOnChange);
}

void TfEdPurchOffer::CodeOnChange(TField&) {
    if (Suspended) return;
    uPurchCallculations::PurchCodeOnChange(cdsMaster, cdsDetail, Calculating, Suspended, true);
    GetPanelDetailsDetail();
}

// An offer follows its vendor's price list: every line is repriced without a question.
void TfEdPurchOffer::ContragentFieldOnChange(TField&) {
    if (Calculating || cdsMaster.FieldByName("Contragent_Id").Value().IsEmpty()) return;
    Calculating = true;
    try {
        GetPanelDetailsMaster();
    } catch (...) {
        Calculating = false;
        throw;
    }
    Calculating = false;
    uPurchCallculations::PurchContragentFieldOnChange(cdsMaster, cdsDetail, Calculating, true);
}

bool TfEdPurchOffer::SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) {
    if (field.TargetFields.find("Contragent_Id") != std::string::npos && !AskYesNoKey("queChangeContragent"))
        return false;
    return TfEdBasePurchDocument::SetSelectorAction(field, chosen);
}

void TfEdPurchOffer::PostDocument(bool) {}

void TfEdPurchOffer::acCreateOrderExecute() { Convert("1", kOrderFormNumber); }

void TfEdPurchOffer::acCreatePurchExecute() { Convert("2", kPurchaseFormNumber); }

void TfEdPurchOffer::Convert(const std::string& kind, int targetFormNumber) {
    const std::string id = cdsMaster.FieldByName("Id").AsString();
    if (!QueryToSaveBeforeToDo()) return;
    if (uPurchCalcHelpers::InWriteState(cdsMaster) || uPurchCalcHelpers::InWriteState(cdsDetail)) return;
    const TLocalData& session = LocalData();
    const std::string text = "exec " + GetMessageText("usp_ConvertPurchOffer", "usp_ConvertPurchOffer") + " " +
                             QuotedSql(session.CompanyId) + ", " + QuotedSql(id) + "," + QuotedSql(kind) + "," +
                             QuotedSql(session.BusinessGroupId) + "," + QuotedSql(session.UserId);
    TRequestResult answer;
    dm().Server().RequestValue(-1, text, "Code,ErrMsg", TFilter(), answer);
    const std::string code = answer.ByName("Code").AsString();
    if (code == "-1") {
        MessageDlgEx(answer.ByName("ErrMsg").AsString(), TMsgDlgType::mtError, mbOK);
        return;
    }
    acRefreshExecute();
    RequestForm(targetFormNumber, {soNormal}, TFilter().Add("D_PurchHeader.Id", "=", code), Variant(), Variant(), nullptr,
                {}, this);
}

namespace uEdPurchOffer {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchOffer", TfEdPurchOffer::kFormNumber, [] { return std::make_unique<TfEdPurchOffer>(); },
                      "Оферта за покупка", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchOffer

}  // namespace tavrek
