#include "documents/uEdBasePurchDocument.h"

#include <map>
#include <stdexcept>
#include <utility>

#include "base/errors/TELException.h"
#include "base/forms/EAbort.h"
#include "base/forms/RequestForm.h"
#include "base/forms/Selectors.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/server/ServerQueries.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentHistory.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uPurchPrintForms.h"

namespace tavrek {

using namespace uPurchCallculations;
using uPurchCalcHelpers::QuotedSql;
using uPurchCalcHelpers::TCalcGuard;

bool TfEdBasePurchDocument::bAdvanceSelectedRecords = false;

namespace {

double Num(TClientDataSet& ds, std::string_view field) { return ds.FieldByName(field).AsFloat(); }

void SetNum(TClientDataSet& ds, std::string_view field, double value) { ds.FieldByName(field).SetAsFloat(value); }

int A() { return LocalData().AmountDecimals; }

int U() { return LocalData().UnitPriceDecimals; }

std::string Amount(const Variant& value) { return value.IsNull() ? "" : AmountText(value.AsFloat()); }

void OpenForm(int number, const TFilter& filter, const TDefaultValues& defaults, TfBase* caller) {
    RequestForm(number, {soNormal}, filter, Variant(), Variant(), nullptr, defaults, caller);
}

}  // namespace

TfEdBasePurchDocument::TfEdBasePurchDocument()
    : acShowArticleMap(AcListBase.Add("acShowArticleMap", "Карта на артикул", "Ред")),
      acAddAdvancePayment(AcListBase.Add("acAddAdvancePayment", "Добавяне на авансови плащания", "Документ")),
      acItemCard(AcListBase.Add("acItemCard", "Карта", "Ред")),
      acItemHistory(AcListBase.Add("acItemHistory", "История", "Ред")),
      acAvalByBG(AcListBase.Add("acAvalByBG", "Нал. по обекти", "Ред")) {
    pFloat.AddList("ControlListFastRelationship", "Доставчици ", {});
    pFloat.AddList("ControlListItems", "Артикул", {});
    acSetCurrencyFactor.Visible = true;
    // The number comes from the series: a buyer starts from the vendor.
    Description.FirstField = "N_Contragent_Code";
    acAddAdvancePayment.Visible = false;
    acItemCard.ShortCut = "F11";
    acItemHistory.ShortCut = "F10";
    acAvalByBG.ShortCut = "F12";
    BindAction(acSetCurrencyFactor, "acSetCurrencyFactorExecute", [this] { acSetCurrencyFactorExecute(); });
    BindAction(acAddAdvancePayment, "acAddAdvancePaymentExecute", [this] { acAddAdvancePaymentExecute(); });
    BindAction(acShowArticleMap, "acShowArticleMapExecute", [this] { acItemCardExecute(); });
    BindAction(acItemCard, "acItemCardExecute", [this] { acItemCardExecute(); });
    BindAction(acItemHistory, "acItemHistoryExecute", [this] { acItemHistoryExecute(); });
    BindAction(acAvalByBG, "acAvalByBGExecute", [this] { acAvalByBGExecute(); });
    pmLine.Add("miShowArticleMap", acShowArticleMap);
    pmDocument.Add("miAddAdvancePayment", acAddAdvancePayment);
    ControlListFastRelationship().OnClick = [this](int row) {
        RunGuarded(OperationName("ControlListFastRelationshipClick"), [this, row] { ContragentPanelClick(row); });
    };
    ControlListItems().OnClick = [this](int row) {
        RunGuarded(OperationName("ControlListItemsClick"), [this, row] { ItemPanelClick(row); });
    };
    cdsDetail.AfterDelete = [this](TClientDataSet&) {
        RunGuarded("TfEdBasePurchDocument.cdsDetailAfterPost",
                   [this] { PurchCopyLineTotalsToHeader(cdsMaster, cdsDetail); });
    };
}

TPanelList& TfEdBasePurchDocument::ControlListFastRelationship() { return *pFloat.FindList("ControlListFastRelationship"); }

TPanelList& TfEdBasePurchDocument::ControlListItems() { return *pFloat.FindList("ControlListItems"); }

void TfEdBasePurchDocument::SetSidePanelRows(std::initializer_list<const char*> vendorRows,
                                             std::initializer_list<const char*> itemRows) {
    for (auto& [list, captions] : {std::pair{&ControlListFastRelationship(), vendorRows}, std::pair{&ControlListItems(), itemRows}}) {
        list->Rows.clear();
        for (const char* caption : captions) list->Rows.push_back({caption, ""});
    }
}

// Binding.

void TfEdBasePurchDocument::Bind(TClientDataSet& dataSet, const char* fieldName,
                                 void (TfEdBasePurchDocument::*handler)(TField&)) {
    TField* field = dataSet.FindField(fieldName);
    if (field == nullptr) return;
    field->OnChange = [this, handler](TField& changed) {
        RunGuarded(OperationName(changed.FieldName() + "OnChange"), [this, handler, &changed] { (this->*handler)(changed); });
    };
}

void TfEdBasePurchDocument::AttachStandardBinding(TClientDataSet& dataSet) {
    using T = TfEdBasePurchDocument;
    static const std::map<std::string_view, void (T::*)(TField&)> handlers = {
        {"CurrencyOnChange", &T::CurrencyOnChange},
        {"PayTermOnChange", &T::PayTermOnChange},
        {"ContragentFieldOnChange", &T::ContragentFieldOnChange},
        {"SubDocTypeFieldOnChange", &T::SubDocTypeFieldOnChange},
        {"PriceIncudingVATOnChange", &T::PriceIncudingVATOnChange},
        {"BusinessGroupOnChange", &T::BusinessGroupOnChange},
        {"QuantityOnChange", &T::QuantityOnChange},
        {"MeasureOnChange", &T::MeasureOnChange},
        {"CodeOnChange", &T::CodeOnChange},
        {"LineDiscountOnChange", &T::LineDiscountOnChange},
        {"LineDiscountAmountOnChange", &T::LineDiscountAmountOnChange},
        {"UnitCost_LCYOnChange", &T::UnitCost_LCYOnChange},
        {"UnitCost_ACYOnChange", &T::UnitCost_ACYOnChange},
        {"IndirectCostPercentOnChange", &T::IndirectCostPercentOnChange},
        {"TotalPriceOnChange", &T::TotalPriceOnChange},
        {"AllowInvoiceDiscOnChange", &T::AllowInvoiceDiscOnChange},
        {"InvDiscAmountOnChange", &T::InvDiscAmountOnChange},
        {"VATProdPostingGroupOnChange", &T::VATProdPostingGroupOnChange},
        {"GenProdPostingGroupOnChange", &T::GenProdPostingGroupOnChange},
        {"VATBusPostingGroupOnChange", &T::VATBusPostingGroupOnChange},
        {"QtyPerUnitOfMeasureOnChange", &T::QtyPerUnitOfMeasureOnChange}};
    const auto record = &dataSet == &cdsMaster ? TBindingRecord::brHeader : TBindingRecord::brLine;
    if (&dataSet != &cdsMaster && &dataSet != &cdsDetail) return;
    for (const TPurchFieldBinding& entry : PurchStandardBinding())
        if (entry.Record == record) Bind(dataSet, entry.Field, handlers.at(entry.Handler));
}

void TfEdBasePurchDocument::FillLedgerSubjectTypes() {
    TRequestResult types;
    dm().Server().RequestValue(0, "N_LedgerSubjectTypes", "Id", TFilter(), types, true);
    THeaderField* combo = Description.FindField("LedgerSubjectType");
    if (combo == nullptr) return;
    combo->Items.clear();
    for (const TVariantArray& row : types.Rows) combo->Items.push_back(row.empty() ? "" : row[0].AsString());
}

void TfEdBasePurchDocument::ShowVendorAdvancePayment() {
    const std::string vendor = FieldValue(cdsMaster, "Contragent_Id").AsString();
    if (vendor.empty()) return;
    const std::string source = GetMessageText("proc_GetContragentAdvancePayment", "fn_GetContragentAdvancePayment") +
                               "(" + QuotedSql(LocalData().CompanyId) + "," + QuotedSql(vendor) + "," + "1)";
    TRequestResult advance;
    dm().Server().RequestValue(0, source, "COALESCE(ContragentAdvancePayment, 0.00) As ContragentAdvancePayment",
                               TFilter(), advance);
    if (ControlListFastRelationship().Rows.size() > 4) ControlListFastRelationship().Rows[4].Value = Amount(advance.Value());
}

void TfEdBasePurchDocument::AddStandardLookups() {
    static const struct {
        const char* Field;
        const char* Selector;
        const char* FilterField;
        const char* From;
        const char* To;
    } lookups[] = {
        {"N_Contragent_Code", "N_Contragent", "N_Contragent.Code", "Id,Code,Name",
         "Contragent_Id,N_Contragent_Code,N_Contragent_Name"},
        {"N_SubDocument_Code", "N_SubDocument", "N_SubDocument.Code", "Id,Code,Name",
         "DocSubType_Id,N_SubDocument_Code,N_SubDocument_Name"},
        {"PayMethod_Id", "N_PaymentMethod", "N_PaymentMethod.Code", "Id", "PayMethod_Id"},
        {"PayTerm_Id", "N_PaymentTerms", "N_PaymentTerms.Code", "Id", "PayTerm_Id"},
        {"Currency_Id", "N_Currency", "N_Currency.Code", "Id", "Currency_Id"},
    };
    for (const auto& lookup : lookups) {
        THeaderField* field = Description.FindField(lookup.Field);
        if (field == nullptr) continue;
        field->Kind = TFieldKind::fkLookup;
        field->Selector = lookup.Selector;
        field->SelectorFilterField = lookup.FilterField;
        field->SelectorFields = lookup.From;
        field->TargetFields = lookup.To;
    }
}

void TfEdBasePurchDocument::AddLineColumns(std::initializer_list<TGridColumnRow> columns) {
    dbgDetail.AddColumns(columns);
    for (const char* field : {"TotalValue", "TotalVAT", "TotalValue_LCY"})
        if (TGridColumn* column = dbgDetail.FindColumn(field)) {
            column->DisplayFormat = "0.00";
            column->ReadOnly = true;
        }
    if (TGridColumn* description = dbgDetail.FindColumn("Description")) description->Width = 240;
}

void TfEdBasePurchDocument::UpdateGridFooter(TGrid& grid) {
    TfBaseEditDocumentPanel::UpdateGridFooter(grid);
    if (&grid == &dbgDetail) ShowHeaderTotalsInFooter(grid, {"TotalValue", "TotalVAT", "TotalValue_LCY"});
}

void TfEdBasePurchDocument::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfBaseEditDocumentPanel::AttachDynamicEvents(dataSet);
    if (&dataSet == &cdsMaster) Bind(dataSet, "Contragent_Id", &TfEdBasePurchDocument::ContragentFieldOnChange);
    if (&dataSet == &cdsDetail) Bind(dataSet, "VATValue", &TfEdBasePurchDocument::VATValueOnChange);
}

// Field-change handlers.

void TfEdBasePurchDocument::ContragentFieldOnChange(TField&) {
    if (Calculating) return;
    const std::optional<bool> answered = std::exchange(contragentAnswer_, std::nullopt);
    const bool updateLines = !HasLines() || (answered ? *answered : AskYesNoKey("queChangeContragent"));
    GetPanelDetailsMaster();
    PurchContragentFieldOnChange(cdsMaster, cdsDetail, Calculating, updateLines);
}

void TfEdBasePurchDocument::SubDocTypeFieldOnChange(TField&) {
    PurchSubDocTypeFieldOnChange(cdsMaster, cdsDetail, Calculating, true);
}

void TfEdBasePurchDocument::QuantityOnChange(TField&) {
    PurchQuantityOnChange(cdsMaster, cdsDetail, Calculating, Suspended, true);
}

void TfEdBasePurchDocument::UnitCost_LCYOnChange(TField&) { PurchUnitCost_LCYOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdBasePurchDocument::LineDiscountOnChange(TField&) { PurchLineDiscountOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdBasePurchDocument::LineDiscountAmountOnChange(TField&) {
    PurchLineDiscountOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::CurrencyOnChange(TField&) { PurchCurrencyOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdBasePurchDocument::PayTermOnChange(TField&) { PurchPayTermOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdBasePurchDocument::CodeOnChange(TField&) {
    PurchCodeOnChange(cdsMaster, cdsDetail, Calculating, Suspended, true);
}

void TfEdBasePurchDocument::MeasureOnChange(TField&) {
    PurchMeasureOnChange(cdsMaster, cdsDetail, Calculating, Suspended, true);
}

void TfEdBasePurchDocument::IndirectCostPercentOnChange(TField&) {
    PurchIndirectCostPercentOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::TotalPriceOnChange(TField&) { PurchTotalPriceOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdBasePurchDocument::AllowInvoiceDiscOnChange(TField&) {
    PurchAllowInvoiceDiscOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::InvDiscAmountOnChange(TField&) {
    PurchInvDiscAmountOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::VATProdPostingGroupOnChange(TField&) {
    PurchVATProdPostingGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::GenProdPostingGroupOnChange(TField&) {
    PurchGenProdPostingGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::VATBusPostingGroupOnChange(TField&) {
    PurchVATBusPostingGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::UnitCost_ACYOnChange(TField&) { PurchUnitCost_ACYOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdBasePurchDocument::PriceIncudingVATOnChange(TField&) {
    PurchPriceIncudingVATOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::QtyPerUnitOfMeasureOnChange(TField&) {
    PurchQtyPerUnitOfMeasureOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::BusinessGroupOnChange(TField&) {
    PurchBusinessGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdBasePurchDocument::VATValueOnChange(TField&) {}

// Line computations of the editor.

void TfEdBasePurchDocument::CalcTotalAmounts() {
    TCalcGuard scope(Calculating);
    try {
        const double total = Num(cdsDetail, "Quantity") * Num(cdsDetail, "DirectUnitCost_ACY") -
                             Num(cdsDetail, "LineDiscountAmount");
        SetNum(cdsDetail, "TotalPrice", RoundUp(total, A()));
        UpdateVATAmounts();
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdBasePurchDocument.CalcTotalAmounts");
    }
}

void TfEdBasePurchDocument::UpdateUnitCost() {
    TCalcGuard scope(Calculating);
    try {
        const double quantity = Num(cdsDetail, "Quantity");
        const double share = quantity == 0.0 ? 0.0
                             : RoundUp((Num(cdsDetail, "LineDiscountAmount") + Num(cdsDetail, "InvDiscAmount")) / quantity, 5);
        const double vat = 1.0 + Num(cdsDetail, "VATPercent") / 100.0;
        double cost = (Num(cdsDetail, "DirectUnitCost_ACY") - share) * (1.0 + Num(cdsDetail, "IndirectCostPercent") / 100.0);
        if (cdsDetail.FieldByName("PriceIncludingVAT").AsInteger() != 0) cost /= vat;
        double unitCost = RoundUp(cost, U());
        if (cdsDetail.FieldByName("VATLedger").AsInteger() == 3) unitCost *= vat;
        SetNum(cdsDetail, "UnitCost_ACY", unitCost);
        const double factor = Num(cdsMaster, "CurrencyFactor");
        const bool foreign = !cdsMaster.FieldByName("Currency_Id").Value().IsEmpty() && factor != 0.0;
        SetNum(cdsDetail, "UnitCost_LCY", foreign ? RoundUp(unitCost * factor, U()) : unitCost);
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdBasePurchDocument.UpdateUnitCost");
    }
}

void TfEdBasePurchDocument::UpdateVATAmounts() {
    TCalcGuard scope(Calculating);
    try {
        const double totalPrice = Num(cdsDetail, "TotalPrice"), invDisc = Num(cdsDetail, "InvDiscAmount");
        if (RoundUp(totalPrice, A()) == RoundUp(invDisc, A())) {
            for (const char* field : {"TotalValue", "VATBaseAmount", "VATValue", "TotalVAT"}) SetNum(cdsDetail, field, 0.0);
            return;
        }
        const double v = Num(cdsDetail, "VATPercent") / 100.0;
        const bool inclusive = cdsMaster.FieldByName("PriceIncludingVAT").AsInteger() == 1 &&
                               cdsDetail.FieldByName("PriceIncludingVAT").AsInteger() == 1 && v != 0.0;
        const double value = RoundUp(inclusive ? (totalPrice - invDisc) / (1.0 + v) : totalPrice - invDisc, A());
        SetNum(cdsDetail, "TotalValue", value);
        const double factor = Num(cdsMaster, "CurrencyFactor");
        const double valueLCY = RoundUp(value * factor, A());
        SetNum(cdsDetail, "TotalValue_LCY", valueLCY);
        const double vatLCY = Num(cdsDetail, "VATValue") * factor;
        SetNum(cdsDetail, "VATValue_LCY", vatLCY);
        SetNum(cdsDetail, "TotalVAT_LCY", valueLCY + vatLCY);
        const double vatValue = RoundUp(value * v, A());
        SetNum(cdsDetail, "VATValue", vatValue);
        SetNum(cdsDetail, "TotalVAT", value + vatValue);
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdBasePurchDocument.UpdateVATAmounts");
    }
}

// Life cycle and line events.

void TfEdBasePurchDocument::FormCreate() {
    TfBaseEditDocumentPanel::FormCreate();
    bAdvanceSelectedRecords = false;
}

void TfEdBasePurchDocument::cdsDetailAfterOpen() {
    TfBaseEditDocumentPanel::cdsDetailAfterOpen();
    CreatePurchLineAggregates(cdsDetail);
    if (cdsDetail.IsEmpty()) ClearItemPanel();
}

void TfEdBasePurchDocument::cdsDetailAfterInsert() {
    TfBaseEditDocumentPanel::cdsDetailAfterInsert();
    const bool saved = Suspended;
    Suspended = true;
    try {
        for (const char* field :
             {"PriceIncludingVAT", "GenBusPostGroup_Id", "VATBusPostGroup_Id", "BusinessGroup_Id", "Currency_Id"}) {
            TField* line = cdsDetail.FindField(field);
            if (line != nullptr && cdsMaster.FindField(field) != nullptr) line->SetValue(cdsMaster.FieldByName(field).Value());
        }
        cdsDetail.FieldByName("Line_No").SetAsInteger(PurchNextLineNo(cdsDetail));
    } catch (...) {
        TELException(CurrentExceptionMessage(), "fEdBasePurchDocument.cdsDetailAfterInsert");
    }
    Suspended = saved;
}

void TfEdBasePurchDocument::cdsDetailAfterPost() {
    TfBaseEditDocumentPanel::cdsDetailAfterPost();
    try {
        PurchCopyLineTotalsToHeader(cdsMaster, cdsDetail);
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdBasePurchDocument.cdsDetailAfterPost");
    }
}

void TfEdBasePurchDocument::cdsDetailBeforeDelete() {
    TfBaseEditDocumentPanel::cdsDetailBeforeDelete();
    if (CheckStatus() == 0 || CheckLockLifted()) return;
    ShowErrorKey("err_CannotDeleteCheckedLine", "Редът е проверен и не може да бъде изтрит.");
    throw EAbort();
}

void TfEdBasePurchDocument::OpenItemChargeAssignment(const char* tableName, int entryType) {
    if (cdsDetail.IsEmpty() || cdsDetail.FieldByName("Type").AsInteger() != 3) {
        ShowInfoKey("inf_SelectItemCharge", "Изберете ред за допълнителен разход.");
        return;
    }
    const TDefaultValues defaults{{"TableName", tableName},
                                  {"Document_Id", FieldValue(cdsMaster, "Id")},
                                  {"AppliesToDoc_Id", FieldValue(cdsDetail, "Id")},
                                  {"AppliesToDocType", FieldValue(cdsMaster, "DocumentType")},
                                  {"UnitCost", FieldValue(cdsDetail, "TotalValue_LCY")},
                                  {"Contragent_Id", FieldValue(cdsMaster, "Contragent_Id")},
                                  {"EntryType", entryType},
                                  {"ItemCharge_Id", FieldValue(cdsDetail, "Code")},
                                  {"Quantity", FieldValue(cdsDetail, "Quantity")}};
    OpenForm(10600, TFilter(), defaults, this);
}

void TfEdBasePurchDocument::AddForeignTradeFields(const char* page) {
    Description.AddFields({
        {"ThirdSideOfDeal", "Трета страна по сделката", TFieldKind::fkText, page},
        {"DealKind", "Вид сделка", TFieldKind::fkText, page},
        {"StatProcedure", "Статистическа процедура", TFieldKind::fkText, page},
        {"TermsOfDelivery", "Условия на доставка", TFieldKind::fkText, page},
        {"TransportType", "Вид транспорт", TFieldKind::fkText, page},
        {"TransportCountry", "Държава на транспорта", TFieldKind::fkText, page},
        {"ThirdSideCountry_Id", "Държава на третата страна", TFieldKind::fkText, page},
    });
}

void TfEdBasePurchDocument::CopyHeaderFieldToLines(const char* fieldName) {
    const Variant value = cdsMaster.FieldByName(fieldName).Value();
    dbgDetail.Enabled = false;
    try {
        ForEachRecord(cdsDetail, [this, fieldName, &value] {
            if (cdsDetail.State() == TDataSetState::dsBrowse) cdsDetail.Edit();
            cdsDetail.FieldByName(fieldName).SetValue(value);
        });
    } catch (...) {
        dbgDetail.Enabled = true;
        throw;
    }
    dbgDetail.Enabled = true;
}

int64_t TfEdBasePurchDocument::CheckStatus() {
    const TField* field = cdsMaster.FindField("CheckStatus");
    return field == nullptr ? 0 : field->AsInteger();
}

bool TfEdBasePurchDocument::CheckLockLifted() { return LocalData().UnlockCheckedDocuments; }

bool TfEdBasePurchDocument::HasLines() { return cdsDetail.Active() && cdsDetail.RecordCount() > 0; }

std::string TfEdBasePurchDocument::LineItemCode() { return cdsDetail.FieldByName("Code").AsString(); }

std::string TfEdBasePurchDocument::DateText() {
    const Variant date = FieldValue(cdsMaster, "DocumentDate");
    return (date.IsNull() ? TDateTime::Today() : date.AsDateTime()).Format("yyyymmdd");
}

bool TfEdBasePurchDocument::CheckDataModification() {
    if (cdsMaster.FindField("CheckStatus") == nullptr) return TfBaseEditDocumentPanel::CheckDataModification();
    const int64_t status = CheckStatus();
    if (status == 1) {
        ReadOnly = true;
        for (TGrid* grid : Grids()) grid->ReadOnly = true;
        return false;
    }
    const bool editable = TfBaseEditDocumentPanel::CheckDataModification();
    if (status == 2 && !CheckLockLifted()) dbgDetail.ReadOnly = true;
    return editable;
}

// The lines of the document on screen are hidden while the new one starts, so nothing of
// them is shown against the new header.
void TfEdBasePurchDocument::acInsertRecordExecute() {
    const bool hideLines = cdsDetail.Active() && !cdsDetail.IsEmpty();
    if (hideLines) {
        cdsDetail.SetFilterPredicate([](TClientDataSet&) { return false; });
        cdsDetail.SetFiltered(true);
    }
    const auto showLines = [this, hideLines] {
        if (!hideLines) return;
        cdsDetail.SetFiltered(false);
        cdsDetail.SetFilterPredicate(nullptr);
    };
    try {
        TfBaseEditDocumentPanel::acInsertRecordExecute();
    } catch (...) {
        showLines();
        throw;
    }
    showLines();
    TakeDefaultSubType();
}

// A new document is of its kind's default subtype until the buyer picks another; nothing is
// recalculated for it, as there are no lines yet.
void TfEdBasePurchDocument::TakeDefaultSubType() {
    if (cdsMaster.State() != TDataSetState::dsInsert || !FieldValue(cdsMaster, "DocSubType_Id").IsEmpty()) return;
    const TRequestResult subType = PurchDefaultSubType(FieldValue(cdsMaster, "DocumentType"));
    if (subType.Empty()) return;
    TCalcGuard guard(Calculating);
    for (const auto& [target, from] : {std::pair{"DocSubType_Id", "Id"}, std::pair{"N_SubDocument_Code", "Code"},
                                       std::pair{"N_SubDocument_Name", "Name"}})
        if (TField* field = cdsMaster.FindField(target)) field->SetValue(subType.ByName(from));
}

void TfEdBasePurchDocument::acRefreshExecute() {
    TfBaseEditDocumentPanel::acRefreshExecute();
    if (cdsMaster.IsEmpty()) ClearContragentPanel();
    if (cdsDetail.IsEmpty()) ClearItemPanel();
}

// Saving, printing, posting.

bool TfEdBasePurchDocument::OnSaveBeforeGetData() {
    const std::string text = FormatMessage(c_query_RecalcDocument, {QuotedSql(cdsMaster.FieldByName("Id").AsString()),
                                                                     QuotedSql(cdsMaster.FieldByName("Comp_Id").AsString())});
    return dm().Server().ExecuteSQLScript(text) == 0;
}

TRequestResult TfEdBasePurchDocument::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfBaseEditDocumentPanel::GetPrintDocument());
}

void TfEdBasePurchDocument::PostDocument(bool print) { TfBaseEditDocumentPanel::PostDocument(print); }

// Whole-document recalculation.

void TfEdBasePurchDocument::DoRecalcDocument() {
    TWaitCursor wait;
    VATTotals.ClearVATGroups();
    dbgDetail.Enabled = false;
    cdsDetail.DisableControls();
    const int index = cdsDetail.RecNo();
    const Variant current = FieldValue(cdsDetail, "ID");
    try {
        TRecalcSums sums;
        int position = 0;
        for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) RecalcLine(++position, sums);
        if (CorrectsLocalCurrencyCent) CorrectLocalCurrencyCent(sums);
        WriteRecalculatedTotals(sums.S);
        if (!current.IsNull() && !cdsDetail.Locate("Id", {current}) && index > 0) cdsDetail.SetRecNo(index);
    } catch (...) {
        TELException(CurrentExceptionMessage(), OperationName("DoRecalcDocument"));
        ShowErrorKey("err_RecalcDocument", "Грешка при преизчисляване на документа.");
    }
    cdsDetail.EnableControls();
    dbgDetail.Enabled = true;
}

void TfEdBasePurchDocument::RecalcLine(int position, TRecalcSums& sums) {
    cdsDetail.Edit();
    if (cdsDetail.FieldByName("Line_No").AsInteger() != position) cdsDetail.FieldByName("Line_No").SetAsInteger(position);
    cdsDetail.FieldByName("PriceIncludingVAT").SetValue(cdsMaster.FieldByName("PriceIncludingVAT").Value());
    if (TField* type = cdsDetail.FindField("DocumentType")) type->SetValue(FieldValue(cdsMaster, "DocumentType"));
    LineDiscountOnChange(cdsDetail.FieldByName("LineDiscount"));

    const int64_t type = cdsDetail.FieldByName("Type").AsInteger();
    const double valueLCY = Num(cdsDetail, "TotalValue_LCY");
    const bool candidate = type != 4 && (type != 2 || FieldValue(cdsDetail, "AccountDimension_Id").IsEmpty());
    if (candidate && (sums.Candidate.IsNull() || valueLCY > sums.LargestLCY)) {
        sums.Candidate = FieldValue(cdsDetail, "ID");
        sums.LargestLCY = valueLCY;
    }
    const double percent = Num(cdsDetail, "VATPercent"), factor = Num(cdsMaster, "CurrencyFactor");
    const double value = Num(cdsDetail, "TotalValue"), base = Num(cdsDetail, "VATBaseAmount");
    const std::string key = cdsDetail.FieldByName("VATPercent").AsString();
    if (RoundUp(base, 2) != RoundUp(value, 2)) VATTotals.AddVATGroups(key, percent, base, base * factor);
    else VATTotals.AddVATGroups(key, percent, value, valueLCY);
    sums.S += RoundUp(value, A());
    sums.L += RoundUp(valueLCY, A());

    for (const char* quantity : {"InvoicedQty", "OutstandingQty", "QtyRcdNotInvoiced", "QtyToInvoice", "QtyToReceive",
                                 "Quantity", "ReceivedQty"})
        if (cdsDetail.FindField(quantity) != nullptr) CalcBaseQuantity(cdsDetail, quantity, Calculating);
    cdsDetail.Post();
}

// The lines' local amounts are rounded one by one; the cent they lose against the converted
// document total goes onto the line with the largest local amount.
void TfEdBasePurchDocument::CorrectLocalCurrencyCent(const TRecalcSums& sums) {
    const double factor = Num(cdsMaster, "CurrencyFactor");
    const double difference = RoundUp(RoundUp(sums.S * factor, A()) - sums.L, A());
    if (difference == 0.0 || sums.Candidate.IsNull() || !cdsDetail.Locate("Id", {sums.Candidate})) return;
    const TCalcGuard scope(Calculating);
    cdsDetail.Edit();
    const double valueLCY = Num(cdsDetail, "TotalValue_LCY") + difference;
    SetNum(cdsDetail, "TotalValue_LCY", valueLCY);
    SetNum(cdsDetail, "TotalVAT_LCY", valueLCY + Num(cdsDetail, "VatValue_LCY"));
    cdsDetail.Post();
}

void TfEdBasePurchDocument::WriteRecalculatedTotals(double S) {
    const double factor = Num(cdsMaster, "CurrencyFactor");
    const double T = VATTotals.TotalVAT();
    const double vatLCY = RoundUp(factor * T, A());
    cdsMaster.Edit();
    if (S != 0.0) {
        const double valueLCY = RoundUp(S * factor, A());
        SetNum(cdsMaster, "TotalValue", S);
        SetNum(cdsMaster, "TotalValue_LCY", valueLCY);
        SetNum(cdsMaster, "TotalVat", S + T);
        SetNum(cdsMaster, "TotalVAT_LCY", valueLCY + vatLCY);
    } else {
        SetNum(cdsMaster, "TotalValue", 0.0);
        SetNum(cdsMaster, "TotalValue_LCY", 0.0);
        SetNum(cdsMaster, "TotalVat", T);
        SetNum(cdsMaster, "TotalVAT_LCY", vatLCY);
    }
    SetNum(cdsMaster, "VatValue", T);
    if (TField* field = cdsMaster.FindField("VATValue_LCY")) field->SetAsFloat(vatLCY);
}

// Currency factor.

void TfEdBasePurchDocument::acSetCurrencyFactorExecute() {
    double proposed = Num(cdsMaster, "CURRENCYFACTOR");
    if (proposed == 0.0)
        proposed = dm().Server().GetCurrencyRate(cdsMaster.FieldByName("Currency_Id").AsString(),
                                                 cdsMaster.FieldByName("DocumentDate").AsDateTime(), 1);
    std::string text = Variant(proposed).AsString();
    if (!dm().Dialogs().CurrencyRate(cdsMaster.FieldByName("Currency_Id").AsString(), text, false)) return;
    double factor = 0.0;
    try {
        factor = Variant(Trim(text)).AsFloat();
    } catch (...) {
        AbortWithError("err_InvalidCurrencyFactor", "Невалиден валутен курс.");
    }
    if (factor <= 0.0) AbortWithError("err_InvalidCurrencyFactor", "Невалиден валутен курс.");
    cdsMaster.Edit();
    SetNum(cdsMaster, "CURRENCYFACTOR", factor);
    const Variant id = FieldValue(cdsMaster, "ID");
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
        cdsDetail.Edit();
        UpdateUnitCost();
        CalcTotalAmounts();
    }
    cdsDetail.CheckBrowseMode();
    if (!id.IsNull() && !cdsMaster.IsEmpty() && cdsMaster.State() == TDataSetState::dsBrowse) cdsMaster.Locate("Id", {id});
}

// Advance payments.

void TfEdBasePurchDocument::acAddAdvancePaymentExecute() {
    bAdvanceSelectedRecords = true;
    TRequestResult setup;
    const int found = dm().Server().RequestValue(0, "C_PurchasesSetup", "AdvancePaymentAccount",
                                                 TFilter().Add("C_PurchasesSetup.Id", "=", LocalData().CompanyId), setup);
    if (found == 0 || setup.Value().IsEmpty()) {
        bAdvanceSelectedRecords = false;
        ShowErrorKey("err_PurchAdvancePaymentAccountNotSelected", "Не е избрана сметка за авансови плащания.");
        return;
    }
    AdvancePaymentAccount = setup.Value();
    TFilter filter;
    filter.Add("G_LAccountDimension.ReferenceType", "=", 0, "AND")
        .Add("G_LAccountDimension.Reference_Id", "=", FieldValue(cdsMaster, "Contragent_Id"), "AND")
        .Add("G_LAccountDimension.Account_Id", "=", AdvancePaymentAccount);
    TRequestResult rows;
    if (!GetSelectorRows("3680", filter, "Id,Account_Id,sAmount,Description,GlobalDimension_Id",
                         "AccountDimension_Id,Code,UnitPrice,DocumentNo,GlobalDimension_Id", rows)) {
        bAdvanceSelectedRecords = false;
        return;
    }
    ProcessSelectedRecords(rows);
}

void TfEdBasePurchDocument::ProcessSelectedRecords(const TRequestResult& rows) {
    if (!bAdvanceSelectedRecords) {
        TfBaseEditDocumentPanel::ProcessSelectedRecords(rows);
        return;
    }
    bAdvanceSelectedRecords = false;
    for (size_t row = 0; row < rows.Rows.size(); ++row) AddAdvancePaymentLine(rows, row);
}

// An advance already paid comes off the invoice as a negative line on the advance account.
void TfEdBasePurchDocument::AddAdvancePaymentLine(const TRequestResult& rows, size_t row) {
    cdsDetail.Append();
    cdsDetail.FieldByName("Type").SetAsInteger(2);
    if (TField* itemType = cdsDetail.FindField("ItemType"); itemType != nullptr && !itemType->ReadOnly)
        itemType->SetAsInteger(2);
    // The account proposes the line's posting groups and VAT, as when its code is typed.
    EnterFieldValue(cdsDetail, cdsDetail.FieldByName("Code"), rows.ByName("Code", row));
    const bool saved = Suspended;
    Suspended = true;
    cdsDetail.FieldByName("Description").SetValue(rows.ByName("DocumentNo", row));
    cdsDetail.FieldByName("Quantity").SetAsFloat(1.0);
    Suspended = saved;
    cdsDetail.FieldByName("AccountDimension_Id").SetValue(rows.ByName("AccountDimension_Id", row));
    const double amount = rows.ByName("UnitPrice", row).AsFloat();
    double factor = Num(cdsMaster, "CurrencyFactor");
    if (factor == 0.0) factor = 1.0;
    const bool inclusive = cdsMaster.FieldByName("PriceIncludingVAT").AsInteger() != 0;
    const double gross = inclusive ? amount * (1.0 + Num(cdsDetail, "VATPercent") / 100.0) : amount;
    SetNum(cdsDetail, "DirectUnitCost_ACY", -gross / factor);
    if (TField* dimension = cdsDetail.FindField("GlobalDimension_id"))
        dimension->SetValue(rows.ByName("GlobalDimension_Id", row));
    cdsDetail.Post();
}

// Saving.

void TfEdBasePurchDocument::acSaveExecute() {
    AssignDocumentNo();
    TfBaseEditDocumentPanel::acSaveExecute();
}

void TfEdBasePurchDocument::AssignDocumentNo() {
    TField* number = cdsMaster.FindField("DocumentNo");
    if (number == nullptr || NumberSeriesSetupField.empty() || cdsMaster.UpdateStatus() != TUpdateStatus::usInserted ||
        !number->Value().IsEmpty())
        return;
    // A new document posted at once lives as a draft only inside its posting, which removes it:
    // it draws no draft number, and so holds no series locked while the posting runs.
    if (HoldingPosting() && PostingRemovesDraft()) return;
    TRequestResult series;
    TFilter filter;
    filter.Add("N_SubDocument.Id", "=", FieldValue(cdsMaster, "DocSubType_Id"), "AND")
        .Add("N_SubDocument.Comp_Id", "=", Variant(LocalData().CompanyId));
    if (dm().Server().RequestValue(0, "N_SubDocument", "Series_Id", filter, series) != 1 || series.Value().IsEmpty())
        dm().Server().RequestValue(0, "C_PurchasesSetup", NumberSeriesSetupField,
                                   TFilter().Add("C_PurchasesSetup.Id", "=", Variant(LocalData().CompanyId)), series);
    if (series.Value().IsEmpty()) return;
    std::string drawn;
    const std::string businessGroup = FieldValue(cdsMaster, "BusinessGroup_Id").AsString();
    if (dm().Server().GetNextSerieNo(series.Value().AsString(), businessGroup, drawn) < 0) return;
    if (cdsMaster.State() == TDataSetState::dsBrowse) cdsMaster.Edit();
    number->SetAsString(drawn);
}

// Side panel.

void TfEdBasePurchDocument::ClearContragentPanel() { ControlListFastRelationship().ClearValues(); }

void TfEdBasePurchDocument::ClearItemPanel() {
    ControlListItems().ClearValues();
    pFloat.Text.clear();
}

void TfEdBasePurchDocument::GetPanelDetailsMaster() {
    const std::string vendor = FieldValue(cdsMaster, "Contragent_Id").AsString();
    if (vendor.empty()) {
        ClearContragentPanel();
        return;
    }
    const TRequestResult due = dm().Server().GetContragentPurchDue(vendor, DateText());
    std::vector<TPanelRow>& rows = ControlListFastRelationship().Rows;
    if (rows.size() > 1) rows[1].Value = Amount(due.ByName("PurchDue"));
    if (rows.size() > 2) rows[2].Value = Amount(due.ByName("OverDue"));
}

void TfEdBasePurchDocument::ApplyDefaultValues(const TDefaultValues& values) {
    uPurchCalcHelpers::TVATSetupMemo memo;
    {
        const uPurchCalcHelpers::TCalcGuard filling(fillingFromDefaults_);
        TfBaseEditDocumentPanel::ApplyDefaultValues(values);
    }
    TakeDefaultSubType();
    GetPanelDetailsDetail();
}

void TfEdBasePurchDocument::GetPanelDetailsDetail() {
    if (fillingFromDefaults_) return;
    if (!cdsDetail.Active() || cdsDetail.IsEmpty()) {
        ClearItemPanel();
        return;
    }
    const int64_t type = cdsDetail.FieldByName("Type").AsInteger();
    if ((type != 1 && type != 5) || LineItemCode().empty()) {
        ClearItemPanel();
        return;
    }
    const TVariantArray request{LineItemCode(),
                                FieldValue(cdsMaster, "Contragent_Id"),
                                FieldValue(cdsDetail, "Measure_Id"),
                                FieldValue(cdsMaster, "Currency_Id"),
                                FieldValue(cdsDetail, "VATBusPostGroup_Id"),
                                FieldValue(cdsDetail, "VATProdPostGroup_Id"),
                                FieldValue(cdsMaster, "PriceIncludingVAT"),
                                FieldValue(cdsMaster, "N_SubDocument_Code"),
                                FieldValue(cdsDetail, "Quantity"),
                                FieldValue(cdsMaster, "DocumentDate"),
                                FieldValue(cdsDetail, "Quantity_Base"),
                                FieldValue(cdsMaster, "CurrencyFactor"),
                                FieldValue(cdsDetail, "Id"),
                                FieldValue(cdsDetail, "BusinessGroup_Id")};
    const TRequestResult item = dm().Server().GetItemParams(request);
    pFloat.Text = item.ByName("Code").AsString() + " " + item.ByName("Name").AsString();
    std::vector<TPanelRow>& rows = ControlListItems().Rows;
    if (rows.size() > 1) rows[1].Value = Amount(item.ByName("LastPurchasePrice"));
    if (rows.size() > 4) rows[4].Value = Amount(item.ByName("UnitPrice"));
    if (rows.size() > 5) rows[5].Value = Amount(item.ByName("VendorDiscount"));
}

void TfEdBasePurchDocument::acItemCardExecute() {
    OpenForm(401, TFilter().Add("N_Item.Id", "=", Variant(LineItemCode())), {}, this);
}

void TfEdBasePurchDocument::acItemHistoryExecute() {
    TFilter filter;
    filter.Add("dv_ItemEntry.Item_Id", "=", Variant(LineItemCode()), "AND")
        .Add("dv_ItemEntry.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("dv_ItemEntry.BusinessGroup_Id", "=", FieldValue(cdsDetail, "BusinessGroup_Id"));
    OpenForm(390, filter, {}, this);
}

void TfEdBasePurchDocument::acAvalByBGExecute() {
    TFilter filter;
    filter.Add("G_LItemEntry_0.fItem_Id", "=", Variant(LineItemCode()), "AND")
        .Add("G_LItemEntry_0.fComp_Id", "=", LocalData().CompanyId, "AND")
        .Add("G_LItemEntry_0.SLevel", "=", 0);
    OpenForm(880, filter, {}, this);
}

void TfEdBasePurchDocument::ContragentPanelClick(int row) {
    const Variant vendor = FieldValue(cdsMaster, "Contragent_Id");
    switch (row) {
        case 0:
            OpenForm(411, TFilter().Add("N_Contragent.ID", "=", vendor), {}, this);
            break;
        case 1: {
            TFilter filter;
            filter.Add("dv_ContragentEntry.Contragent_ID", "=", vendor, "AND")
                .Add("dv_ContragentEntry.Gen_PostingType", "=", 0, "AND")
                .Add("dv_ContragentEntry.Opened", "=", 1);
            OpenForm(380, filter, {}, this);
            break;
        }
        case 2:
            OpenForm(3730, {}, {{"Contragent_id", vendor}, {"DueDate", Variant(TDateTime::Today())}}, this);
            break;
        case 3:
            OpenForm(2060, {},
                     {{"Contragent_Id", vendor},
                      {"N_Contragent_Code", FieldValue(cdsMaster, "N_Contragent_Code")},
                      {"N_Contragent_Name", FieldValue(cdsMaster, "N_Contragent_Name")}},
                     this);
            break;
        case 4: {
            TRequestResult setup;
            dm().Server().RequestValue(0, "C_PurchasesSetup", "AdvancePaymentAccount",
                                       TFilter().Add("C_PurchasesSetup.Id", "=", LocalData().CompanyId), setup);
            TFilter filter;
            filter.Add("G_LAccountDimension.ReferenceType", "=", 0, "AND")
                .Add("G_LAccountDimension.Reference_Id", "=", vendor, "AND")
                .Add("G_LAccountDimension.Account_Id", "=", setup.Value());
            OpenForm(9070, filter, {}, this);
            break;
        }
        default:
            break;
    }
}

void TfEdBasePurchDocument::ItemPanelClick(int row) {
    const Variant code(LineItemCode());
    switch (row) {
        case 0: acItemCardExecute(); break;
        case 1: acItemHistoryExecute(); break;
        case 2: acAvalByBGExecute(); break;
        case 3: OpenReusableItems(); break;
        case 4: OpenItemSalePrices(); break;
        case 5:
            OpenForm(622, {},
                     {{"SaleOrPurhchase", 1}, {"Item_id", code}, {"DocumentDate", Variant(DateText())},
                      {"Contragent_id", FieldValue(cdsMaster, "Contragent_Id")}},
                     this);
            break;
        case 6: {
            TFilter filter;
            filter.Add("dv_BlockedQty.Code", "=", code, "AND")
                .Add("dv_BlockedQty.BusinessGroup_Id", "=", FieldValue(cdsDetail, "BusinessGroup_Id"), "AND")
                .Add("dv_BlockedQty.Line_Id", "<>", FieldValue(cdsDetail, "ID"));
            OpenForm(10800, filter, {}, this);
            break;
        }
        case 7: {
            TFilter filter;
            filter.Add("(dv_PurchOrdersByLines.DocumentType", "=", 0, "OR")
                .Add("(dv_PurchOrdersByLines.DocumentType", "=", 1, "AND")
                .Add("dv_PurchOrdersByLines.BusinessGroup_Id", "=", FieldValue(cdsMaster, "BusinessGroup_Id"), ")) AND")
                .Add("dv_PurchOrdersByLines.Code", "=", code);
            OpenForm(10790, filter, {}, this);
            break;
        }
        default:
            break;
    }
}

void TfEdBasePurchDocument::OpenReusableItems() {
    TRequestResult group;
    TFilter filter;
    filter.Add("N_Item.Id", "=", Variant(LineItemCode()), "AND").Add("N_Item.Comp_Id", "=", LocalData().CompanyId);
    dm().Server().RequestValue(0, "N_Item", "ReusableGroup_Id", filter, group);
    if (group.Value().IsEmpty()) {
        ShowInfoKey("inf_NoReusableItems", "Артикулът няма заменими артикули.");
        return;
    }
    TRequestResult chosen;
    dm().Dialogs().Select("N_Item", TFilter::Parse("N_Item.ReusableGroup_Id,=," + group.Value().AsString()), false, chosen);
}

void TfEdBasePurchDocument::OpenItemSalePrices() {
    TRequestResult priceGroup;
    const TFilter vendor = TFilter().Add("N_Contragent.Id", "=", FieldValue(cdsMaster, "Contragent_Id"));
    const int found = dm().Server().RequestValue(0, "N_Contragent", "Code, CustomerPriceGroup", vendor, priceGroup);
    if (found != 1) throw std::runtime_error("Error Getting Client price group!");
    // (code or price group) and (no start or started) and (no end or not ended), spelled out
    // as OR-ed groups because AND binds tighter in a filter.
    const Variant date(DateText());
    std::vector<TFilterCondition> conditions;
    const auto add = [&conditions](const char* field, const char* op, const Variant& value) {
        conditions.push_back({field, TFilter::ParseOp(op), value, TFilterConnector::fcAnd});
    };
    for (const Variant& salesCode : {priceGroup.Value(0, 0), priceGroup.Value(0, 1)})
        for (bool openStart : {false, true})
            for (bool openEnd : {false, true}) {
                add("N_SalesPrice.Item_Id", "=", Variant(LineItemCode()));
                add("N_SalesPrice.SalesType", "<=", 2);
                add("N_SalesPrice.SalesCode", "=", salesCode);
                add("N_SalesPrice.StartingDate", openStart ? "IS" : "<=", openStart ? Variant() : date);
                add("N_SalesPrice.EndingDate", openEnd ? "IS" : ">=", openEnd ? Variant() : date);
                conditions.back().Connector = TFilterConnector::fcOr;
            }
    conditions.back().Connector = TFilterConnector::fcNone;
    TFilter filter;
    for (TFilterCondition& condition : conditions) filter.Add(std::move(condition));
    OpenForm(710, filter, {}, this);
}

// Sale prices and deletion checks shared by the invoice and the order buffer.

void TfEdBasePurchDocument::UpdateItemUnitPrice(double price, int priceKind) {
    if (Calculating || Suspended) return;
    if (!AskYesNoKey("que_WantToChangeItemUnitPrice", "Да бъде ли променена продажната цена на артикула?")) return;
    const std::string procedure = GetMessageText("usp_UPDATE_N_Item_UnitPrice", "usp_UPDATE_N_Item_UnitPrice");
    const TRequestResult result = dm().Server().ExecuteStoredProcedure(
        procedure, {LocalData().CompanyId, cdsDetail.FieldByName("Code").AsString(), price, priceKind});
    if (result.Empty() || result.Value().AsInteger() != 0)
        throw std::runtime_error(GetMessageText("err_Update_N_Item_UnitPrice", "Продажната цена не беше променена."));
}

bool TfEdBasePurchDocument::CheckDocumentBeforeDelete(int documentKind) {
    if (PurchCheckDocumentBeforeDelete(cdsMaster, documentKind)) return true;
    acRefreshExecute();
    return false;
}

}  // namespace tavrek
