#include "posted/uPostedPurchOperations.h"

#include <stdexcept>
#include <string_view>
#include <utility>

#include "base/forms/IBaseIntf.h"
#include "base/forms/IFormHost.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TWaitCursor.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "documents/uEdPurchPostingChecks.h"

namespace tavrek::uPostedPurchOperations {

using uPurchCalcHelpers::QuotedSql;

namespace {

constexpr int kPaymentFormNumber = 1040;

// A number read from a server answer, or the default when there is none or it is no number.
double SafeFloatDef(const Variant& value, double defaultValue) {
    if (value.IsEmpty()) return defaultValue;
    try {
        return value.AsFloat();
    } catch (...) {
        return defaultValue;
    }
}

std::string HeaderId(TfBase& view) { return view.cdsMaster.FieldByName("Id").AsString(); }

enum class TAnnulOutcome { aoNotAsked, aoAnnulled, aoRefused };

// Annuls on the server; a document of neither a global nor a plain kind is not annulled. The
// payments are asked about first, whichever way the document is annulled.
TAnnulOutcome Annul(TfBase& view, const TAnnulment& annulment, TDateTime date, const std::string& description) {
    TClientDataSet& header = view.cdsMaster;
    const int annulPayments = annulment.AnnulPayments();
    const Variant globalValue = FieldValue(header, annulment.GlobalField);
    const int64_t global = annulment.Consolidated ? 1 : globalValue.IsNull() ? 0 : globalValue.AsInteger();
    if (global == 0) {
        Variant output;
        if (dm().Server().AnnulDocument(HeaderId(view), annulment.Kind, description, date, annulPayments, output) < 0)
            return TAnnulOutcome::aoRefused;
        if (LocalData().ShowChangeCalculation && !output.IsNull() && output.AsFloat() != 0.0) {
            const double change = output.AsFloat() * annulment.ChangeSign;
            dm().Dialogs().ChangeCalculation(change, change);
        }
        return TAnnulOutcome::aoAnnulled;
    }
    if (global != 1) return TAnnulOutcome::aoNotAsked;
    if (annulment.Protocol)
        return dm().Server().AnnulPurchProtocol(HeaderId(view), annulment.GlobalMarker, description, date) < 0
                   ? TAnnulOutcome::aoRefused
                   : TAnnulOutcome::aoAnnulled;
    if (dm().Server().AnnulGlobalDoc(HeaderId(view), annulment.GlobalMarker, description, date, annulPayments) < 0)
        return TAnnulOutcome::aoRefused;
    if (LocalData().ShowChangeCalculation && FieldValue(header, "DirectPay").AsInteger() == 1 &&
        FieldValue(header, "TotalVat").AsFloat() != 0.0) {
        const double total = FieldValue(header, "TotalVat_LCY").AsFloat();
        dm().Dialogs().ChangeCalculation(total, total);
    }
    return TAnnulOutcome::aoAnnulled;
}

TAnnulOutcome AnnulConfirmed(TfBase& view, const TAnnulment& annulment) {
    const Variant postingDate = FieldValue(view.cdsMaster, "PostingDate");
    TDateTime date = postingDate.IsNull() ? TDateTime::Today() : postingDate.AsDateTime();
    std::string description;
    if (!dm().Dialogs().AnnulDocument(date, description)) return TAnnulOutcome::aoNotAsked;
    const int answer = MessageDlgEx(GetMessageText("que_AnnulDocument", "Да бъде ли анулиран документът?"),
                                    TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
    if (answer != mrYes) return TAnnulOutcome::aoNotAsked;
    TWaitCursor wait;
    const TAnnulOutcome outcome = Annul(view, annulment, date, description);
    if (outcome == TAnnulOutcome::aoAnnulled) view.acRefreshExecute();
    return outcome;
}

}  // namespace

void FillLedgerSubjectTypes(TfBase& view) {
    THeaderField* combo = view.Description.FindField("LedgerSubjectType");
    if (combo == nullptr) return;
    combo->Items.clear();
    TRequestResult types;
    if (dm().Server().RequestValue(0, "N_LedgerSubjectTypes", "Id", TFilter(), types, true) != 0)
        for (const TVariantArray& row : types.Rows) combo->Items.push_back(row.empty() ? "" : row[0].AsString());
}

void AnnulPostedDocument(TfBase& view, const TAnnulment& annulment) {
    if (FieldValue(view.cdsMaster, "Annul").AsInteger() != 0) return;
    const int kind = view.ShownDocumentType();
    const std::string number = view.ShownDocumentNo();
    TAnnulOutcome outcome = TAnnulOutcome::aoNotAsked;
    try {
        outcome = AnnulConfirmed(view, annulment);
    } catch (...) {
        view.Close();
        throw;
    }
    // What became of the document is told last before the view closes: a closed view may be
    // freed while a message waits for its answer.
    if (outcome == TAnnulOutcome::aoAnnulled) TfBase::TellDocumentDone(TDocumentDeed::ddAnnulled, kind, number);
    if (outcome == TAnnulOutcome::aoRefused) TfBase::TellDocumentRefused(TDocumentDeed::ddAnnulled, kind, number);
    view.Close();
}

IBaseIntf* GenerateByCopyTemplate(TfBase& view, int targetFormNumber, const TDefaultValues& defaults,
                                  const std::function<void()>& beforeClose) {
    TFilter filter;
    filter.Add("S_CopyDocTemplateHeader.SrcForm_Id", "=", view.FormNumber, "AND")
        .Add("S_CopyDocTemplateHeader.TrgForm_Id", "=", targetFormNumber);
    TRequestResult found;
    const int count = dm().Server().RequestValue(0, "S_CopyDocTemplateHeader", "Id", filter, found, false);
    const std::string templateId = found.Value().IsNull() ? "" : found.Value().AsString();
    if (count != 1 || templateId.empty()) {
        const std::string text = GetMessageText("err_NotFountCopyTemplate", "Не е намерен шаблон за копиране на документа.") +
                                 "\r\n" + GetMessageText("err_NoUniqueRecord", "Няма или има повече от един запис.") +
                                 "\r\n" + GetMessageText("inf_CallSystemAdministrator", "Обърнете се към системния администратор.");
        MessageDlgEx(text, TMsgDlgType::mtError, mbOK);
        throw std::runtime_error(text);
    }
    RequestForm(targetFormNumber, {soNormal}, TFilter(), Variant(), Variant(), nullptr, defaults, &view);
    IBaseIntf* target = FindFormByCallingForm(&view);
    if (target != nullptr) {
        target->CopyDocumentByTemplate(HeaderId(view), templateId, view.FormNumber, 0, 1, 0);
        target->SetCallingForm(nullptr);
    }
    if (beforeClose) beforeClose();
    view.Close();
    if (target != nullptr)
        if (IFormHost* host = dm().FormHost()) host->ActivateForm(target->Form());
    return target;
}

void GeneratePayment(TfBase& view, const TDefaultValues& defaults, const std::function<void()>& beforeClose) {
    view.acSave.Execute();
    TWaitCursor wait;
    TClientDataSet* lines = view.FindDataSet("cdsDetail");
    TDataSetEvent afterScroll;
    if (lines != nullptr) afterScroll = std::exchange(lines->AfterScroll, nullptr);
    const auto reattach = [lines, &afterScroll] {
        if (lines != nullptr) lines->AfterScroll = std::move(afterScroll);
    };
    IBaseIntf* payment = nullptr;
    try {
        payment = GenerateByCopyTemplate(view, kPaymentFormNumber, defaults, beforeClose);
    } catch (...) {
        reattach();
        throw;
    }
    reattach();
    if (payment != nullptr) payment->ActivateDocumentForm();
}

void GenerateProtocol(TfBase& view, const std::string& procedureKey, const std::string& defaultName, int formNumber,
                      const std::string& keyField) {
    const TLocalData& session = LocalData();
    const std::string text = "exec " + GetMessageText(procedureKey, defaultName) + " " + QuotedSql(session.CompanyId) +
                             ", " + QuotedSql(session.BusinessGroupId) + ", " + QuotedSql(HeaderId(view)) + ", " +
                             QuotedSql(session.UserId);
    TRequestResult result;
    // A refusal answers -1 in place of the protocol's Id.
    if (dm().Server().RequestValue(-1, text, "Quantity,Item_id", TFilter(), result, false) < 0 || result.Empty() ||
        result.Value().AsString() == "-1") {
        ShowErrorKey("err_CommonError", "Грешка при изпълнение на операцията.");
        return;
    }
    const std::string protocolId = result.Value().AsString();
    RequestForm(formNumber, {soNormal}, TFilter().Add(keyField, "=", Variant(QuotedSql(protocolId))), Variant(),
                Variant(), nullptr, {}, &view);
    // Protocols are open documents of the global header until they are posted.
    TellCreatedDocument("D_GlobalPurchHeader", Variant(protocolId));
}

int InvoiceAnnulPayments(TfBase& view) {
    TClientDataSet& header = view.cdsMaster;
    if (FieldValue(header, "DirectPay").AsInteger() != 0) return -1;
    TRequestResult entry;
    TFilter entryFilter;
    entryFilter.Add("G_ContragentEntry.Comp_id", "=", LocalData().CompanyId, "AND")
        .Add("G_ContragentEntry.Document_Id", "=", Variant(HeaderId(view)));
    if (dm().Server().RequestValue(0, "G_ContragentEntry", "Id", entryFilter, entry) != 1) return 0;
    TFilter appliedFilter;
    appliedFilter.Add("G_ContragentEntryDetail.Comp_id", "=", LocalData().CompanyId, "AND")
        .Add("G_ContragentEntryDetail.ContragentEntry_Id", "=", Variant(QuotedSql(entry.Value().AsString())), "AND")
        .Add("G_ContragentEntryDetail.documentType", "=", 1, "AND")
        .Add("G_ContragentEntryDetail.entryType", "=", 1);
    TRequestResult applied;
    if (dm().Server().RequestValue(0, "G_ContragentEntryDetail", "ABS(SUM(Amount)) as Amount", appliedFilter, applied) <= 0)
        return 0;
    if (SafeFloatDef(applied.Value(), 0.0) <= 0.0) return 0;
    return AskYesNoKey("que_ToAnnulPaymentJurnal", "Да бъдат ли анулирани и плащанията по документа?") ? 1 : 0;
}

bool AdvanceDimensionIntact(TfBase& view) {
    TClientDataSet& header = view.cdsMaster;
    Variant dimension = FieldValue(header, "AccountDimension_Id");
    if (dimension.IsEmpty())
        if (TClientDataSet* lines = view.FindDataSet("cdsDetail"); lines != nullptr && !lines->IsEmpty())
            dimension = FieldValue(*lines, "AccountDimension_Id");
    TFilter filter;
    filter.Add("G_LEntry.Comp_id", "=", LocalData().CompanyId, "AND")
        .Add("G_LEntry.AccountDimension_Id", "=", Variant(QuotedSql(dimension.AsString())));
    TRequestResult sum;
    if (dm().Server().RequestValue(0, "G_LEntry", "ABS(SUM(Amount)) as Amount", filter, sum) <= 0 || sum.Value().IsNull())
        return true;
    const double paid = FieldValue(header, "TotalValue_LCY").AsFloat();
    if (RoundUp(SafeFloatDef(sum.Value(), 0.0), 2) == RoundUp(paid, 2)) return true;
    ShowErrorKey("err_AnnulPurchAdvPayment", "Авансовото плащане вече е използвано и не може да бъде анулирано.");
    return false;
}

void RestoreItemEntryUsedQuantity(TfBase& view, bool currentLineOnly) {
    if (!view.HasRight(TFormRight::frEditProps))
        throw std::runtime_error(
            FormatMessage(GetMessageText("err_EditPropsRightNotAllowed", "Нямате право за промяна на свойства във форма %s."),
                          {std::to_string(view.FormNumber)}) +
            "\r\n" + GetMessageText("inf_CallSystemAdministrator", "Обърнете се към системния администратор."));
    if (!AskYesNoKey(currentLineOnly ? "que_RestorRowItemEntryUsedQuantity" : "que_RestorItemEntryUsedQuantity",
                     currentLineOnly ? "Да бъдат ли освободени партидите на реда?" : "Да бъдат ли освободени партидите на документа?"))
        return;
    TRequestResult setup;
    std::string allowNegative = "0";
    if (dm().Server().RequestValue(0, "C_CompanySetup", "AllowNegativeQTY",
                                   TFilter().Add("C_CompanySetup.Id", "=", LocalData().CompanyId), setup) == 1 &&
        !setup.Value().IsEmpty())
        allowNegative = setup.Value().AsString();
    TClientDataSet* lines = view.FindDataSet("cdsDetail");
    const std::string id = currentLineOnly && lines != nullptr ? FieldValue(*lines, "Id").AsString() : HeaderId(view);
    const std::string text = "exec dbo.usp_RestorItemEntryUsedQuantity " + QuotedSql(LocalData().CompanyId) + ", " +
                             QuotedSql(id) + ", " + allowNegative + (currentLineOnly ? ",2 ,0 " : ",0 ,0 ");
    TRequestResult rows;
    if (dm().Server().RequestValue(-1, text, "", TFilter(), rows, true) < 0 || rows.Empty()) {
        ShowInfoKey("inf_OperationSuccess", "Операцията е успешна.");
        return;
    }
    std::string report;
    const std::string line = GetMessageText("c_NoQtyInStockToRelocate", "%s %s: %s / %s");
    for (const TVariantArray& row : rows.Rows) {
        std::vector<std::string> values;
        for (size_t column = 0; column < 4; ++column) values.push_back(column < row.size() ? row[column].AsString() : "");
        report += FormatMessage(line, {values[0], values[1], values[2], values[3]}) + "\r\n";
    }
    MessageDlgEx(GetMessageText("err_NoQtyInStockToRelocate", "Следните артикули не могат да бъдат освободени:") + "\r\n" +
                     report,
                 TMsgDlgType::mtWarning, mbOK);
}

bool HasRemainingToPay(TfBase& view) {
    const TField* remaining = view.cdsMaster.Active() ? view.cdsMaster.FindField("Remaining") : nullptr;
    return remaining != nullptr && !view.cdsMaster.IsEmpty() && RoundUp(remaining->AsFloat(), 2) > 0.0;
}

void ShowCurrencyFactor(TfBase& view) {
    TClientDataSet& header = view.cdsMaster;
    const std::string currency = FieldValue(header, "Currency_Id").AsString();
    double rate = FieldValue(header, "CURRENCYFACTOR").AsFloat();
    if (rate == 0.0) rate = dm().Server().GetCurrencyRate(currency, FieldValue(header, "DocumentDate").AsDateTime(), 1);
    std::string text = Variant(rate).AsString();
    dm().Dialogs().CurrencyRate(currency.empty() ? LocalData().LocalCurrencyId : currency, text, true);
}

void ShowPostedItemCharges(TfBase& view, bool byItemCharge) {
    TClientDataSet* lines = view.FindDataSet("cdsDetail");
    if (lines == nullptr || lines->IsEmpty() || lines->FieldByName("Type").AsInteger() != 3) {
        ShowInfoKey("inf_SelectPostItemCharge", "Изберете ред за допълнителен разход.");
        return;
    }
    TFilter filter;
    filter.Add("D_PostItemChargeAssigment.Comp_Id", "=", LocalData().CompanyId, " AND")
        .Add("D_PostItemChargeAssigment.SalePurch", "=", 0, " AND")
        .Add("D_PostItemChargeAssigment.SrcDocument_ID", "=", FieldValue(view.cdsMaster, "Id"),
             byItemCharge ? "AND" : "");
    if (byItemCharge) filter.Add("D_PostItemChargeAssigment.ItemCharge_Id", "=", FieldValue(*lines, "Code"));
    RequestForm(10620, {soNormal}, filter, Variant(), Variant(), nullptr, {}, &view);
}

}  // namespace tavrek::uPostedPurchOperations
