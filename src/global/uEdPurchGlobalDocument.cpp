#include "global/uEdPurchGlobalDocument.h"

#include <cstdio>
#include <stdexcept>

#include "base/errors/TELException.h"
#include "base/forms/EAbort.h"
#include "base/forms/IBaseIntf.h"
#include "base/forms/RequestForm.h"
#include "base/forms/Selectors.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/server/ServerQueries.h"
#include "base/session/Tdm.h"
#include "base/ui/IDialogs.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchHeaderRules.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchPrintForms.h"
#include "global/uPurchGlobalDocCalc.h"
#include "posted/uPostedPurchOperations.h"

namespace tavrek {

using namespace uPurchGlobalDocCalc;
using uPurchCalcHelpers::EnsureEditing;
using uPurchCalcHelpers::LocateLine;
using uPurchCalcHelpers::QuotedSql;

TfEdPurchGlobalDocument::TfEdPurchGlobalDocument(const TGlobalDocumentKind& kind) : kind_(kind) {
    MasterProvider = "D_GlobalPurchHeader";
    DetailProvider = "D_GlobalPurchLine";
    MasterTable = "D_GlobalPurchHeader";
    BindAction(acSetCurrencyFactor, "acSetCurrencyFactorExecute", [this] { acSetCurrencyFactorExecute(); });
    pmDocument.Add("miChooseDocuments", acChooseDocuments);
    pmDocument.Add("miDeleteLinesFromDocs", acDeleteLinesFromDocs);
    pmDocument.AddSeparator();
    pmDocument.Add("miSetCurrencyFactor", acSetCurrencyFactor);
    cdsMaster.OnNewRecord = [this](TClientDataSet&) {
        const std::pair<const char*, Variant> defaults[] = {{"DocumentType", kind_.NewDocumentType},
                                                            {"DocumentDate", TDateTime::Today()},
                                                            {"PostingDate", TDateTime::Today()},
                                                            {"CurrencyFactor", 1.0},
                                                            {"PriceIncludingVAT", 0},
                                                            {"BusinessGroup_Id", LocalData().BusinessGroupId},
                                                            {"User_Id", LocalData().UserId}};
        for (const auto& [name, value] : defaults)
            if (TField* field = cdsMaster.FindField(name)) field->SetValue(value);
        // Of its kind's subtype, so that it numbers and prints as its kind.
        const TRequestResult subType = PurchDefaultSubType(kind_.NewDocumentType);
        if (TField* field = cdsMaster.FindField("DocSubType_Id"); field != nullptr && !subType.Empty())
            field->SetValue(subType.ByName("Id"));
    };
    DescribeLayout();
}

void TfEdPurchGlobalDocument::DescribeLayout() {
    Description.Caption = kind_.Caption;
    // A consolidated document starts at its vendor: the sources are the vendor's.
    Description.FirstField = "N_Contragent_Code";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorInvoiceNo", "Документ на доставчика", TFieldKind::fkText, "tsMainData"},
        {"ToInvoiceNo", "Към документ №", TFieldKind::fkText, "tsMainData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsMainData"},
        {"Currency_Id", "Валута", TFieldKind::fkLookup, "tsFinanceData"},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", TFieldKind::fkLookup, "tsFinanceData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"VATBusPostGroup_Id", "ДДС група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", TFieldKind::fkCombo, "tsFinanceData"},
        {"TransactionNo", "Транзакция", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
    });
    const struct {
        const char* Field;
        const char* Selector;
        const char* FilterField;
        const char* From;
        const char* To;
    } lookups[] = {
        {"N_Contragent_Code", "N_Contragent", "N_Contragent.Code", "Id,Code,Name",
         "Contragent_Id,N_Contragent_Code,N_Contragent_Name"},
        {"PayTerm_Id", "N_PaymentTerms", "N_PaymentTerms.Code", "Id", "PayTerm_Id"},
        {"Currency_Id", "N_Currency", "N_Currency.Code", "Id", "Currency_Id"},
    };
    for (const auto& lookup : lookups) {
        THeaderField& field = *Description.FindField(lookup.Field);
        field.Selector = lookup.Selector;
        field.SelectorFilterField = lookup.FilterField;
        field.SelectorFields = lookup.From;
        field.TargetFields = lookup.To;
    }
    for (const char* readOnly : {"N_Contragent_Name", "TransactionNo", "TotalValue", "VATValue", "TotalVAT"})
        Description.FindField(readOnly)->ReadOnly = true;
    dbgDetail.AddColumns({{"Line_No", "Ред", 40}, {"Description2", "Доп. описание", 100}, {"Code", "Код"},
                          {"Description", "Описание", 220}, {"Measure_Id", "Мярка", 50}, {"Quantity", "Количество"},
                          {"DirectUnitCost", "Ед. цена"}, {"LineDiscount_percent", "Отстъпка %"},
                          {"VATPercent", "ДДС %", 50}, {"TotalValue", "Без ДДС"}, {"VATBaseAmount", "Данъчна основа"},
                          {"VATValue", "ДДС"}, {"TotalVAT", "С ДДС"}});
    ShowHeaderTotalsInFooter(dbgDetail, {"TotalValue", "VATValue", "TotalVAT"});
}

void TfEdPurchGlobalDocument::FormCreate() {
    TfEdBaseGlobalDocument::FormCreate();
    DocumentKindCode = kind_.KindCode;
}

void TfEdPurchGlobalDocument::FormShow() {
    TfEdBaseGlobalDocument::FormShow();
    LinkedFormNumber = kind_.LinkedFormNumber;
    uPostedPurchOperations::FillLedgerSubjectTypes(*this);
}

void TfEdPurchGlobalDocument::StartFromMenu() {
    if (!cdsMaster.Active() || cdsMaster.IsEmpty()) acInsertRecordExecute();
}

// Field handlers.

void TfEdPurchGlobalDocument::Bind(TClientDataSet& dataSet, const char* fieldName, THandler handler) {
    TField* field = dataSet.FindField(fieldName);
    if (field == nullptr) return;
    field->OnChange = [this, handler](TField& changed) {
        RunGuarded(OperationName(changed.FieldName() + "OnChange"), [this, handler, &changed] { (this->*handler)(changed); });
    };
}

void TfEdPurchGlobalDocument::AttachCommonEvents(TClientDataSet& dataSet) {
    using T = TfEdPurchGlobalDocument;
    if (&dataSet == &cdsMaster) {
        Bind(dataSet, "Currency_Id", &T::CurrencyOnChange);
        Bind(dataSet, "PayTerm_Id", &T::PayTermOnChange);
        Bind(dataSet, "DocumentDate", &T::PayTermOnChange);
        Bind(dataSet, "PriceIncludingVAT", &T::PriceIncudingVATOnChange);
        return;
    }
    Bind(dataSet, "Code", &T::CodeOnChange);
    for (const char* field : {"DirectUnitCost", "Quantity", "LineDiscount_percent"}) Bind(dataSet, field, &T::LineDiscountOnChange);
    Bind(dataSet, "LineDiscountAmount", &T::LineDiscountAmountOnChange);
    Bind(dataSet, "UnitCost", &T::UnitCostOnChange);
    Bind(dataSet, "TotalPrice", &T::TotalPriceOnChange);
    Bind(dataSet, "VATProdPostGroup_Id", &T::VATProdPostGroupOnChange);
}

void TfEdPurchGlobalDocument::CurrencyOnChange(TField&) { PurchCurrencyOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdPurchGlobalDocument::PayTermOnChange(TField&) {
    uPurchCallculations::PurchPayTermOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchGlobalDocument::PriceIncudingVATOnChange(TField&) {
    PurchGlobalPriceIncudingVATOnChange(cdsMaster, cdsDetail, Calculating);
}

// A line copied from a source document keeps the source's price: only a typed line asks.
void TfEdPurchGlobalDocument::CodeOnChange(TField&) {
    if (RulesSuppressed || takingOver_ || !FieldValue(cdsDetail, "SrcLine_Id").IsEmpty()) return;
    PurchCodeFieldOnChange(cdsMaster, cdsDetail, Calculating, false, true);
}

void TfEdPurchGlobalDocument::LineDiscountOnChange(TField&) {
    if (RulesSuppressed) return;
    PurchGlobalLineDiscountOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchGlobalDocument::LineDiscountAmountOnChange(TField&) {
    PurchGlobalLineDiscountOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchGlobalDocument::UnitCostOnChange(TField&) { PurchUnitCostOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdPurchGlobalDocument::UnitCost_LCYOnChange(TField&) {
    PurchUnitCost_LCYOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchGlobalDocument::TotalPriceOnChange(TField&) { PurchTotalPriceOnChange(cdsMaster, cdsDetail, Calculating); }

void TfEdPurchGlobalDocument::VATProdPostGroupOnChange(TField&) {
    PurchVATProdPostGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

// Sources.

TFilter TfEdPurchGlobalDocument::ChooseFilter() const {
    const std::string h = std::string(kind_.SourceHeader) + ".";
    TFilter filter;
    filter.Add(h + "Comp_Id", "=", LocalData().CompanyId, " AND")
        .Add(h + kind_.OutOfLedgerField, "=", 1, " AND")
        .Add(h + "Annul", "=", 0, " AND")
        .Add(h + kind_.GlobalFlagField, " <>", 1, " AND")
        .Add(h + "Contragent_Id", " =", FieldValue(const_cast<TClientDataSet&>(cdsMaster), "Contragent_Id"), " AND")
        .Add(h + kind_.GlobalNoField, " is", "NULL");
    return filter;
}

namespace {

// What the sources of a global document not posted yet are marked with: its number, or its
// Id while it has none.
Variant SourcesMark(TClientDataSet& header) {
    const Variant number = FieldValue(header, "DocumentNo");
    return number.IsEmpty() ? FieldValue(header, "Id") : number;
}

}  // namespace

TFilter TfEdPurchGlobalDocument::RemoveFilter() const {
    const std::string h = std::string(kind_.SourceHeader) + ".";
    TClientDataSet& header = const_cast<TClientDataSet&>(cdsMaster);
    TFilter filter;
    filter.Add(h + "Comp_Id", "=", LocalData().CompanyId, " AND")
        .Add(h + "Contragent_Id", "=", FieldValue(header, "Contragent_Id"), " AND")
        .Add(h + kind_.GlobalNoField, "=", SourcesMark(header), " AND")
        .Add(h + kind_.OutOfLedgerField, "=", 1, " AND")
        .Add(h + "Annul", "=", 0, " AND")
        .Add(h + kind_.GlobalFlagField, " <>", 1);
    return filter;
}

void TfEdPurchGlobalDocument::acChooseDocumentsExecute() {
    DefaultValues = {{kind_.SourceKind, GetDocumentType()},
                     {"Id", FieldValue(cdsMaster, "Id")},
                     {"DocumentNo", FieldValue(cdsMaster, "DocumentNo")}};
    TfEdBaseGlobalDocument::acChooseDocumentsExecute();
    if (FieldValue(cdsMaster, "Contragent_Id").IsEmpty())
        AbortWithError("err_ChooseContragentFirst", "Изберете доставчик, преди да изберете документи.");
    TRequestResult rows;
    if (!GetSelectorRows(kind_.SelectorNumber, ChooseFilter(), kind_.SelectorFields, kind_.TargetFields, rows)) return;
    ProcessSelectedRecords(rows);
}

void TfEdPurchGlobalDocument::ProcessSelectedRecords(const TRequestResult& rows) {
    RulesSuppressed = false;
    takingOver_ = true;
    try {
        TfEdBaseGlobalDocument::ProcessSelectedRecords(rows);
    } catch (...) {
        takingOver_ = false;
        throw;
    }
    takingOver_ = false;
    PurchGlobalPriceIncudingVATOnChange(cdsMaster, cdsDetail, Calculating);
    acReCalcDocumentExecute();
}

void TfEdPurchGlobalDocument::acDeleteLinesFromDocsExecute() {
    const int count = cdsDetail.RecordCount();
    const TDefaultValues defaults = {{"DocumentType", GetDocumentType()},
                                     {"Id", FieldValue(cdsMaster, "Id")},
                                     {"DocumentNo", FieldValue(cdsMaster, "DocumentNo")}};
    RequestForm(std::stoi(kind_.SelectorNumber), {soRemoveSources}, RemoveFilter(), Variant(), Variant(), nullptr,
                defaults, this);
    SaveInProgress = true;
    try {
        acSave.Execute();
    } catch (...) {
        SaveInProgress = false;
        throw;
    }
    SaveInProgress = false;
    OpenDataSet(*FindFormDataSet(cdsDetail));
    if (cdsDetail.RecordCount() != count) TfEdBaseGlobalDocument::acDeleteLinesFromDocsExecute();
}

void TfEdPurchGlobalDocument::DoRecalcDocument() {
    PurchGlobalReCalcDocumentExecute(cdsMaster, cdsDetail, Calculating, VATTotals);
}

// Saving.

// A company whose global headers keep no transaction number (an older schema) draws none.
void TfEdPurchGlobalDocument::DrawTransactionNo() {
    if (cdsMaster.FindField("TransactionNo") == nullptr || !FieldValue(cdsMaster, "TransactionNo").IsNull()) return;
    const std::string company = LocalData().CompanyId;
    TRequestResult series;
    Variant number;
    if (dm().Server().RequestValue(0, "C_CompanySetup", "Transaction_Series_Id",
                                   TFilter().Add("C_CompanySetup.Id", "=", company), series) == 1) {
        std::string drawn;
        if (dm().Server().GetNextSerieNo(series.Value().AsString(), FieldValue(cdsMaster, "BusinessGroup_ID").AsString(),
                                         drawn) < 0)
            throw std::runtime_error(GetMessageText("err_GenTransactionNo", "Не може да бъде получен номер на транзакция."));
        number = drawn;
    }
    cdsMaster.Edit();
    cdsMaster.FieldByName("TransactionNo").SetValue(number);
}

void TfEdPurchGlobalDocument::acSaveExecute() {
    DrawTransactionNo();
    TfEdBaseGlobalDocument::acSaveExecute();
    UpdateActionState();
}

bool TfEdPurchGlobalDocument::OnSaveBeforeGetData() {
    if (!TfEdBaseGlobalDocument::OnSaveBeforeGetData()) return false;
    if (kind_.RecalcMarker == 0) return true;
    char text[512];
    const std::string marker(1, kind_.RecalcMarker);
    std::snprintf(text, sizeof text, _c_query_RecalcDocument, QuotedSql(FieldValue(cdsMaster, "Id").AsString()).c_str(),
                  QuotedSql(FieldValue(cdsMaster, "Comp_Id").AsString()).c_str(), marker.c_str());
    return dm().Server().ExecuteSQLScript(text) == 0;
}

void TfEdPurchGlobalDocument::acSetCurrencyFactorExecute() {
    double proposed = FieldValue(cdsMaster, "CURRENCYFACTOR").AsFloat();
    if (proposed == 0.0)
        proposed = dm().Server().GetCurrencyRate(FieldValue(cdsMaster, "Currency_Id").AsString(),
                                                 cdsMaster.FieldByName("DocumentDate").AsDateTime(), 1);
    std::string text = Variant(proposed).AsString();
    if (!dm().Dialogs().CurrencyRate(FieldValue(cdsMaster, "Currency_Id").AsString(), text, false)) return;
    double factor = 0.0;
    try {
        factor = Variant(Trim(text)).AsFloat();
    } catch (...) {
        AbortWithError("err_InvalidCurrencyFactor", "Невалиден валутен курс.");
    }
    cdsMaster.Edit();
    cdsMaster.FieldByName("CURRENCYFACTOR").SetAsFloat(factor);
    const Variant current = FieldValue(cdsDetail, "Id");
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
        EnsureEditing(cdsDetail);
        PurchUpdateUnitCost(cdsMaster, cdsDetail, Calculating);
        PurchCalcTotalAmounts(cdsMaster, cdsDetail, Calculating);
        cdsDetail.Post();
    }
    LocateLine(cdsDetail, current);
}

// Posting, deleting, printing.

void TfEdPurchGlobalDocument::PostToServer(bool print) {
    TWaitCursor wait;
    const std::string id = FieldValue(cdsMaster, "Id").AsString();
    const int kind = ShownDocumentType();
    const std::string number = ShownDocumentNo();
    TVariantArray keys;
    const int result = kind_.PostsAsProtocol ? dm().Server().PostPurchProtocol(id, kind_.PostMarker, keys)
                                             : dm().Server().PostGlobalDoc(id, kind_.PostMarker, keys);
    if (result >= 0 && print) PrintPostedDocument(keys, kind_.PostedReport);
    // The posted document left the open ones: the editor is left on an empty document.
    Filter = KeyFilter(id);
    acRefreshExecute();
    if (auto* caller = dynamic_cast<IBaseIntf*>(CallingForm)) caller->RefreshDocument();
    if (result < 0)
        TellDocumentRefused(TDocumentDeed::ddPosted, kind, number);
    else
        TellDocumentDone(TDocumentDeed::ddPosted, kind, PostedNumber(keys));
}

void TfEdPurchGlobalDocument::cdsMasterBeforeDelete() {
    if (dm().Server().DeleteGlobalDoc(FieldValue(cdsMaster, "Id").AsString(), kind_.DeleteMarker) >= 0) return;
    TELException(GetMessageText("err_DeleteGlobalDetailRows", "Редовете на глобалния документ не бяха изтрити."),
                 OperationName("cdsMasterBeforeDelete"));
    throw EAbort();
}

TRequestResult TfEdPurchGlobalDocument::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfEdBaseGlobalDocument::GetPrintDocument());
}

}  // namespace tavrek
