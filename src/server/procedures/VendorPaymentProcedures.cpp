#include "server/procedures/VendorPaymentProcedures.h"

#include <cmath>

#include "base/data/TDateTime.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/TProcedureRegistry.h"
#include "server/procedures/ProcedureArgs.h"

namespace tavrek::server {
namespace {

// Amounts are compared in cents: a payment may take what is open to the last cent.
constexpr double kCent = 0.005;
constexpr int kPaymentEntry = 1;

TRequestResult Refused(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    const TRequestResult text = SelectRows(ctx.Db, "SELECT Text FROM S_Messages WHERE Id = ?", {key});
    return Answer({"Result", "ErrMsg"}, {-1, text.Empty() ? Variant(key) : text.Value()});
}

// The company's transaction series, else the number after the largest in the ledger.
int64_t NextTransaction(TServerContext& ctx) {
    const TRequestResult series = SelectRows(
        ctx.Db, "SELECT COALESCE(Transaction_Series_Id, '') FROM C_CompanySetup WHERE Id = ?", {ctx.Session.CompanyId});
    std::string number;
    if (!series.Empty() && !series.Value().AsString().empty() &&
        NextSerieNo(ctx, series.Value().AsString(), "", number) == 0 && !number.empty() &&
        number.find_first_not_of("0123456789") == std::string::npos)
        return std::stoll(number);
    ctx.RefusalKey.clear();
    return SelectRows(ctx.Db, "SELECT COALESCE(MAX(TransactionNo), 0) FROM G_LEntry WHERE Comp_Id = ?",
                      {ctx.Session.CompanyId})
               .Value()
               .AsInteger() +
           1;
}

struct TPayment {
    std::string Id, DocumentNo, AppliesTo, Account, Description, BusinessGroup;
    double Amount = 0, CurrencyFactor = 1;
    TDateTime Date;
};

struct TVendorEntry {
    std::string Id, ContragentId, DocumentId, PayablesAccount;
    int64_t DocumentType = 0;
    double Remaining = 0, RemainingACY = 0;
};

bool ReadPayment(TServerContext& ctx, const std::string& id, TPayment& p) {
    const TRequestResult row =
        SelectRows(ctx.Db,
                   "SELECT Id, COALESCE(DocumentNo, ''), COALESCE(AppliesToDoc_Id, ''), COALESCE(Account_Id, ''), "
                   "COALESCE(Description, ''), COALESCE(BusinessGroup_Id, ''), COALESCE(Amount, 0), "
                   "COALESCE(NULLIF(CurrencyFactor, 0), 1), DocumentDate FROM D_VendorPayment "
                   "WHERE Id = ? AND Comp_Id = ? AND COALESCE(Posted, 0) = 0",
                   {id, ctx.Session.CompanyId});
    if (row.Empty()) return false;
    const TVariantArray& r = row.Rows[0];
    p = {r[0].AsString(), r[1].AsString(), r[2].AsString(),
         r[3].AsString(), r[4].AsString(), r[5].AsString(),
         r[6].AsFloat(),  r[7].AsFloat(),  r[8].IsNull() ? TDateTime::Today() : r[8].AsDateTime()};
    return true;
}

bool ReadOpenEntry(TServerContext& ctx, const std::string& documentId, TVendorEntry& e) {
    const TRequestResult row = SelectRows(
        ctx.Db,
        "SELECT e.Id, e.Contragent_Id, e.Document_Id, COALESCE(g.PayablesAccount, ''), e.DocumentType, e.Remaining, "
        "e.Remaining_ACY FROM G_ContragentEntry e LEFT JOIN N_CntrPostingGroup g ON g.Id = e.CntrPostingGroup_Id "
        "WHERE e.Document_Id = ? AND e.Comp_Id = ? AND e.Opened = 1",
        {documentId, ctx.Session.CompanyId});
    if (row.Rows.size() != 1) return false;
    const TVariantArray& r = row.Rows[0];
    e = {r[0].AsString(),  r[1].AsString(), r[2].AsString(), r[3].AsString(),
         r[4].AsInteger(), r[5].AsFloat(),  r[6].AsFloat()};
    return true;
}

// The entry moves toward zero by the payment; the posted document shows what is left with
// the opposite sign, as posting wrote it.
void ApplyToEntry(TServerContext& ctx, const TPayment& p, const TVendorEntry& e, double paid) {
    const double sign = e.Remaining < 0 ? -1.0 : 1.0;
    const double remaining = RoundUp(e.Remaining - sign * paid, 2);
    const double remainingACY =
        std::abs(remaining) < kCent ? 0.0 : RoundUp(e.RemainingACY - sign * paid / p.CurrencyFactor, 2);
    ExecuteBound(ctx.Db, "UPDATE G_ContragentEntry SET Remaining = ?, Remaining_ACY = ?, Opened = ? WHERE Id = ?",
                 {remaining, remainingACY, std::abs(remaining) < kCent ? 0 : 1, e.Id});
    for (const char* header : {"D_PurchInvoiceHeader", "D_PurchCrMemoHeader"})
        ExecuteBound(ctx.Db, std::string("UPDATE ") + header + " SET Remaining = ?, Remaining_ACY = ? WHERE Id = ?",
                     {-remaining, -remainingACY, e.DocumentId});
    ExecuteBound(ctx.Db,
                 "INSERT INTO G_ContragentEntryDetail (Id, Comp_Id, ContragentEntry_Id, Document_Id, DocumentType, "
                 "EntryType, PostingDate, Amount, Amount_ACY, C_Datetime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                 {CreateUniqueID(), ctx.Session.CompanyId, e.Id, p.Id, kPaymentEntry, kPaymentEntry, p.Date, paid,
                  RoundUp(paid / p.CurrencyFactor, 2), TDateTime::Now()});
}

void WriteLedger(TServerContext& ctx, const TPayment& p, const TVendorEntry& e, double paid, int64_t transaction) {
    const double payables = e.Remaining < 0 ? paid : -paid;
    for (const auto& [account, amount] : {std::pair{e.PayablesAccount, payables}, std::pair{p.Account, -payables}})
        ExecuteBound(ctx.Db,
                     "INSERT INTO G_LEntry (Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, "
                     "DocumentType, DocumentNo, Amount, Amount_ACY, Contragent_Id, BusinessGroup_Id, Description, "
                     "Storno, User_Id, C_Datetime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?)",
                     {CreateUniqueID(), ctx.Session.CompanyId, transaction, account, p.Date, p.Id, kPaymentEntry,
                      p.DocumentNo, amount, RoundUp(amount / p.CurrencyFactor, 2), e.ContragentId, p.BusinessGroup,
                      p.Description, ctx.Session.UserId, TDateTime::Now()});
}

TRequestResult PostVendorPayment(TServerContext& ctx, const TVariantArray& args) {
    TPayment payment;
    if (!ReadPayment(ctx, Arg(args, 1), payment)) return Refused(ctx, "err_PaymentNotFound");
    TVendorEntry entry;
    if (!ReadOpenEntry(ctx, payment.AppliesTo, entry)) return Refused(ctx, "err_PaymentNoOpenEntry");
    const double paid = RoundUp(payment.Amount, 2);
    if (paid < kCent) return Refused(ctx, "err_PaymentAmountNotPositive");
    if (paid > std::abs(entry.Remaining) + kCent) return Refused(ctx, "err_PaymentExceedsRemaining");
    if (payment.Account.empty() || entry.PayablesAccount.empty()) return Refused(ctx, "err_PaymentNoAccount");
    const int64_t transaction = NextTransaction(ctx);
    ApplyToEntry(ctx, payment, entry, paid);
    WriteLedger(ctx, payment, entry, paid, transaction);
    ExecuteBound(ctx.Db, "UPDATE D_VendorPayment SET Posted = 1, TransactionNo = ?, Contragent_Id = ? WHERE Id = ?",
                 {transaction, entry.ContragentId, payment.Id});
    return Answer({"Result", "ErrMsg"}, {0, ""});
}

}  // namespace

void RegisterVendorPaymentProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_PostVendorPayment", PostVendorPayment);
}

}  // namespace tavrek::server
