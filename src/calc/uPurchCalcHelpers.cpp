#include "calc/uPurchCalcHelpers.h"

#include <stdexcept>

#include "base/errors/TELException.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"

namespace tavrek::uPurchCalcHelpers {

int AmountDecimals() { return LocalData().AmountDecimals; }

int UnitPriceDecimals() { return LocalData().UnitPriceDecimals; }

bool InWriteState(const TClientDataSet& ds) {
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}

void EnsureEditing(TClientDataSet& ds) {
    if (!InWriteState(ds)) ds.Edit();
}

void LogFailure(const std::string& operation) { TELException(CurrentExceptionMessage(), operation); }

std::string QuotedSql(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

void LocateLine(TClientDataSet& Line, const Variant& id) {
    if (!id.IsNull()) Line.Locate("Id", {id});
}

TVATSetupMemo* TVATSetupMemo::active_ = nullptr;

TVATSetupMemo::TVATSetupMemo() : outer_(active_) { active_ = this; }

TVATSetupMemo::~TVATSetupMemo() { active_ = outer_; }

namespace {

TVATSetup AskVATSetup(TClientDataSet& Line, const std::string& ledgerColumn) {
    TFilter filter;
    filter.Add("G_VATPostingSetup.VATBus_PostingGroup", "=", Line.FieldByName("VATBusPostGroup_Id").Value(), "AND")
        .Add("G_VATPostingSetup.VATProd_PostingGroup", "=", Line.FieldByName("VATProdPostGroup_Id").Value(), "AND")
        .Add("G_VATPostingSetup.Comp_Id", "=", Variant(LocalData().CompanyId), "");
    TRequestResult result;
    const int found = dm().Server().RequestValue(0, "G_VATPostingSetup",
                                                 "VATPercent, VATCalculationType, " + ledgerColumn, filter, result);
    if (found != 1) throw std::runtime_error(GetMessageText("err_VATConfiguration"));
    return {result.Value(0, 0).AsFloat(), result.Value(0, 1).AsInteger(), result.Value(0, 2).AsInteger()};
}

}  // namespace

TVATSetup LookupVATSetup(TClientDataSet& Line, const std::string& ledgerColumn) {
    TVATSetupMemo* memo = TVATSetupMemo::Active();
    if (memo == nullptr) return AskVATSetup(Line, ledgerColumn);
    // A unit separator cannot occur in a group's code, so the key names one pair and column.
    const std::string key = Text(Line, "VATBusPostGroup_Id") + '\x1f' + Text(Line, "VATProdPostGroup_Id") + '\x1f' +
                            ledgerColumn;
    const auto known = memo->Known.find(key);
    if (known != memo->Known.end()) return known->second;
    return memo->Known.emplace(key, AskVATSetup(Line, ledgerColumn)).first->second;
}

void ApplyVATSetup(TClientDataSet& Line, const TVATSetup& setup) {
    SetNum(Line, "VATPercent", setup.Percent);
    SetInt(Line, "VATCalculationType", setup.CalculationType);
    SetInt(Line, "VATLedger", setup.Ledger);
}

bool HasBothVATGroups(TClientDataSet& Line) {
    return !IsEmptyText(Line, "VATProdPostGroup_Id") && !IsEmptyText(Line, "VATBusPostGroup_Id");
}

namespace {

std::string PayMethodSource(TClientDataSet& Header) {
    const TLocalData& local = LocalData();
    return GetMessageText("proc_GetDocPayMethod", "fn_GetDocPayMethod") + "(" + QuotedSql(local.CompanyId) + "," +
           QuotedSql(local.BusinessGroupId) + "," + QuotedSql(local.UserId) + ",1," +
           QuotedSql(Text(Header, "DocSubType_Id")) + "," + QuotedSql(Text(Header, "Contragent_Id")) + ")";
}

}  // namespace

double RefreshCurrencyFactor(TClientDataSet& Header) {
    TField& factor = Header.FieldByName("CurrencyFactor");
    const double oldFactor = factor.AsFloat();
    const std::string currency = Text(Header, "Currency_Id");
    const TDateTime date = Header.FieldByName("DocumentDate").AsDateTime();
    factor.SetAsFloat(currency.empty() ? 1.0 : dm().Server().GetCurrencyRate(currency, date, 1));
    return factor.AsFloat() != 0 ? oldFactor / factor.AsFloat() : 0.0;
}

void SetDefaultPayMethod(TClientDataSet& Header) {
    TRequestResult result;
    const int found = dm().Server().RequestValue(0, PayMethodSource(Header), "PayMethod_Id", TFilter(), result);
    if (found != 1) return;
    const Variant method = result.Value(0, 0);
    TField* payMethod = Header.FindField("PayMethod_Id");
    if (method.IsEmpty() || payMethod == nullptr || payMethod->Value() == method) return;
    payMethod->SetValue(method);
}

}  // namespace tavrek::uPurchCalcHelpers
