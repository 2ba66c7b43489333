#include "lists/uBrGlobalPurchDocument.h"

#include <stdexcept>

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchPrintForms.h"
#include "lists/uPurchListColumns.h"

namespace tavrek {

TfBrGlobalPurchDocument::TfBrGlobalPurchDocument(const TGlobalListKind& kind) : kind_(kind) {
    MasterProvider = "D_GlobalPurchHeader";
    MasterTable = "D_GlobalPurchHeader";
    CardFormNumber = FindCatalogueClass(kind.CardClass)->FormNumber;
    CardKeyField = "D_GlobalPurchHeader.Id";
    DocumentKindCode = kind.DocumentType;
    uPurchListColumns::DescribeDocumentList(*this, MasterTable);
    if (kind.Posts) {
        pmDocument.Add("miPostDocument", acPostDocument);
        pmDocument.Add("miPostAndPrintDocument", acPostAndPrintDocument);
        pmPost.Add("miPost", acPostDocument);
        pmPost.Add("miPostAndPrint", acPostAndPrintDocument);
        pmPost.ButtonAction = &acPostDocument;
        AddMenu(pmPost);
    } else {
        HidePostingActions();
    }
}

void TfBrGlobalPurchDocument::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    Description.Caption = kind_.Caption;
    TFilter filter;
    filter.Add("D_GlobalPurchHeader.Comp_Id", "=", LocalData().CompanyId, "AND");
    if (kind_.OtherDocumentType == 0)
        filter.Add("D_GlobalPurchHeader.DocumentType", "=", kind_.DocumentType);
    else
        filter.Add("(D_GlobalPurchHeader.DocumentType", "=", kind_.DocumentType, "OR")
            .Add("D_GlobalPurchHeader.DocumentType", "=", kind_.OtherDocumentType, ")");
    Filter = AndJoined(Filter, filter);
}

void TfBrGlobalPurchDocument::FormShow() {
    TfBaseBrowseCardDocument::FormShow();
    LinkedFormNumber = kind_.LinkedFormNumber;
}

int TfBrGlobalPurchDocument::CurrentCardFormNumber() {
    if (kind_.OtherDocumentType != 0 && FieldValue(cdsMaster, "DocumentType").AsInteger() == kind_.OtherDocumentType)
        return FindCatalogueClass(kind_.OtherCardClass)->FormNumber;
    return CardFormNumber;
}

void TfBrGlobalPurchDocument::acPostDocumentExecute() {
    TfBaseBrowseCardDocument::acPostDocumentExecute();
    acRefreshExecute();
}

void TfBrGlobalPurchDocument::acPostAndPrintDocumentExecute() {
    TfBaseBrowseCardDocument::acPostAndPrintDocumentExecute();
    acRefreshExecute();
}

void TfBrGlobalPurchDocument::PostDocument(bool print) {
    if (!kind_.Posts) return;
    TfBaseBrowseCardDocument::PostDocument(print);
    if (!cdsMaster.Active() || cdsMaster.IsEmpty()) return;
    RunGuarded(OperationName("PostDocument"), [this, print] { PostCurrentDocument(print); });
}

void TfBrGlobalPurchDocument::PostCurrentDocument(bool print) {
    TWaitCursor wait;
    const int kind = ShownDocumentType();
    TVariantArray keys;
    if (dm().Server().PostGlobalDoc(FieldValue(cdsMaster, "Id").AsString(), kind_.Marker, keys) < 0) {
        const std::string reason = dm().Server().LastRefusalText();
        throw std::runtime_error(GetMessageText("err_PostingDocument", "Грешка при осчетоводяване на документа.") +
                                 (reason.empty() ? "" : "\r\n" + reason));
    }
    if (print) PrintPostedDocument(keys, "");
    TellDocumentDone(TDocumentDeed::ddPosted, kind, PostedNumber(keys));
}

bool TfBrGlobalPurchDocument::ConfirmDeletion() { return confirmed_ || TfBaseBrowseCardDocument::ConfirmDeletion(); }

void TfBrGlobalPurchDocument::DeleteOnServer() {
    std::vector<TBookmark> rows = dbgMaster.SelectedRows;
    if (rows.empty()) rows.push_back(cdsMaster.GetBookmark());
    for (TBookmark row : rows) {
        if (!cdsMaster.BookmarkValid(row)) continue;
        cdsMaster.GotoBookmark(row);
        if (dm().Server().DeleteGlobalDoc(FieldValue(cdsMaster, "Id").AsString(), kind_.Marker) < 0)
            throw std::runtime_error(
                GetMessageText("err_DeleteGlobalDetailRows", "Редовете на глобалния документ не бяха изтрити."));
    }
}

void TfBrGlobalPurchDocument::acDeleteRecordExecute() {
    if (!cdsMaster.Active() || cdsMaster.IsEmpty() || !ConfirmDeletion()) return;
    DeleteOnServer();
    confirmed_ = true;
    try {
        TfBaseBrowseCardDocument::acDeleteRecordExecute();
    } catch (...) {
        confirmed_ = false;
        throw;
    }
    confirmed_ = false;
}

TRequestResult TfBrGlobalPurchDocument::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfBaseBrowseCardDocument::GetPrintDocument());
}

}  // namespace tavrek
