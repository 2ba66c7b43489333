#include "server/procedures/VendorPaymentProcedures.h"

#include <cmath>

#include "base/data/TDateTime.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/TProcedureRegistry.h"
#include "server/posting/PostingSteps.h"
#include "server/procedures/ProcedureArgs.h"

namespace tavrek::server {
namespace {

// Amounts are compared in cents: a payment may take what is open to the last cent.
constexpr double kCent = 0.005;
constexpr int kPaymentEntry = 1;

TRequestResult Refused(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    return Answer({"Result", "ErrMsg"}, {-1, MessageText(ctx, key)});
}

TRequestResult Done() { return Answer({"Result", "ErrMsg"}, {0, ""}); }

struct TPayment {
    std::string Id, DocumentNo, AppliesTo, Account, Description, BusinessGroup;
    double Amount = 0, AmountLCY = 0;
    TDateTime Date;
    int64_t TransactionNo = 0;
    bool Posted = false, Annulled = false;
};

struct TVendorEntry {
    std::string Id, ContragentId, DocumentId, PayablesAccount, CurrencyId;
    double CurrencyFactor = 1, Amount = 0, Remaining = 0, RemainingACY = 0;
    // A debt to the vendor is negative; the entry of a credit memo is positive.
    double Sign() const { return Amount < 0 ? -1.0 : 1.0; }
};

bool ReadPayment(TServerContext& ctx, const std::string& id, TPayment& p) {
    const TRequestResult row =
        SelectRows(ctx.Db,
                   "SELECT Id, COALESCE(DocumentNo, ''), COALESCE(AppliesToDoc_Id, ''), COALESCE(Account_Id, ''), "
                   "COALESCE(Description, ''), COALESCE(BusinessGroup_Id, ''), COALESCE(Amount, 0), "
                   "COALESCE(Amount_LCY, 0), DocumentDate, COALESCE(TransactionNo, 0), COALESCE(Posted, 0), "
                   "COALESCE(Annul, 0) FROM D_VendorPayment WHERE Id = ? AND Comp_Id = ?",
                   {id, ctx.Session.CompanyId});
    if (row.Empty()) return false;
    const TVariantArray& r = row.Rows[0];
    p = {r[0].AsString(), r[1].AsString(), r[2].AsString(), r[3].AsString(), r[4].AsString(), r[5].AsString(),
         r[6].AsFloat(),  r[7].AsFloat(),  r[8].IsNull() ? TDateTime::Today() : r[8].AsDateTime(),
         r[9].AsInteger(), r[10].AsInteger() != 0, r[11].AsInteger() != 0};
    return true;
}

// The vendor entry of a paid document; only an open one takes a payment.
bool ReadEntry(TServerContext& ctx, const std::string& documentId, bool openOnly, TVendorEntry& e) {
    const TRequestResult row = SelectRows(
        ctx.Db,
        "SELECT e.Id, e.Contragent_Id, e.Document_Id, COALESCE(g.PayablesAccount, ''), COALESCE(e.Currency_Id, ''), "
        "COALESCE(NULLIF(e.CurrencyFactor, 0), 1), e.Amount, e.Remaining, e.Remaining_ACY FROM G_ContragentEntry e "
        "LEFT JOIN N_CntrPostingGroup g ON g.Id = e.CntrPostingGroup_Id WHERE e.Document_Id = ? AND e.Comp_Id = ?" +
            std::string(openOnly ? " AND e.Opened = 1" : ""),
        {documentId, ctx.Session.CompanyId});
    if (row.Rows.size() != 1) return false;
    const TVariantArray& r = row.Rows[0];
    e = {r[0].AsString(), r[1].AsString(), r[2].AsString(), r[3].AsString(), r[4].AsString(),
         r[5].AsFloat(),  r[6].AsFloat(),  r[7].AsFloat(),  r[8].AsFloat()};
    return true;
}

// Moves the entry by a payment in both currencies (negative amounts give a payment back),
// keeps the posted document's Remaining beside it with the opposite sign, and records the
// application.
void MoveEntry(TServerContext& ctx, const TVendorEntry& e, const std::string& paymentId, const TDateTime& date,
               double paidLCY, double paidACY) {
    const double remainingACY = RoundUp(e.RemainingACY - e.Sign() * paidACY, 2);
    const double remaining = RoundUp(e.Remaining - e.Sign() * paidLCY, 2);
    ExecuteBound(ctx.Db, "UPDATE G_ContragentEntry SET Remaining = ?, Remaining_ACY = ?, Opened = ? WHERE Id = ?",
                 {remaining, remainingACY, std::abs(remainingACY) < kCent ? 0 : 1, e.Id});
    for (const char* header : {"D_PurchInvoiceHeader", "D_PurchCrMemoHeader"})
        ExecuteBound(ctx.Db, std::string("UPDATE ") + header + " SET Remaining = ?, Remaining_ACY = ? WHERE Id = ?",
                     {-remaining, -remainingACY, e.DocumentId});
    ExecuteBound(ctx.Db,
                 "INSERT INTO G_ContragentEntryDetail (Id, Comp_Id, ContragentEntry_Id, Document_Id, DocumentType, "
                 "EntryType, PostingDate, Amount, Amount_ACY, C_Datetime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                 {CreateUniqueID(), ctx.Session.CompanyId, e.Id, paymentId, kPaymentEntry, kPaymentEntry, date, paidLCY,
                  paidACY, TDateTime::Now()});
}

void WriteLedger(TServerContext& ctx, const TPayment& p, const TVendorEntry& e, double paidLCY, double paidACY,
                 int64_t transaction) {
    const double sign = -e.Sign();
    for (const auto& [account, s] : {std::pair{e.PayablesAccount, sign}, std::pair{p.Account, -sign}})
        ExecuteBound(ctx.Db,
                     "INSERT INTO G_LEntry (Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, "
                     "DocumentType, DocumentNo, Amount, Amount_ACY, Currency_Id, Contragent_Id, BusinessGroup_Id, "
                     "Description, Storno, User_Id, C_Datetime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?)",
                     {CreateUniqueID(), ctx.Session.CompanyId, transaction, account, p.Date, p.Id, kPaymentEntry,
                      p.DocumentNo, s * paidLCY, s * paidACY, e.CurrencyId, e.ContragentId, p.BusinessGroup,
                      p.Description, ctx.Session.UserId, TDateTime::Now()});
}

// The next number of the purchases setup's payment series, by the payment's business group.
bool NextPaymentNo(TServerContext& ctx, const TPayment& p, std::string& number) {
    const std::string series =
        SelectRows(ctx.Db, "SELECT COALESCE(VendorPayment_Series_Id, '') FROM C_PurchasesSetup WHERE Id = ?",
                   {ctx.Session.CompanyId})
            .Value()
            .AsString();
    return !series.empty() && NextSerieNo(ctx, series, p.BusinessGroup, number) == 0;
}

// The local amount at the paid document's rate; the payment that closes the entry takes
// what is left in local currency, so that no rounding cent stays open.
double LocalAmount(const TVendorEntry& e, double paidACY) {
    if (std::abs(std::abs(e.RemainingACY) - paidACY) < kCent) return std::abs(e.Remaining);
    return RoundUp(paidACY * e.CurrencyFactor, 2);
}

TRequestResult PostVendorPayment(TServerContext& ctx, const TVariantArray& args) {
    TPayment payment;
    if (!ReadPayment(ctx, Arg(args, 1), payment) || payment.Posted) return Refused(ctx, "err_PaymentNotFound");
    TVendorEntry entry;
    if (!ReadEntry(ctx, payment.AppliesTo, true, entry)) return Refused(ctx, "err_PaymentNoOpenEntry");
    const double paid = RoundUp(payment.Amount, 2);
    if (paid < kCent) return Refused(ctx, "err_PaymentAmountNotPositive");
    if (paid > std::abs(entry.RemainingACY) + kCent) return Refused(ctx, "err_PaymentExceedsRemaining");
    if (payment.Account.empty() || entry.PayablesAccount.empty()) return Refused(ctx, "err_PaymentNoAccount");
    if (!NextPaymentNo(ctx, payment, payment.DocumentNo)) return Refused(ctx, "err_PaymentNoSeries");
    const double paidLCY = LocalAmount(entry, paid);
    const int64_t transaction = NextTransactionNo(ctx);
    MoveEntry(ctx, entry, payment.Id, payment.Date, paidLCY, paid);
    WriteLedger(ctx, payment, entry, paidLCY, paid, transaction);
    ExecuteBound(ctx.Db,
                 "UPDATE D_VendorPayment SET Posted = 1, TransactionNo = ?, DocumentNo = ?, Contragent_Id = ?, "
                 "Currency_Id = ?, CurrencyFactor = ?, Amount_LCY = ? WHERE Id = ?",
                 {transaction, payment.DocumentNo, entry.ContragentId, entry.CurrencyId, entry.CurrencyFactor, paidLCY,
                  payment.Id});
    return Done();
}

// The payment's general-ledger transaction once more with opposite amounts.
void ReverseLedger(TServerContext& ctx, const TPayment& p, const TDateTime& date, int64_t transaction) {
    ExecuteBound(ctx.Db,
                 "INSERT INTO G_LEntry (Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, DocumentType, "
                 "DocumentNo, Amount, Amount_ACY, Currency_Id, Contragent_Id, BusinessGroup_Id, Description, Storno, "
                 "User_Id, C_Datetime) SELECT Id || '-S', Comp_Id, ?, Account_Id, ?, Document_Id, DocumentType, "
                 "DocumentNo, -Amount, -Amount_ACY, Currency_Id, Contragent_Id, BusinessGroup_Id, Description, 1, ?, ? "
                 "FROM G_LEntry WHERE Document_Id = ? AND TransactionNo = ? AND Comp_Id = ?",
                 {transaction, date, ctx.Session.UserId, TDateTime::Now(), p.Id, p.TransactionNo,
                  ctx.Session.CompanyId});
}

void ReverseAndMarkAnnulled(TServerContext& ctx, const TPayment& p, const TDateTime& date, int64_t transaction) {
    ReverseLedger(ctx, p, date, transaction);
    ExecuteBound(ctx.Db,
                 "UPDATE D_VendorPayment SET Annul = 1, AnnulDate = ?, AnnulUser_Id = ?, AnnulTransactionNo = ? "
                 "WHERE Id = ?",
                 {date, ctx.Session.UserId, transaction, p.Id});
}

// The payment's application still on the entry; an annulled document took it off already.
bool StillApplied(TServerContext& ctx, const TPayment& p, const TVendorEntry& e) {
    return std::abs(SelectRows(ctx.Db,
                               "SELECT COALESCE(SUM(Amount_ACY), 0) FROM G_ContragentEntryDetail WHERE "
                               "ContragentEntry_Id = ? AND Document_Id = ?",
                               {e.Id, p.Id})
                        .Value()
                        .AsFloat()) >= kCent;
}

TRequestResult AnnulVendorPayment(TServerContext& ctx, const TVariantArray& args) {
    TPayment payment;
    if (!ReadPayment(ctx, Arg(args, 1), payment) || !payment.Posted) return Refused(ctx, "err_PaymentNotPosted");
    if (payment.Annulled) return Refused(ctx, "err_PaymentAlreadyAnnulled");
    TVendorEntry entry;
    if (!ReadEntry(ctx, payment.AppliesTo, false, entry) || !StillApplied(ctx, payment, entry))
        return Refused(ctx, "err_PaymentNotApplied");
    const TDateTime date = TDateTime::Today();
    const int64_t transaction = NextTransactionNo(ctx);
    MoveEntry(ctx, entry, payment.Id, date, -payment.AmountLCY, -RoundUp(payment.Amount, 2));
    ReverseAndMarkAnnulled(ctx, payment, date, transaction);
    return Done();
}

}  // namespace

void AnnulPaymentsOfDocument(TServerContext& ctx, const std::string& documentId, const TDateTime& date,
                             int64_t transaction) {
    const TRequestResult paid = SelectRows(
        ctx.Db,
        "SELECT DISTINCT d.Document_Id FROM G_ContragentEntryDetail d JOIN G_ContragentEntry e ON e.Id = "
        "d.ContragentEntry_Id JOIN D_VendorPayment p ON p.Id = d.Document_Id WHERE e.Document_Id = ? AND e.Comp_Id = ? "
        "AND d.DocumentType = ? AND p.Posted = 1 AND COALESCE(p.Annul, 0) = 0",
        {documentId, ctx.Session.CompanyId, kPaymentEntry});
    for (const TVariantArray& row : paid.Rows) {
        TPayment payment;
        if (ReadPayment(ctx, row[0].AsString(), payment)) ReverseAndMarkAnnulled(ctx, payment, date, transaction);
    }
}

void RegisterVendorPaymentProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_PostVendorPayment", PostVendorPayment);
    registry.Register(TProcedureKind::pkProcedure, "usp_AnnulVendorPayment", AnnulVendorPayment);
}

}  // namespace tavrek::server
