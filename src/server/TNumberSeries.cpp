#include "server/TNumberSeries.h"

#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

std::string Formatted(const std::string& prefix, int64_t number, int64_t digits) {
    std::string text = std::to_string(number);
    if (static_cast<int64_t>(text.size()) < digits) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    return prefix + text;
}

// A series named by another company's Id is refused as that company's, not as unknown.
int RefuseSeries(TServerContext& ctx, const std::string& series) {
    const bool foreign =
        !SelectRows(ctx.Db, "SELECT 1 FROM S_NoSeries WHERE Id = ? AND Comp_Id <> ?", {series, ctx.Session.CompanyId})
             .Empty();
    ctx.RefusalKey = foreign ? "err_OtherCompany" : "err_GetSeriesNo";
    return -1;
}

}  // namespace

int NextSerieNo(TServerContext& ctx, const std::string& series, const std::string& businessGroup, std::string& number) {
    TRequestResult taken = ctx.Db.Select(
        "UPDATE S_NoSeriesLine SET LastNo = LastNo + 1 WHERE BusinessGroup_Id = ?2 AND Series_Id = "
        "(SELECT Id FROM S_NoSeries WHERE (Id = ?1 OR Code = ?1) AND Comp_Id = ?3 LIMIT 1) "
        "RETURNING LastNo, COALESCE(EndingNo, 0), COALESCE(Prefix, ''), "
        "(SELECT Digits FROM S_NoSeries WHERE Id = Series_Id)",
        {series, businessGroup, ctx.Session.CompanyId});
    if (taken.Empty()) {
        taken = ctx.Db.Select(
            "UPDATE S_NoSeries SET LastNo = LastNo + 1 WHERE Id = (SELECT Id FROM S_NoSeries WHERE (Id = ?1 OR Code = ?1) "
            "AND Comp_Id = ?2 LIMIT 1) RETURNING LastNo, COALESCE(EndingNo, 0), COALESCE(Prefix, ''), Digits",
            {series, ctx.Session.CompanyId});
    }
    if (taken.Empty()) return RefuseSeries(ctx, series);
    const int64_t last = taken.Value(0, 0).AsInteger();
    const int64_t ending = taken.Value(0, 1).AsInteger();
    if (ending > 0 && last > ending) {
        ctx.RefusalKey = "err_GetSeriesNo";
        return -1;
    }
    number = Formatted(taken.Value(0, 2).AsString(), last, taken.Value(0, 3).AsInteger());
    return 0;
}

}  // namespace tavrek::server
