#include "documents/uVendorItemMapping.h"

#include <map>
#include <tuple>

#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;

namespace {

bool RequestItem(const std::string& text, TRequestResult& item) {
    item = {};
    return dm().Server().RequestValue(-1, text, TVendorItemMapping::kItemFields, TFilter(), item) > 0 &&
           !item.ByName("Item_Id").IsEmpty();
}

std::string Procedure(const char* key) { return "exec " + GetMessageText(key, key) + " "; }

}  // namespace

TVendorItemMapping::TVendorItemMapping(const TUblInvoice& document, std::string vendorCode)
    : document_(document), vendorCode_(std::move(vendorCode)), items_(document.Lines.size()) {}

// A line whose item numbers an earlier line already had takes that line's item.
void TVendorItemMapping::FindItems() {
    std::map<std::tuple<std::string, std::string, std::string>, size_t> asked;
    for (size_t line = 0; line < items_.size(); ++line) {
        const TUblInvoiceLine& l = document_.Lines[line];
        const auto [earlier, first] = asked.try_emplace({l.VendorKey(), l.BuyerCode, l.Barcode}, line);
        if (!first)
            items_[line] = items_[earlier->second];
        else if (!ByCrossReference(line))
            ByStandardNumber(line);
    }
}

// Arguments: the vendor's key of the line, company, our own item number when the vendor
// states it, four unused texts, two flags, the vendor's code.
bool TVendorItemMapping::ByCrossReference(size_t line) {
    const TUblInvoiceLine& l = document_.Lines[line];
    const std::string text = Procedure("usp_GetItemFromAPI") + QuotedSql(l.VendorKey()) + ", " +
                             QuotedSql(LocalData().CompanyId) + ", " + QuotedSql(l.BuyerCode) +
                             ", '', '', '', '', '0', '0', " + QuotedSql(vendorCode_);
    return RequestItem(text, items_[line]);
}

bool TVendorItemMapping::ByStandardNumber(size_t line) {
    const TUblInvoiceLine& l = document_.Lines[line];
    if (l.Barcode.empty()) return false;
    const std::string text = Procedure("usp_GetItemByStandardNo") + QuotedSql(l.Barcode) + ", " +
                             QuotedSql(LocalData().CompanyId);
    return RequestItem(text, items_[line]);
}

bool TVendorItemMapping::AskForMissing() {
    TRequestResult lines{{"Line", "VendorKey", "Description", "Quantity"}, {}};
    std::vector<size_t> missing;
    for (size_t line = 0; line < items_.size(); ++line) {
        if (Found(line)) continue;
        const TUblInvoiceLine& l = document_.Lines[line];
        lines.Rows.push_back({Variant(l.Id), Variant(l.VendorKey()), Variant(l.Description), Variant(l.Quantity)});
        missing.push_back(line);
    }
    if (missing.empty()) return true;
    std::vector<std::string> chosen;
    if (!dm().Dialogs().MapVendorItems(lines, chosen)) return false;
    for (size_t i = 0; i < missing.size() && i < chosen.size(); ++i) {
        if (chosen[i].empty()) continue;
        Remember(missing[i], chosen[i]);
        ByCrossReference(missing[i]);
    }
    return true;
}

void TVendorItemMapping::Remember(size_t line, const std::string& itemId) {
    const std::string text = Procedure("usp_SaveItemFromAPI") + QuotedSql(LocalData().CompanyId) + ", " +
                             QuotedSql(vendorCode_) + ", " + QuotedSql(document_.Lines[line].VendorKey()) + ", " +
                             QuotedSql(itemId);
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Result,ErrMsg", TFilter(), result);
    if (result.ByName("Result").AsString() == "-1") throw std::runtime_error(result.ByName("ErrMsg").AsString());
}

std::string TVendorItemMapping::CodeOf(size_t line) const {
    if (!Found(line)) return {};
    const TRequestResult& item = items_[line];
    return (item.ByName("Code").IsEmpty() ? item.ByName("Item_Id") : item.ByName("Code")).AsString();
}

std::string TVendorItemMapping::MissingList() const {
    std::string list;
    for (size_t line = 0; line < items_.size(); ++line)
        if (!Found(line))
            list += "\r\n" + document_.Lines[line].VendorKey() + " " + document_.Lines[line].Description;
    return list;
}

}  // namespace tavrek
