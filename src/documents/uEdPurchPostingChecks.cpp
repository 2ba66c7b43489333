#include "documents/uEdPurchPostingChecks.h"

#include "base/data/TClientDataSet.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek {
namespace {

using uPurchCalcHelpers::QuotedSql;

// Runs "exec <procedure> <arguments>" reading "Code,Msg"; a non-zero code is shown as an error.
bool Passes(const std::string& key, const std::string& arguments) {
    TRequestResult result;
    const std::string text = "exec " + GetMessageText(key, key) + " " + arguments;
    if (dm().Server().RequestValue(-1, text, "Code,Msg", TFilter(), result) == 0) return true;
    if (result.ByName("Code").AsInteger() == 0) return true;
    MessageDlgEx(result.ByName("Msg").AsString(), TMsgDlgType::mtError, mbOK);
    return false;
}

std::string Company() { return QuotedSql(LocalData().CompanyId); }

}  // namespace

bool DocumentCheckIsDone(TClientDataSet& header) {
    const TField* status = header.FindField("CheckStatus");
    return !LocalData().UseGoodsCheck || status == nullptr || status->AsInteger() != 1;
}

bool SendDocumentForCheck(const Variant& id, int documentKind, int option1, int option2, bool lockDocument,
                          const Variant& businessGroupId) {
    return Passes("usp_SendDocumentForCheck", Company() + ", " + QuotedSql(id.AsString()) + ", " +
                                                  std::to_string(documentKind) + ", " + std::to_string(option1) + ", " +
                                                  std::to_string(option2) + ", " + (lockDocument ? "1" : "0") + ", " +
                                                  QuotedSql(businessGroupId.AsString()));
}

bool CheckForAccountDimension(const Variant& id, int option1, int option2) {
    return Passes("usp_CheckForAccountDimension", Company() + ", " + QuotedSql(id.AsString()) + ", " +
                                                      std::to_string(option1) + ", " + std::to_string(option2));
}

bool CheckCanPostDocument(const Variant& payMethodId, const std::string& cashDeskId, int saleOrPurchase,
                          const Variant& directPay) {
    return Passes("usp_CheckCanPostDocument", Company() + ", " + QuotedSql(payMethodId.AsString()) + ", " +
                                                  QuotedSql(cashDeskId) + ", " + std::to_string(saleOrPurchase) + ", " +
                                                  std::to_string(directPay.AsInteger()));
}

std::string PostedNumber(const TVariantArray& keys) { return keys.size() > 1 ? keys[1].AsString() : ""; }

std::string PostedNumberOf(const std::string& table, const Variant& id) {
    if (id.IsEmpty()) return "";
    TRequestResult found;
    if (dm().Server().RequestValue(0, table, "DocumentNo", TFilter().Add(table + ".Id", "=", id), found) != 1) return "";
    return found.Value().AsString();
}

void TellCreatedDocument(const std::string& table, const Variant& id) {
    TRequestResult found;
    dm().Server().RequestValue(0, table, "DocumentNo, DocumentType", TFilter().Add(table + ".Id", "=", id), found);
    if (found.Empty()) return;
    TfBase::TellDocumentDone(TDocumentDeed::ddCreated, static_cast<int>(found.ByName("DocumentType").AsInteger()),
                             found.ByName("DocumentNo").AsString());
}

}  // namespace tavrek
