#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "base/data/TClientDataSet.h"
#include "base/data/TFilter.h"

// Small shared pieces of the purchase calculation units: field access by name, the two
// session precisions, the flag guards and the error-log hand-off.
namespace tavrek::uPurchCalcHelpers {

// Read at every call: the session may change its precisions between two calls.
int AmountDecimals();
int UnitPriceDecimals();

inline double Num(TClientDataSet& ds, std::string_view field) { return ds.FieldByName(field).AsFloat(); }
inline int64_t Int(TClientDataSet& ds, std::string_view field) { return ds.FieldByName(field).AsInteger(); }
inline std::string Text(TClientDataSet& ds, std::string_view field) { return ds.FieldByName(field).AsString(); }
inline bool IsEmptyText(TClientDataSet& ds, std::string_view field) { return ds.FieldByName(field).Value().IsEmpty(); }
inline void SetNum(TClientDataSet& ds, std::string_view field, double value) { ds.FieldByName(field).SetAsFloat(value); }
inline void SetInt(TClientDataSet& ds, std::string_view field, int64_t value) {
    ds.FieldByName(field).SetAsInteger(value);
}
inline void SetValue(TClientDataSet& ds, std::string_view field, const Variant& value) {
    ds.FieldByName(field).SetValue(value);
}

bool InWriteState(const TClientDataSet& ds);
void EnsureEditing(TClientDataSet& ds);

// The rule protocol: a rule that finds the flag clear sets it and clears it (to false, not
// to an earlier value) when it ends, also by an exception. Clear() hands over early.
class TRuleGuard {
public:
    explicit TRuleGuard(bool& calculating) : flag_(calculating) { flag_ = true; }
    ~TRuleGuard() { flag_ = false; }
    TRuleGuard(const TRuleGuard&) = delete;
    TRuleGuard& operator=(const TRuleGuard&) = delete;
    void Clear() { flag_ = false; }

private:
    bool& flag_;
};

// The computing routines keep the caller's flag: saved, set, and put back on every exit.
class TCalcGuard {
public:
    explicit TCalcGuard(bool& calculating) : flag_(calculating), saved_(calculating) { flag_ = true; }
    ~TCalcGuard() { flag_ = saved_; }
    TCalcGuard(const TCalcGuard&) = delete;
    TCalcGuard& operator=(const TCalcGuard&) = delete;

private:
    bool& flag_;
    bool saved_;
};

// Called from a catch block: records the exception in flight in the error log under the label.
void LogFailure(const std::string& operation);

// An SQL string literal: the text in single quotes, inner quotes doubled.
std::string QuotedSql(const std::string& text);

// Makes the line current again by its Id after a walk over the lines; nothing when it is gone.
void LocateLine(TClientDataSet& Line, const Variant& id);

// The VAT posting setup row of the line's two posting groups, asked from "G_VATPostingSetup" for
// "VATPercent, VATCalculationType, <ledger column>". Throws the text of "err_VATConfiguration"
// unless exactly one row is found.
struct TVATSetup {
    double Percent = 0.0;
    int64_t CalculationType = 0;
    int64_t Ledger = 0;
};
TVATSetup LookupVATSetup(TClientDataSet& Line, const std::string& ledgerColumn);
void ApplyVATSetup(TClientDataSet& Line, const TVATSetup& setup);

// While one lives, LookupVATSetup asks the server once per pair of posting groups and ledger
// column and answers every later line of that pair from memory: lines filled in bulk (a
// document copied from another) would otherwise ask once or twice per line.
class TVATSetupMemo {
public:
    TVATSetupMemo();
    ~TVATSetupMemo();
    TVATSetupMemo(const TVATSetupMemo&) = delete;
    TVATSetupMemo& operator=(const TVATSetupMemo&) = delete;

    static TVATSetupMemo* Active() { return active_; }
    std::map<std::string, TVATSetup> Known;

private:
    TVATSetupMemo* outer_;
    static TVATSetupMemo* active_;
};
bool HasBothVATGroups(TClientDataSet& Line);

// Takes the header's currency factor from its currency's rate on its document date (1 without a
// currency) and returns the old factor over the new one, which converts the lines' prices; 0 when
// the new factor is 0.
double RefreshCurrencyFactor(TClientDataSet& Header);

// The vendor's default payment method from the function named by "proc_GetDocPayMethod", written
// to PayMethod_Id when one row gives a value that differs. Server failures pass on.
void SetDefaultPayMethod(TClientDataSet& Header);

}  // namespace tavrek::uPurchCalcHelpers
