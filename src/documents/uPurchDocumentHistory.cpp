#include "documents/uPurchDocumentHistory.h"

#include "base/data/TClientDataSet.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;

bool PurchCheckDocumentBeforeDelete(TClientDataSet& header, int kind, const std::string* lineCodes) {
    const TField* status = header.FindField("CheckStatus");
    if (status == nullptr || status->AsInteger() <= 0 || !LocalData().UseGoodsCheck) return true;
    const std::string what = lineCodes == nullptr ? "0, ''" : "1, " + QuotedSql(*lineCodes);
    const std::string text = "exec " + GetMessageText("usp_CheckDocumentBeforeDelete", "usp_CheckDocumentBeforeDelete") +
                             " " + QuotedSql(LocalData().CompanyId) + ", " +
                             QuotedSql(header.FieldByName("Id").AsString()) + ", " + std::to_string(kind) + ", " + what;
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Code,Msg", TFilter(), result);
    const int64_t code = result.ByName("Code").AsInteger();
    if (code == 0) return true;
    const std::string key = "err_DocumentForCheck_" + std::to_string(code);
    MessageDlgEx(FormatMessage(GetMessageText(key, key), {result.ByName("Msg").AsString()}), TMsgDlgType::mtError, mbOK);
    return false;
}

bool PurchCheckMarkedBeforeDelete(TClientDataSet& rows, const std::vector<TBookmark>& marked, int kind) {
    if (!rows.Active() || rows.IsEmpty()) return true;
    const TBookmark current = rows.GetBookmark();
    for (TBookmark row : marked.empty() ? std::vector<TBookmark>{current} : marked) {
        if (!rows.BookmarkValid(row)) continue;
        rows.GotoBookmark(row);
        if (!PurchCheckDocumentBeforeDelete(rows, kind)) return false;
    }
    rows.GotoBookmark(current);
    return true;
}

bool PurchSaveHistoryBeforeDelete(TClientDataSet& header, int kind) {
    const TLocalData& session = LocalData();
    const std::string text = "exec " + GetMessageText("proc_SaveHistoryBeforeDelete", " usp_SaveHistoryBeforeDelete") +
                             " " + QuotedSql(session.CompanyId) + ", " + QuotedSql(header.FieldByName("Id").AsString()) +
                             ", " + std::to_string(kind) + ", " + QuotedSql(session.UserId) + ", " +
                             QuotedSql(session.BusinessGroupId);
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Code, ErrMsg", TFilter(), result);
    if (result.ByName("Code").AsInteger() == 0) return true;
    ShowErrorKey("err_SavingHistoryBeforeDel", "Грешка при запазване на историята на документа.");
    return false;
}

}  // namespace tavrek
