#include "posted/uPostedPurchOperations.h"

#include <stdexcept>
#include <string_view>

#include "base/forms/IBaseIntf.h"
#include "base/forms/IFormHost.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TWaitCursor.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek::uPostedPurchOperations {

using uPurchCalcHelpers::QuotedSql;

namespace {

Variant Get(TClientDataSet& ds, std::string_view field) {
    TField* f = ds.FindField(field);
    return f == nullptr ? Variant() : f->Value();
}

std::string HeaderId(TfBase& view) { return view.cdsMaster.FieldByName("Id").AsString(); }

// Annuls on the server; false when the server refused.
bool Annul(TfBase& view, const TAnnulment& annulment, TDateTime date, const std::string& description) {
    TClientDataSet& header = view.cdsMaster;
    const int64_t global = Get(header, annulment.GlobalField).IsNull() ? 0 : Get(header, annulment.GlobalField).AsInteger();
    if (global == 0) {
        const int annulPayments = annulment.AnnulPayments();
        Variant output;
        if (dm().Server().AnnulDocument(HeaderId(view), annulment.Kind, description, date, annulPayments, output) < 0)
            return false;
        if (LocalData().ShowChangeCalculation && !output.IsNull() && output.AsFloat() != 0.0) {
            const double change = output.AsFloat() * annulment.ChangeSign;
            dm().Dialogs().ChangeCalculation(change, change);
        }
        return true;
    }
    if (global != 1) return false;
    if (dm().Server().AnnulGlobalDoc(HeaderId(view), annulment.GlobalMarker, description, date) < 0) return false;
    if (LocalData().ShowChangeCalculation && Get(header, "DirectPay").AsInteger() == 1 &&
        Get(header, "TotalVat").AsFloat() != 0.0) {
        const double total = Get(header, "TotalVat_LCY").AsFloat();
        dm().Dialogs().ChangeCalculation(total, total);
    }
    return true;
}

void AnnulConfirmed(TfBase& view, const TAnnulment& annulment) {
    TDateTime date = Get(view.cdsMaster, "PostingDate").IsNull() ? TDateTime::Today()
                                                                  : Get(view.cdsMaster, "PostingDate").AsDateTime();
    std::string description;
    if (!dm().Dialogs().AnnulDocument(date, description)) return;
    const int answer = MessageDlgEx(GetMessageText("que_AnnulDocument", "Да бъде ли анулиран документът?"),
                                    TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
    if (answer != mrYes) return;
    TWaitCursor wait;
    if (Annul(view, annulment, date, description)) view.acRefreshExecute();
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
    if (Get(view.cdsMaster, "Annul").AsInteger() != 0) return;
    try {
        AnnulConfirmed(view, annulment);
    } catch (...) {
        view.Close();
        throw;
    }
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

void GenerateProtocol(TfBase& view, const std::string& procedureKey, const std::string& defaultName, int formNumber,
                      const std::string& keyField) {
    const TLocalData& session = LocalData();
    const std::string text = "exec " + GetMessageText(procedureKey, defaultName) + " " + QuotedSql(session.CompanyId) +
                             ", " + QuotedSql(session.BusinessGroupId) + ", " + QuotedSql(HeaderId(view)) + ", " +
                             QuotedSql(session.UserId);
    TRequestResult result;
    if (dm().Server().RequestValue(-1, text, "Quantity,Item_id", TFilter(), result, false) < 0) {
        ShowErrorKey("err_CommonError", "Грешка при изпълнение на операцията.");
        return;
    }
    RequestForm(formNumber, {soNormal}, TFilter().Add(keyField, "=", Variant(QuotedSql(result.Value().AsString()))),
                Variant(), Variant(), nullptr, {}, &view);
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
        .Add("D_PostItemChargeAssigment.SrcDocument_ID", "=", Get(view.cdsMaster, "Id"), byItemCharge ? "AND" : "");
    if (byItemCharge) filter.Add("D_PostItemChargeAssigment.ItemCharge_Id", "=", Get(*lines, "Code"));
    RequestForm(10620, {soNormal}, filter, Variant(), Variant(), nullptr, {}, &view);
}

}  // namespace tavrek::uPostedPurchOperations
