#include "server/posting/TStoredAmountsCheck.h"

#include <cmath>

#include "amounts/PurchLineAmounts.h"
#include "server/SqlValue.h"
#include "server/posting/TMinorUnits.h"

namespace tavrek::server {
namespace {

using amounts::TLineAmount;

// The amounts a line keeps, in the order of the columns read after its inputs.
constexpr TLineAmount kStored[] = {TLineAmount::TotalPrice, TLineAmount::TotalValue, TLineAmount::VATBaseAmount,
                                   TLineAmount::VATValue, TLineAmount::TotalVAT};
constexpr size_t kFirstStored = 7;
constexpr size_t kSetUpPercent = kFirstStored + std::size(kStored);

// A line whose VAT groups have a posting setup carries that setup's percent; lines without
// groups (an account of a generic document) carry what was typed.
bool PercentAsSetUp(const Variant& setUp, double percent) {
    return setUp.IsNull() || std::abs(setUp.AsFloat() - percent) < 1e-9;
}

amounts::TPurchLine StoredLine(const TVariantArray& row) {
    amounts::TPurchLine line;
    line.PriceIncludingVAT = row[1].AsInteger();
    line.Quantity = row[2].AsFloat();
    line.DirectUnitCost_ACY = row[3].AsFloat();
    line.LineDiscountAmount = row[4].AsFloat();
    line.InvDiscAmount = row[5].AsFloat();
    line.VATPercent = row[6].AsFloat();
    for (size_t i = 0; i < std::size(kStored); ++i)
        line.Amounts[static_cast<size_t>(kStored[i])] = row[kFirstStored + i].AsFloat();
    return line;
}

// The value and the VAT on the line's base are what is booked and printed, so they must always
// agree; the line's totals are only shown, and a line that never had them computed keeps 0 there.
bool Differs(const TMinorUnits& units, const amounts::TPurchLine& computed, const amounts::TPurchLine& stored,
             TLineAmount amount) {
    const int64_t kept = units.Of(stored.Get(amount));
    const bool always = amount == TLineAmount::TotalValue || amount == TLineAmount::VATValue;
    return (kept != 0 || always) && kept != units.Of(computed.Get(amount));
}

}  // namespace

TStoredAmountsCheck::TStoredAmountsCheck(TServerContext& ctx) : ctx_(ctx) {
    const TRequestResult setup = SelectRows(
        ctx.Db, "SELECT COALESCE(AmountDecimals, 2), COALESCE(UnitPriceDecimals, 2) FROM C_CompanySetup WHERE Id = ?",
        {ctx.Session.CompanyId});
    if (setup.Empty()) return;
    amountDecimals_ = static_cast<int>(setup.Value(0, 0).AsInteger());
    unitPriceDecimals_ = static_cast<int>(setup.Value(0, 1).AsInteger());
}

bool TStoredAmountsCheck::Agrees(const char* headerTable, const char* lineTable, const std::string& id,
                                 const std::string& lineCondition) {
    const TRequestResult lines = SelectRows(
        ctx_.Db,
        std::string("SELECT Line_No, COALESCE(PriceIncludingVAT, 0), COALESCE(Quantity, 0), "
                    "COALESCE(DirectUnitCost_ACY, 0), COALESCE(LineDiscountAmount, 0), COALESCE(InvDiscAmount, 0), "
                    "COALESCE(VATPercent, 0), COALESCE(TotalPrice, 0), COALESCE(TotalValue, 0), "
                    "COALESCE(VATBaseAmount, 0), COALESCE(VATValue, 0), COALESCE(TotalVAT, 0), (SELECT v.VATPercent "
                    "FROM G_VATPostingSetup v WHERE v.Comp_Id = l.Comp_Id AND v.VATBus_PostingGroup = "
                    "l.VATBusPostGroup_Id AND v.VATProd_PostingGroup = l.VATProdPostGroup_Id) FROM ") +
            lineTable + " l WHERE Master_Id = ?" + (lineCondition.empty() ? "" : " AND " + lineCondition) +
            " ORDER BY Line_No",
        {id});
    const TMinorUnits units(amountDecimals_);
    int64_t sum = 0;
    for (const TVariantArray& row : lines.Rows) {
        const amounts::TPurchLine stored = StoredLine(row);
        sum += units.Of(stored.Get(TLineAmount::TotalValue));
        if (!PercentAsSetUp(row[kSetUpPercent], stored.VATPercent)) return Refuse(row[0].AsInteger());
        // A line without a unit price carries the amounts typed on it (an account of a generic document).
        if (stored.DirectUnitCost_ACY == 0) continue;
        amounts::TPurchLine computed = stored;
        amounts::CalcTotalPrice(computed, {amountDecimals_, unitPriceDecimals_});
        amounts::UpdateVATAmounts(computed, 1.0, amountDecimals_);
        for (TLineAmount amount : kStored)
            if (Differs(units, computed, stored, amount)) return Refuse(row[0].AsInteger());
    }
    if (!lineCondition.empty()) return true;
    const TRequestResult header =
        SelectRows(ctx_.Db, std::string("SELECT COALESCE(TotalValue, 0) FROM ") + headerTable + " WHERE Id = ?", {id});
    const int64_t total = header.Empty() ? 0 : units.Of(header.Value().AsFloat());
    return total == 0 || total == sum || Refuse(0);
}

bool TStoredAmountsCheck::Refuse(int64_t lineNo) {
    ctx_.RefusalKey = kRefusalKey;
    ctx_.RefusalArg = lineNo == 0 ? std::string("общо за документа") : "ред " + std::to_string(lineNo);
    return false;
}

}  // namespace tavrek::server
