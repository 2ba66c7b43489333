#include "server/demo/DemoReplenishment.h"

#include <string>

#include "base/data/TDateTime.h"
#include "server/SqlValue.h"
#include "server/demo/DemoLedgerSetup.h"

namespace tavrek::server {
namespace {

constexpr int kFirstItem = 1016;  // the items 1016 to 1031: pantry, oils and household goods
constexpr int kItems = 16;

std::string ItemOf(int index) { return std::to_string(kFirstItem + index); }

// The item's own vendor, as the item card names it.
const char* VendorOf(int index) { return index < 2 ? "V04" : index < 7 ? "V05" : index < 11 ? "V06" : "V07"; }

void AddItem(std::vector<TDemoRow>& rows, int item) {
    const std::string id = ItemOf(item);
    rows.push_back({"N_ItemVendor", "Id, Comp_Id, Item_Id, Contragent_Id, MinOrderQty, LeadTimeDays",
                    {"IV-" + id, "DEMO", id, VendorOf(item), item % 4 == 0 ? 24.0 : 0.0, 2 + item % 4}});
}

void AddSaleOrder(std::vector<TDemoRow>& rows, int number, double today, const char* store, const char* group,
                  std::initializer_list<std::pair<int, double>> lines) {
    const std::string id = "SO-DEMO-" + std::to_string(number);
    rows.push_back({"D_SaleOrderHeader",
                    "Id, Comp_Id, DocumentNo, DocumentDate, Customer_Id, Store_Id, BusinessGroup_Id, DocStatus, Comment",
                    {id, "DEMO", "ПП-000" + std::to_string(number), TDateTime(today - number), Variant(), store, group, 0,
                     "Поръчка на клиент"}});
    int lineNo = 0;
    for (const auto& [item, quantity] : lines) {
        ++lineNo;
        rows.push_back({"D_SaleOrderLine", "Master_Id, Id, Comp_Id, Line_No, Item_Id, Quantity, ShippedQty, DueDate",
                        {id, id + "-" + std::to_string(lineNo), "DEMO", lineNo, ItemOf(item), quantity, 0.0,
                         TDateTime(today + 3.0 * lineNo + number)}});
    }
}

}  // namespace

void WriteDemoReplenishment(TDbSession& db) {
    const double today = TDateTime::Today().Serial();
    std::vector<TDemoRow> rows;
    for (int item = 0; item < kItems; ++item) AddItem(rows, item);
    AddSaleOrder(rows, 1, today, "S01", "BG-SOF", {{0, 8}, {2, 5}, {7, 30}});
    AddSaleOrder(rows, 2, today, "S01", "BG-SOF", {{0, 4}, {11, 12}});
    AddSaleOrder(rows, 3, today, "S02", "BG-PLV", {{4, 6}, {12, 9}, {15, 40}});
    for (const TDemoRow& row : rows) {
        std::string marks;
        for (size_t i = 0; i < row.Values.size(); ++i) marks += i == 0 ? "?" : ", ?";
        ExecuteBound(db, "INSERT INTO " + row.Table + " (" + row.Columns + ") VALUES (" + marks + ")", row.Values);
    }
    ExecuteBound(db, "UPDATE D_SaleOrderLine SET Description = (SELECT i.Name FROM N_Item i WHERE i.Id = "
                     "D_SaleOrderLine.Item_Id AND i.Comp_Id = D_SaleOrderLine.Comp_Id) WHERE Comp_Id = 'DEMO'", {});
    // Every item of the group keeps 12 at least; every third is bought by the half dozen.
    for (int item = 0; item < kItems; ++item)
        ExecuteBound(db, "UPDATE N_Item SET MinimumStock = 12, OrderMultiple = ? WHERE Id = ? AND Comp_Id = 'DEMO'",
                     {item % 3 == 0 ? 6.0 : 0.0, ItemOf(item)});
}

}  // namespace tavrek::server
