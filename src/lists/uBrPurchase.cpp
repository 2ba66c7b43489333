#include "lists/uBrPurchase.h"

#include <stdexcept>

#include "base/errors/TELException.h"
#include "base/forms/EAbort.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/IDialogs.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentHistory.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uPurchPrintForms.h"
#include "lists/uPurchListColumns.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;

namespace {

constexpr int kPurchaseInvoice = 1;

}  // namespace

TfBrPurchase::TfBrPurchase()
    : acSendDocumentsForCheck(AcListBase.Add("acSendDocumentsForCheck", "Изпрати за проверка", "Документ")) {
    MasterProvider = "D_PurchHeader";
    MasterTable = "D_PurchHeader";
    CardFormNumber = FindCatalogueClass("TfEdPurchase")->FormNumber;
    CardKeyField = "D_PurchHeader.Id";
    // A row without its DocumentType is told of as an invoice.
    DocumentKindCode = kDocKindPurchaseInvoice;
    uPurchListColumns::DescribeDocumentList(*this, MasterTable);
    BindAction(acSendDocumentsForCheck, "acSendDocumentsForCheckExecute", [this] { acSendDocumentsForCheckExecute(); });
    acSendDocumentsForCheck.OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
    pmDocument.Add("miPostDocument", acPostDocument);
    pmDocument.Add("miPostAndPrintDocument", acPostAndPrintDocument);
    pmDocument.AddSeparator();
    pmDocument.Add("miSendDocumentsForCheck", acSendDocumentsForCheck);
    pmPost.Add("miPost", acPostDocument);
    pmPost.Add("miPostAndPrint", acPostAndPrintDocument);
    pmPost.ButtonAction = &acPostDocument;
    AddMenu(pmPost);
}

void TfBrPurchase::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    ShowDocumentTypes("Фактури за покупка", kPurchaseInvoice, kDocTypeGeneralPurchase);
}

void TfBrPurchase::ShowDocumentTypes(const char* caption, int64_t type, int64_t otherType) {
    Description.Caption = caption;
    Filter = AndJoined(Filter, TFilter()
                                   .Add("D_PurchHeader.Comp_Id", "=", LocalData().CompanyId, "AND")
                                   .Add("(D_PurchHeader.DocumentType", "=", type, "OR")
                                   .Add("D_PurchHeader.DocumentType", "=", otherType, ")"));
}

// General purchase documents, booked by account, open in their own editor.
int TfBrPurchase::CurrentCardFormNumber() {
    if (FieldValue(cdsMaster, "DocumentType").AsInteger() == kDocTypeGeneralPurchase)
        return FindCatalogueClass("TfEdPurchaseDoc")->FormNumber;
    return CardFormNumber;
}

bool TfBrPurchase::BeforePostDocument(bool) { return true; }

void TfBrPurchase::AfterPostDocument(const TVariantArray&, bool) {}

void TfBrPurchase::PostDocument(bool print) {
    TfBaseBrowseCardDocument::PostDocument(print);
    if (!cdsMaster.Active() || cdsMaster.IsEmpty()) return;
    RunGuarded(OperationName("PostDocument"), [this, print] { PostCurrentDocument(print); });
}

void TfBrPurchase::PostCurrentDocument(bool print) {
    TWaitCursor wait;
    if (!DocumentCheckIsDone(cdsMaster)) return;
    const Variant id = FieldValue(cdsMaster, "Id");
    if (!CheckForAccountDimension(id, 0, 0)) return;
    if (cdsMaster.FindField("PayMethod_Id") != nullptr &&
        !CheckCanPostDocument(FieldValue(cdsMaster, "PayMethod_Id"), "", 1, FieldValue(cdsMaster, "DirectPay")))
        return;
    if (RoundUp(FieldValue(cdsMaster, "TotalVat").AsFloat(), 2) == 0.0 &&
        !AskYesNoKey("que_DocWithZeroTotalValue", "Документът е с нулева стойност. Да бъде ли осчетоводен?"))
        return;
    if (!BeforePostDocument(print)) return;
    const int kind = ShownDocumentType();
    TVariantArray keys;
    if (PostOnServer(id.AsString(), keys) < 0) {
        const std::string reason = dm().Server().LastRefusalText();
        throw std::runtime_error(GetMessageText("err_PostingDocument", "Грешка при осчетоводяване на документа.") +
                                 (reason.empty() ? "" : "\r\n" + reason));
    }
    if (print) PrintPostedDocument(keys, PostedPrintForm);
    AfterPostDocument(keys, print);
    // Paid on the spot: the cashier counts the change.
    const double totalVat = FieldValue(cdsMaster, "TotalVat").AsFloat();
    if (LocalData().ShowChangeCalculation && FieldValue(cdsMaster, "DirectPay").AsInteger() == 1 && totalVat != 0.0) {
        const double totalLCY = FieldValue(cdsMaster, "TotalVat_LCY").AsFloat();
        dm().Dialogs().ChangeCalculation(totalLCY, totalLCY);
    }
    ReloadData();
    TellDocumentDone(TDocumentDeed::ddPosted, kind, PostedNumber(keys));
}

int TfBrPurchase::PostOnServer(const std::string& id, TVariantArray& keys) { return dm().Server().PostPurchase(id, keys); }

TRequestResult TfBrPurchase::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfBaseBrowseCardDocument::GetPrintDocument());
}

// Every marked document is asked for, not only the one under the cursor.
void TfBrPurchase::acDeleteRecordExecute() {
    if (!PurchCheckMarkedBeforeDelete(cdsMaster, dbgMaster.SelectedRows, 4)) {
        ReloadData();
        return;
    }
    TfBaseBrowseCardDocument::acDeleteRecordExecute();
    // The rows after the deleted ones moved up on the server: read the list again.
    ReloadData();
}

void TfBrPurchase::MoveToAnnulDocs() {
    TfBaseBrowseCardDocument::MoveToAnnulDocs();
    const TLocalData& session = LocalData();
    const std::string text = "exec " + GetMessageText("proc_SaveHistoryBeforeDelete", " usp_SaveHistoryBeforeDelete") +
                             " " + QuotedSql(session.CompanyId) + ", " +
                             QuotedSql(FieldValue(cdsMaster, "Id").AsString()) + ", " + std::to_string(HistoryDocumentKind) + ", " + QuotedSql(session.UserId) + ", " +
                             QuotedSql(session.BusinessGroupId);
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Code, ErrMsg", TFilter(), result);
    if (result.ByName("Code").AsString() == "-1") {
        ShowErrorKey("err_SavingHistoryBeforeDel", "Грешка при запазване на историята на документа.");
        throw EAbort();
    }
}

void TfBrPurchase::acSendDocumentsForCheckExecute() {
    std::vector<TBookmark> rows = dbgMaster.SelectedRows;
    if (rows.empty()) rows.push_back(cdsMaster.GetBookmark());
    for (TBookmark row : rows) {
        if (!cdsMaster.BookmarkValid(row)) continue;
        cdsMaster.GotoBookmark(row);
        SendDocumentForCheck(FieldValue(cdsMaster, "Id"), 3, 0, 0, true, FieldValue(cdsMaster, "BusinessGroup_Id"));
    }
    ReloadData();
}

namespace uBrPurchase {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrPurchase");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrPurchase>(); }, entry.Caption,
                      TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchase

}  // namespace tavrek
