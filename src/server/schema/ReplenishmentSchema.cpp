#include "server/schema/ReplenishmentSchema.h"

#include <utility>

namespace tavrek::server {

std::string ItemReplenishmentSql() {
    return R"(ALTER TABLE N_Item ADD COLUMN MinimumStock REAL DEFAULT 0;
ALTER TABLE N_Item ADD COLUMN OrderMultiple REAL DEFAULT 0;
CREATE TABLE N_ItemVendor (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Item_Id TEXT NOT NULL REFERENCES N_Item(Id) ON DELETE CASCADE,
    Contragent_Id TEXT NOT NULL REFERENCES N_Contragent(Id),
    MinOrderQty REAL DEFAULT 0,
    LeadTimeDays INTEGER DEFAULT 0);
CREATE UNIQUE INDEX UX_N_ItemVendor ON N_ItemVendor (Comp_Id, Item_Id, Contragent_Id);
CREATE INDEX IX_D_PurchaseLine_Code ON D_PurchaseLine (Code);
CREATE INDEX IX_G_ItemEntry_Sales ON G_ItemEntry (Comp_Id, DocumentType, PostingDate);
)";
}

std::string SaleOrdersSql() {
    return R"(CREATE TABLE D_SaleOrderHeader (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    DocumentNo TEXT,
    DocumentDate DATETIME,
    Customer_Id TEXT REFERENCES N_Contragent(Id),
    Store_Id TEXT REFERENCES N_Store(Id),
    BusinessGroup_Id TEXT,
    DocStatus INTEGER DEFAULT 0,
    PurchStatus INTEGER DEFAULT 0,
    Comment TEXT,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_D_SaleOrderHeader_Doc ON D_SaleOrderHeader (Comp_Id, DocumentNo);
CREATE TABLE D_SaleOrderLine (
    Master_Id TEXT NOT NULL REFERENCES D_SaleOrderHeader(Id) ON DELETE CASCADE,
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    Line_No INTEGER NOT NULL,
    Item_Id TEXT REFERENCES N_Item(Id),
    Description TEXT,
    Quantity REAL DEFAULT 0,
    ShippedQty REAL DEFAULT 0,
    UnitPrice REAL DEFAULT 0,
    DueDate DATETIME,
    PurchOrdered INTEGER DEFAULT 0);
CREATE INDEX IX_D_SaleOrderLine_Master ON D_SaleOrderLine (Master_Id, Line_No);
CREATE INDEX IX_D_SaleOrderLine_Item ON D_SaleOrderLine (Comp_Id, Item_Id);
)";
}

std::string PurchOrderSuggestionSql() {
    return R"(CREATE TABLE D_PurchOrderSuggestion (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Line_No INTEGER,
    Checked INTEGER DEFAULT 0,
    Item_Id TEXT NOT NULL,
    N_Item_Name TEXT,
    Description2 TEXT,
    Vendor_Id TEXT,
    VendorNo TEXT,
    Quantity REAL DEFAULT 0,
    OnHand REAL DEFAULT 0,
    OnOrder REAL DEFAULT 0,
    Demand REAL DEFAULT 0,
    MinimumStock REAL DEFAULT 0,
    LastDirectCost REAL DEFAULT 0,
    LastDirectCostAll REAL DEFAULT 0,
    SaleOrder_Id TEXT,
    SaleOrderLine_Id TEXT,
    DueDate DATETIME,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_D_PurchOrderSuggestion ON D_PurchOrderSuggestion (Comp_Id, Item_Id);
CREATE TABLE D_PurchOrderSuggToVendorHeader (
    id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    DocumentNo TEXT,
    Series_Id TEXT,
    DocumentDate DATETIME,
    Comment TEXT,
    Vendor_Code TEXT,
    Producer_Id TEXT,
    ProductGroup_Id TEXT,
    ArrivingDays INTEGER DEFAULT 0,
    FutureAvailability INTEGER DEFAULT 0,
    FromOldPeriod TEXT,
    ToOldPeriod TEXT,
    GenerateQtyOptions INTEGER DEFAULT 0,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE TABLE D_PurchOrderSuggToVendorLine (
    Master_Id TEXT REFERENCES D_PurchOrderSuggToVendorHeader(id) ON DELETE CASCADE,
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Checked INTEGER DEFAULT 0,
    Item_Id TEXT NOT NULL,
    N_Item_Name TEXT,
    N_Item_Description2 TEXT,
    Vendor_Id TEXT,
    VendorNo TEXT,
    SoldQty REAL DEFAULT 0,
    DailyDemand REAL DEFAULT 0,
    ArrivingDays INTEGER DEFAULT 0,
    OnHand REAL DEFAULT 0,
    OnOrder REAL DEFAULT 0,
    OpenSaleQty REAL DEFAULT 0,
    MinimumStock REAL DEFAULT 0,
    QTYForOrder REAL DEFAULT 0,
    LastDirectCost REAL DEFAULT 0);
CREATE INDEX IX_D_PurchOrderSuggToVendorLine ON D_PurchOrderSuggToVendorLine (Comp_Id, Master_Id);
CREATE TABLE D_PurchOrderSeggBySaleOrder (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    BusinessGroup_Id TEXT,
    Store_Id TEXT,
    Mode INTEGER DEFAULT 0,
    Checked INTEGER DEFAULT 0,
    Processed INTEGER DEFAULT 0,
    Item_Id TEXT NOT NULL,
    N_Item_Name TEXT,
    SaleOrder_Id TEXT,
    SaleOrderLine_Id TEXT,
    SaleOrderNo TEXT,
    DueDate DATETIME,
    OpenQty REAL DEFAULT 0,
    OnHand REAL DEFAULT 0,
    OnOrder REAL DEFAULT 0,
    MinimumStock REAL DEFAULT 0,
    QtyToPurch REAL DEFAULT 0,
    LastDirectCost REAL DEFAULT 0);
CREATE INDEX IX_D_PurchOrderSeggBySaleOrder ON D_PurchOrderSeggBySaleOrder (Comp_Id, BusinessGroup_Id);
CREATE TABLE D_PurchOrderLineSuggestion (
    OrderLine_Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Order_Id TEXT NOT NULL,
    Suggestion_Id TEXT NOT NULL);
CREATE INDEX IX_D_PurchOrderLineSuggestion ON D_PurchOrderLineSuggestion (Order_Id);
)";
}

std::string SuggestionNamesSql() {
    return "ALTER TABLE D_PurchOrderSuggToVendorHeader ADD COLUMN Vendor_Name TEXT;\n"
           "ALTER TABLE D_PurchOrderSuggToVendorHeader ADD COLUMN Producer_Name TEXT;\n"
           // Rows come back in this order: without it a database returns them as they lie.
           "ALTER TABLE D_PurchOrderSuggToVendorLine ADD COLUMN Line_No INTEGER;\n"
           "ALTER TABLE D_PurchOrderSeggBySaleOrder ADD COLUMN Line_No INTEGER;\n";
}

std::string SaleShipmentSql() {
    const std::pair<const char*, const char*> messages[] = {
        {"err_SaleOrderLineDueDate", "Въведете падеж на всеки ред."},
        {"err_SaleOrderLineNoItem", "Ред без артикул: изберете артикул или изтрийте реда."},
        {"err_SaleOrderLineQuantity", "Количеството на всеки ред трябва да е по-голямо от нула."},
        {"err_SaleOrderLineBelowShipped", "Количеството на ред не може да е по-малко от експедираното."},
        {"err_SaleOrderNoNumber", "Въведете номер на поръчката."},
        {"err_SaleOrderNoStore", "Изберете обект и склад, от който ще се експедира поръчката."},
        {"err_SaleOrderNotOpen", "Поръчката не е намерена или вече е експедирана изцяло."},
        {"err_NothingToShip", "В склада на поръчката няма наличност за нито един неекспедиран ред."},
        {"err_NoCostOfSalesAccount",
         "В настройката на складовете няма сметка за стоки или за отчетна стойност на продажбите за група %s."},
        {"err_StockChangedMeanwhile", "Наличността беше променена от друг потребител. Опитайте отново."},
        {"err_ShipmentDate", "Датата на експедицията се задава като ггггммдд."},
        {"msg_SaleOrderShipped", "Експедирано количество: %s."},
        {"que_ShipSaleOrder", "Да се експедира ли от склада наличното количество по поръчката?"},
    };
    std::string sql = "ALTER TABLE G_InventoryPostingSetup ADD COLUMN CostOfSalesAccount TEXT;\n";
    for (const auto& [key, text] : messages)
        sql += std::string("INSERT INTO S_Messages (Id, Text) VALUES ('") + key + "', '" + text +
               "') ON CONFLICT (Id) DO NOTHING;\n";
    return sql;
}

}  // namespace tavrek::server
