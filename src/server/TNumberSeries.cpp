#include "server/TNumberSeries.h"

#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

std::string Formatted(const std::string& prefix, int64_t number, int64_t digits) {
    std::string text = std::to_string(number);
    if (static_cast<int64_t>(text.size()) < digits) text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    return prefix + text;
}

}  // namespace

int NextSerieNo(TServerContext& ctx, const std::string& series, const std::string& businessGroup, std::string& number) {
    TRequestResult taken = ctx.Db.Select(
        "UPDATE S_NoSeriesLine SET LastNo = LastNo + 1 WHERE BusinessGroup_Id = ?2 AND Series_Id = "
        "(SELECT Id FROM S_NoSeries WHERE Id = ?1 OR Code = ?1 LIMIT 1) "
        "RETURNING LastNo, COALESCE(EndingNo, 0), COALESCE(Prefix, ''), "
        "(SELECT Digits FROM S_NoSeries WHERE Id = Series_Id)",
        {series, businessGroup});
    if (taken.Empty()) {
        taken = ctx.Db.Select(
            "UPDATE S_NoSeries SET LastNo = LastNo + 1 WHERE Id = (SELECT Id FROM S_NoSeries WHERE Id = ?1 OR Code = ?1 "
            "LIMIT 1) RETURNING LastNo, COALESCE(EndingNo, 0), COALESCE(Prefix, ''), Digits",
            {series});
    }
    const int64_t last = taken.Empty() ? 0 : taken.Value(0, 0).AsInteger();
    const int64_t ending = taken.Empty() ? 0 : taken.Value(0, 1).AsInteger();
    if (taken.Empty() || (ending > 0 && last > ending)) {
        ctx.RefusalKey = "err_GetSeriesNo";
        return -1;
    }
    number = Formatted(taken.Value(0, 2).AsString(), last, taken.Value(0, 3).AsInteger());
    return 0;
}

}  // namespace tavrek::server
