#include "server/reports/VATLedgerProcedures.h"

#include <string>

#include "base/data/TDateTime.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/session/TCallAuthority.h"

namespace tavrek::server {
namespace {

constexpr int kLedgerForm = 10950;

// The VAT setup's ledger treatment: 3 gives no right to credit, 4 a partial one; a rate of 0
// has no VAT to credit, so its base goes with what has no credit.
constexpr const char* kNoCredit = "(e.VATLedger = 3 OR e.VATPercent = 0)";
constexpr const char* kPartial = "(e.VATLedger = 4 AND e.VATPercent <> 0)";

std::string ColumnSums(const std::string& suffix) {
    const std::string base = "e.Base" + suffix, vat = "e.Amount" + suffix;
    const std::string full = std::string("NOT ") + kNoCredit + " AND NOT " + kPartial;
    return "SUM(CASE WHEN " + std::string(kNoCredit) + " THEN " + base + " + " + vat + " ELSE 0 END) AS NoCredit" +
           suffix + ", SUM(CASE WHEN " + full + " THEN " + base + " ELSE 0 END) AS FullBase" + suffix +
           ", SUM(CASE WHEN " + full + " THEN " + vat + " ELSE 0 END) AS FullVAT" + suffix + ", SUM(CASE WHEN " +
           kPartial + " THEN " + base + " ELSE 0 END) AS PartialBase" + suffix + ", SUM(CASE WHEN " + kPartial +
           " THEN " + vat + " ELSE 0 END) AS PartialVAT" + suffix;
}

// Both sides' posted headers are read by key, so a period of many documents costs one pass
// over its VAT entries.
std::string LedgerSql() {
    const auto either = [](const char* column) {
        return std::string("COALESCE(i.") + column + ", m." + column + ")";
    };
    return "SELECT v.Document_Id, CASE WHEN i.Id IS NULL THEN 1 ELSE 0 END AS Side, " + either("DocumentType") +
           " AS DocumentType, COALESCE(s.DocumentType, 0) AS SubDocumentType, " + either("DocumentNo") +
           " AS DocumentNo, COALESCE(i.VendorInvoiceNo, NULLIF(m.VendorCreditMemoNo, ''), m.VendorInvoiceNo, '') AS "
           "VendorDocumentNo, COALESCE(" + either("CustomsDeclarationNo") + ", '') AS CustomsDeclarationNo, " +
           either("DocumentDate") + " AS DocumentDate, COALESCE(" + either("Annul") + ", 0) AS Annul, "
           "COALESCE(i.IsGlobalInvoice, m.IsGlobalCrMemo, 0) AS IsGlobal, COALESCE(" + either("PurchType163a") +
           ", '') AS PurchType163a, COALESCE(NULLIF(" + either("Comment") + ", ''), s.Name, '') AS Description, "
           "COALESCE(cur.Code, " + either("Currency_Id") + ", '') AS Currency, COALESCE(c.Code, '') AS VendorCode, "
           "COALESCE(c.Name, '') AS VendorName, COALESCE(c.VATRegistrationNo, '') AS VendorVATNo, "
           "COALESCE(c.Bulstat, '') AS VendorBulstat, COALESCE(c.Country_Id, '') AS VendorCountry, "
           "v.ReverseCharge, v.Import, v.NoCredit, v.FullBase, v.FullVAT, v.PartialBase, v.PartialVAT, "
           "v.NoCredit_ACY, v.FullBase_ACY, v.FullVAT_ACY, v.PartialBase_ACY, v.PartialVAT_ACY "
           "FROM (SELECT e.Document_Id, MAX(CASE WHEN e.VATCalculationType = 2 THEN 1 ELSE 0 END) AS ReverseCharge, "
           "MAX(CASE WHEN e.VATCalculationType = 3 THEN 1 ELSE 0 END) AS Import, " + ColumnSums("") + ", " +
           ColumnSums("_ACY") +
           " FROM G_VATEntry e WHERE e.Comp_Id = ?1 AND e.PostingDate >= ?2 AND e.PostingDate < ?3 AND "
           "(e.DoNotIncInVATLedger IS NULL OR e.DoNotIncInVATLedger = 0) GROUP BY e.Document_Id) v "
           "LEFT JOIN D_PurchInvoiceHeader i ON i.Id = v.Document_Id AND i.Comp_Id = ?1 "
           "LEFT JOIN D_PurchCrMemoHeader m ON m.Id = v.Document_Id AND m.Comp_Id = ?1 "
           "LEFT JOIN N_Contragent c ON c.Id = " + either("Contragent_Id") +
           " LEFT JOIN N_SubDocument s ON s.Id = " + either("DocSubType_Id") +
           " LEFT JOIN N_Currency cur ON cur.Id = " + either("Currency_Id") +
           " WHERE i.Id IS NOT NULL OR m.Id IS NOT NULL ORDER BY 8, 5, 1";
}

// Arguments: company, tax period yyyymm. Rows of the period's documents in the order the
// ledger numbers them: by document date, then by our number.
TRequestResult GetVATPurchaseLedger(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kLedgerForm, TFormRight::frOpen)) return Answer({"Result"}, {-1});
    const std::string period = Arg(args, 1);
    const int yyyymm = period.size() == 6 && period.find_first_not_of("0123456789") == std::string::npos
                           ? std::stoi(period) : 0;
    const int year = yyyymm / 100, month = yyyymm % 100;
    if (year < 2000 || month < 1 || month > 12) return Answer({"Result"}, {-1});
    const TDateTime from = TDateTime::FromDate(year, month, 1);
    const TDateTime to = TDateTime::FromDate(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1);
    return SelectRows(ctx.Db, LedgerSql(), {ctx.Session.CompanyId, from, to});
}

// Arguments: company. The company's name, VAT number and books' currency, and the name of the
// user who files.
TRequestResult GetVATLedgerFiling(TServerContext& ctx, const TVariantArray&) {
    return SelectRows(ctx.Db,
                      "SELECT COALESCE(c.Name, '') AS CompanyName, COALESCE(c.VATRegistrationNo, '') AS VATNumber, "
                      "COALESCE(cur.Code, c.LocalCurrency_Id, '') AS LocalCurrency, COALESCE((SELECT u.Name FROM S_User u "
                      "WHERE u.Comp_Id = c.Id AND u.Id = ?2), '') AS UserName FROM C_CompanySetup c LEFT JOIN N_Currency "
                      "cur ON cur.Id = c.LocalCurrency_Id WHERE c.Id = ?1",
                      {ctx.Session.CompanyId, ctx.Session.UserId});
}

}  // namespace

void RegisterVATLedgerProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_GetVATPurchaseLedger", GetVATPurchaseLedger);
    registry.Register(TProcedureKind::pkProcedure, "usp_GetVATLedgerFiling", GetVATLedgerFiling);
}

}  // namespace tavrek::server
