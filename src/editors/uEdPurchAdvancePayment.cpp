#include "editors/uEdPurchAdvancePayment.h"

#include "base/forms/TFormRegistry.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCallculations.h"

namespace tavrek {

using namespace uPurchCallculations;

TfEdPurchAdvancePayment::TfEdPurchAdvancePayment() {
    NewDocumentType = uEdPurchAdvancePayment::kDocumentType;
    acAddAdvancePayment.Visible = false;
    cdsMaster.AfterInsert = [this](TClientDataSet&) {
        RunGuarded(OperationName("cdsMasterAfterScroll"), [this] { cdsMasterAfterScroll(); });
    };
    cdsMaster.AfterScroll = cdsMaster.AfterInsert;
    DescribeAdvanceLayout();
}

void TfEdPurchAdvancePayment::DescribeAdvanceLayout() {
    Description.Caption = "Авансово плащане";
    Description.AddPage("tsForeignTrade", "Външна търговия");
    Description.AddFields({
        {"Code", "Сметка", TFieldKind::fkLookup, "tsMainData"},
        {"DirectUnitCost_ACY", "Сума", TFieldKind::fkNumber, "tsMainData"},
        {"VATProdPostGroup_Id", "ДДС група", TFieldKind::fkLookup, "tsMainData"},
        {"Description", "Описание", TFieldKind::fkText, "tsMainData"},
        {"Description2", "Описание 2", TFieldKind::fkText, "tsMainData"},
        {"AccountDimension_Id", "Аналитичност", TFieldKind::fkText, "tsMainData"},
        {"GlobalDimension_Id", "Глобална аналитичност", TFieldKind::fkText, "tsMainData"},
        {"CntrPostingGroup_Id", "Група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"VATBusPostGroup_Id", "ДДС група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"GenBusPostGroup_Id", "Група за осчетоводяване", TFieldKind::fkText, "tsFinanceData"},
    });
    AddForeignTradeFields("tsForeignTrade");
    for (const char* lineField : {"Code", "DirectUnitCost_ACY", "VATProdPostGroup_Id", "Description", "Description2",
                                  "AccountDimension_Id", "GlobalDimension_Id"})
        Description.FindField(lineField)->DataSet = "cdsDetail";
}

void TfEdPurchAdvancePayment::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdPurchase::AttachDynamicEvents(dataSet);
    if (&dataSet != &cdsMaster) return;
    using H = void (TfEdBasePurchDocument::*)(TField&);
    Bind(dataSet, "GenBusPostGroup_Id", static_cast<H>(&TfEdPurchAdvancePayment::GenBusPostGroupMasterOnChange));
    Bind(dataSet, "VATBusPostGroup_Id", static_cast<H>(&TfEdPurchAdvancePayment::VATBusPostGroupMasterOnChange));
}

void TfEdPurchAdvancePayment::cdsMasterAfterScroll() {
    if (cdsMaster.State() != TDataSetState::dsInsert || !cdsDetail.Active() || !cdsDetail.IsEmpty()) return;
    InsertAdvanceLine();
}

// The line of the advance: an account line of one unit whose price is the amount.
void TfEdPurchAdvancePayment::InsertAdvanceLine() {
    FillNewRecordKeys(*FindFormDataSet(cdsMaster));
    cdsDetail.Append();
    const bool saved = Suspended;
    Suspended = true;
    cdsDetail.FieldByName("Type").SetAsInteger(2);
    cdsDetail.FieldByName("Quantity").SetAsFloat(1.0);
    cdsDetail.FieldByName("QtyPerUnitOfMeasure").SetAsFloat(1.0);
    Suspended = saved;
    cdsDetail.Post();
}

void TfEdPurchAdvancePayment::ContragentFieldOnChange(TField&) {
    if (Calculating) return;
    GetPanelDetailsMaster();
    PurchContragentFieldOnChange(cdsMaster, cdsDetail, Calculating, true);
}

// The vendor's own lookup brings its groups; No to the question keeps the old vendor.
bool TfEdPurchAdvancePayment::SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) {
    const bool vendor = field.FieldName == "N_Contragent_Code" || field.TargetFields.find("Contragent_Id") != std::string::npos;
    if (vendor && HasLines() && !AskYesNoKey("queChangeContragent")) return false;
    return TfEdBasePurchDocument::SetSelectorAction(field, chosen);
}

void TfEdPurchAdvancePayment::GenBusPostGroupMasterOnChange(TField&) { CopyHeaderFieldToLines("GenBusPostGroup_Id"); }

void TfEdPurchAdvancePayment::VATBusPostGroupMasterOnChange(TField&) {
    if (cdsDetail.IsEmpty()) InsertAdvanceLine();
    CopyHeaderFieldToLines("VATBusPostGroup_Id");
}

// An advance without its account cannot be booked: nothing is saved and the line stays for
// the user to complete.
void TfEdPurchAdvancePayment::acSaveExecute() {
    cdsDetail.CheckBrowseMode();
    if (cdsDetail.IsEmpty() || cdsDetail.FieldByName("Code").Value().IsEmpty()) {
        ShowErrorKey("err_PurchAdvancePaymentAccountNotSelected", "Не е избрана сметка за авансови плащания.");
        return;
    }
    TfEdPurchase::acSaveExecute();
}

namespace uEdPurchAdvancePayment {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchAdvancePayment", kFormNumber,
                      [] { return std::make_unique<TfEdPurchAdvancePayment>(); }, "Авансово плащане",
                      TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchAdvancePayment

}  // namespace tavrek
