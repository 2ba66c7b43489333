#include "server/schema/OtherPackagesSchema.h"

#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

// A posted document's lines under the names the global documents copy, beside the header
// fields their selectors filter by.
std::string PostedLineSelectSql(const std::string& view, const std::string& header, const std::string& line,
                                const std::string& headerFields) {
    return "CREATE VIEW " + view + " AS SELECT l.Id, h.Comp_Id, l.Master_Id, h.DocumentNo, h.DocumentDate, "
           "h.Contragent_Id, h.Annul, " + headerFields + ", l.Line_No, l.Type, l.Code, l.Description, "
           "l.Description2, l.Measure_Id, l.PriceIncludingVAT, l.Quantity, l.Quantity_Base, "
           "l.QtyPerUnitOfMeasure AS QtyPerUnit, l.DirectUnitCost, l.UnitCost_ACY AS UnitCost, l.UnitCost_LCY, "
           "l.LineDiscount AS LineDiscount_Percent, l.VATPercent, l.ReturnedQty AS ReturnedQTY, "
           "l.VATProdPostGroup_Id, CAST(NULL AS TEXT) AS InventoryPostGroup_Id, l.GenProdPostGroup_Id, l.TotalValue, "
           "l.TotalVAT FROM " + line + " l JOIN " + header + " h ON h.Id = l.Master_Id;\n";
}

// A payment is read with its vendor and what is open of the document it pays.
std::string VendorPaymentViewSql(const std::string& openColumn) {
    return "CREATE VIEW V_D_VendorPayment AS\n"
           "SELECT p.*, c.Code AS N_Contragent_Code, c.Name AS N_Contragent_Name, e.DocumentNo AS AppliesToDocNo,\n"
           "       ABS(e." + openColumn + ") AS OpenAmount\n"
           "FROM D_VendorPayment p LEFT JOIN N_Contragent c ON c.Id = p.Contragent_Id\n"
           "LEFT JOIN G_ContragentEntry e ON e.Document_Id = p.AppliesToDoc_Id AND e.Comp_Id = p.Comp_Id;\n";
}

// What is kept of an order line's receipts: returned goods came in but went back.
constexpr const char* kKeptQty = "(COALESCE(l.ReceivedQty, 0) - COALESCE(l.ReturnedQty, 0))";

// Order lines with what is left to receive of them.
std::string OrderLineSelectViewSql() {
    const std::string open = std::string("l.Quantity - ") + kKeptQty + " - COALESCE(l.RejectedQty, 0)";
    return R"(
CREATE VIEW dv_PurchOrderLineSelect AS
SELECT l.Id, h.Comp_Id, l.Master_Id, h.DocumentNo, h.DocumentDate, h.Contragent_Id, l.Line_No, l.Type,
       l.AllowInvoiceDisc, COALESCE(l.Currency_Id, h.Currency_Id) AS Currency_Id, l.Code, l.Description,
       l.Description2, l.GenBusPostGroup_Id, l.GenProdPostGroup_Id, CAST(NULL AS TEXT) AS InventoryPostGroup_Id,
       l.Measure_Id, l.VATPercent, l.VATLedger, l.VATBusPostGroup_Id, l.VATProdPostGroup_Id, l.SerialNo, l.PartNo,
       l.PriceIncludingVAT, l.DirectUnitCost_ACY, l.LineDiscount, l.QtyPerUnitOfMeasure, l.Quantity,
       )" + open + R"( AS CalculatedQTY
FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id
WHERE h.DocumentType = )" + std::to_string(DocumentType::PurchOrder) + "\n  AND " + open + " > 0;\n";
}

// What is on order of an item: open lines of purchase orders (DocumentType 0) and of order
// buffers (DocumentType 1, per business group).
std::string PurchOrdersByLinesViewSql() {
    return R"(
CREATE VIEW dv_PurchOrdersByLines AS
SELECT l.Id, h.Comp_Id, 0 AS DocumentType, h.DocumentNo, h.DocumentDate, h.Contragent_Id, c.Name AS Contragent_Name,
       l.Code, l.Description, COALESCE(l.BusinessGroup_Id, h.BusinessGroup_Id) AS BusinessGroup_Id, l.Quantity,
       l.Quantity - )" + std::string(kKeptQty) + R"( - COALESCE(l.RejectedQty, 0) AS OutstandingQty
FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id LEFT JOIN N_Contragent c ON c.Id = h.Contragent_Id
WHERE h.DocumentType = )" + std::to_string(DocumentType::PurchOrder) + R"(
UNION ALL
SELECT l.Id, h.Comp_Id, 1, h.DocumentNo, h.DocumentDate, h.Contragent_Id, c.Name, l.Code, l.Description,
       COALESCE(l.BusinessGroup_Id, h.BusinessGroup_Id), l.Quantity, l.Quantity
FROM D_PurchOrderBufLine l JOIN D_PurchOrderBufHeader h ON h.Id = l.Master_Id
LEFT JOIN N_Contragent c ON c.Id = h.Contragent_Id;
)";
}

// Every line of purchase orders with what was received, returned, rejected and invoiced of
// it, for the selection that computes what is open for an operation; the open quantity is
// proposed.
std::string SelectPurchOrderViewSql() {
    return R"(
CREATE VIEW dv_SelectPurchOrder AS
SELECT l.Id, h.Comp_Id, l.Master_Id, h.DocumentNo, h.DocumentDate, h.Contragent_Id, h.VendorOrderNo, l.Line_No,
       l.Type, l.AllowInvoiceDisc, COALESCE(l.Currency_Id, h.Currency_Id) AS Currency_Id, l.Code, i.Id AS Item_Id,
       l.Description, l.Description2, l.VendorItemNo, l.GenBusPostGroup_Id, l.GenProdPostGroup_Id,
       CAST(NULL AS TEXT) AS InventoryPostGroup_Id, l.Measure_Id, l.VATPercent, l.VATLedger, l.VATBusPostGroup_Id,
       l.VATProdPostGroup_Id, l.SerialNo, l.PartNo, l.PriceIncludingVAT, l.DirectUnitCost_ACY,
       l.UnitCost_ACY AS UnitCost, l.LineDiscount, l.QtyPerUnitOfMeasure, l.Quantity,
       COALESCE(l.ReceivedQty, 0) AS ReceivedQty, COALESCE(l.ReturnedQty, 0) AS ReturnedQty,
       COALESCE(l.RejectedQty, 0) AS RejectedQty, COALESCE(l.InvoicedQty, 0) AS InvoicedQty,
       l.Quantity - )" + std::string(kKeptQty) + R"( - COALESCE(l.RejectedQty, 0) AS CalculatedQTY
FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id
LEFT JOIN N_Item i ON i.Comp_Id = h.Comp_Id AND i.Code = l.Code
WHERE h.DocumentType = )" + std::to_string(DocumentType::PurchOrder) + ";\n";
}

const std::string kNomenclature = R"(
-- Contragents by kind: 0 customer, 1 vendor, 2 vendor and customer.
CREATE VIEW dv_ContragentSelect AS
SELECT Id, Comp_Id, Code, Name, Bulstat, VATRegistrationNo, City,
       CASE WHEN IsVendor = 1 AND IsCustomer = 1 THEN 2 WHEN IsVendor = 1 THEN 1 ELSE 0 END AS ContragentType
FROM N_Contragent;

CREATE TABLE N_Producer (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Name TEXT NOT NULL);

CREATE TABLE N_ItemProductGroup (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Name TEXT NOT NULL);

-- Sale prices of items: SalesType 0 for one customer, 1 for a customer price group, 2 for
-- every customer; SalesCode names the customer or the group.
CREATE TABLE N_SalesPrice (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Item_Id TEXT NOT NULL,
    SalesType INTEGER NOT NULL DEFAULT 2,
    SalesCode TEXT,
    Currency_Id TEXT,
    Measure_Id TEXT,
    StartingDate DATETIME,
    EndingDate DATETIME,
    MinimumQuantity REAL DEFAULT 0,
    UnitPrice REAL NOT NULL DEFAULT 0,
    PriceIncludingVAT INTEGER DEFAULT 0);
CREATE INDEX IX_N_SalesPrice ON N_SalesPrice (Comp_Id, Item_Id);

-- Stock held back by documents not yet posted: the lines of purchase credit memos return it.
CREATE VIEW dv_BlockedQty AS
SELECT l.Id AS Line_Id, h.Comp_Id, l.Code, COALESCE(l.BusinessGroup_Id, h.BusinessGroup_Id) AS BusinessGroup_Id,
       h.DocumentNo, h.DocumentDate, c.Name AS Contragent_Name, l.Quantity
FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id LEFT JOIN N_Contragent c ON c.Id = h.Contragent_Id
WHERE h.DocumentType = )" + std::to_string(DocumentType::PurchCrMemo) + R"(;

-- Payments to vendors, each applied to the vendor entry of the document it pays.
CREATE TABLE D_VendorPayment (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    DocumentNo TEXT,
    DocumentDate DATETIME,
    Contragent_Id TEXT,
    Currency_Id TEXT,
    CurrencyFactor REAL DEFAULT 1,
    PriceIncludingVAT INTEGER DEFAULT 0,
    VATBusPostGroup_Id TEXT,
    GenBusPostGroup_Id TEXT,
    BusinessGroup_Id TEXT,
    AppliesToDoc_Id TEXT,
    AppliesToDoc_Type INTEGER DEFAULT 1,
    Account_Id TEXT,
    Amount REAL DEFAULT 0,
    Description TEXT,
    Posted INTEGER DEFAULT 0,
    TransactionNo INTEGER,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_D_VendorPayment_Applies ON D_VendorPayment (AppliesToDoc_Id);
)" + VendorPaymentViewSql("Remaining") + R"(
INSERT INTO S_Messages (Id, Text) VALUES
 ('fld_3680', 'Аванси на доставчика'),
 ('fld_10510', 'Отворени редове от поръчки'),
 ('fld_10680', 'Редове от фактури за покупка'),
 ('fld_10700', 'Редове от кредитни известия'),
 ('fld_10770', 'Вид документ'),
 ('fld_410', 'Контрагенти'),
 ('fld_330', 'Производители'),
 ('fld_610', 'Продуктови групи'),
 ('err_CardCodeRequired', 'Въведете код на записа.'),
 ('err_CardNameRequired', 'Въведете наименование на записа.'),
 ('err_CardCodeExists', 'Вече има запис с този код; въведете друг код.'),
 ('err_PaymentNotFound', 'Плащането не е намерено или вече е осчетоводено.'),
 ('err_PaymentNoOpenEntry', 'Документът, който се плаща, няма открито задължение към доставчика.'),
 ('err_PaymentAmountNotPositive', 'Въведете сума на плащането, по-голяма от нула.'),
 ('err_PaymentExceedsRemaining', 'Сумата на плащането е по-голяма от остатъка за плащане по документа.'),
 ('err_PaymentNoAccount', 'Няма сметка за плащането или за задълженията към доставчика.'),
 ('err_PostingPayment', 'Плащането не беше осчетоводено.')
ON CONFLICT (Id) DO NOTHING;
)";

}  // namespace

// A source line taken into a consolidated document not posted yet carries that document's
// number: no other one is offered it, and its own finds it again to take it out.
std::string GlobalNumberOfLine(const std::string& headerColumn) {
    return "COALESCE(h." + headerColumn + ", (SELECT MIN(g.DocumentNo) FROM D_GlobalPurchLine gl JOIN "
           "D_GlobalPurchHeader g ON g.Id = gl.Master_Id WHERE gl.SrcLine_Id = l.Id)) AS " + headerColumn;
}

std::string VendorPaymentUpgradeSql() {
    return R"(
-- Payments take their numbers from a series of the purchases setup, keep their local amount
-- beside the amount in the paid document's currency, and may be annulled.
ALTER TABLE C_PurchasesSetup ADD COLUMN VendorPayment_Series_Id TEXT;
INSERT INTO S_NoSeries (Id, Comp_Id, Code, Name, Prefix, Digits, LastNo)
SELECT 'PAY-' || Id, Id, 'PAY', 'Плащания към доставчици', '', 10, 0 FROM C_PurchasesSetup;
UPDATE C_PurchasesSetup SET VendorPayment_Series_Id = 'PAY-' || Id;
ALTER TABLE D_VendorPayment ADD COLUMN Amount_LCY REAL DEFAULT 0;
ALTER TABLE D_VendorPayment ADD COLUMN Annul INTEGER DEFAULT 0;
ALTER TABLE D_VendorPayment ADD COLUMN AnnulDate DATETIME;
ALTER TABLE D_VendorPayment ADD COLUMN AnnulUser_Id TEXT;
ALTER TABLE D_VendorPayment ADD COLUMN AnnulTransactionNo INTEGER;
-- What is open is shown in the paid document's currency, the payment's own.
DROP VIEW V_D_VendorPayment;
)" + VendorPaymentViewSql("Remaining_ACY") + R"(
INSERT INTO S_Messages (Id, Text) VALUES
 ('err_PaymentNoSeries', 'Няма серия за номерата на плащанията в настройките на покупките.'),
 ('err_PaymentNotPosted', 'Плащането не е намерено или не е осчетоводено.'),
 ('err_PaymentAlreadyAnnulled', 'Плащането вече е анулирано.'),
 ('err_PaymentNotApplied', 'Плащането вече не е приложено към задължението: документът, който плаща, е анулиран.'),
 ('err_PaymentPostedNotEditable', 'Осчетоводеното плащане не може да бъде променяно или изтривано; може само да бъде анулирано.'),
 ('err_AnnulPayment', 'Плащането не беше анулирано.'),
 ('que_AnnulPayment', 'Да бъде ли анулирано плащането? Сумата му отново ще бъде дължима по документа.')
ON CONFLICT (Id) DO NOTHING;
)";
}

std::string GoodsCheckSchemaSql() {
    return R"(
-- Stock checks of posted receipts: what a person counted on each item line against what
-- the receipt took in, and the difference.
CREATE TABLE D_GoodsCheckHeader (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Receipt_Id TEXT NOT NULL,
    ReceiptNo TEXT,
    CheckType INTEGER DEFAULT 1,
    DocumentDate DATETIME,
    DifferenceLines INTEGER DEFAULT 0,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_D_GoodsCheckHeader_Receipt ON D_GoodsCheckHeader (Comp_Id, Receipt_Id);
CREATE TABLE D_GoodsCheckLine (
    Id TEXT PRIMARY KEY NOT NULL,
    Master_Id TEXT NOT NULL REFERENCES D_GoodsCheckHeader(Id) ON DELETE CASCADE,
    Comp_Id TEXT NOT NULL,
    Line_No INTEGER,
    ReceiptLine_Id TEXT,
    Code TEXT,
    Description TEXT,
    Measure_Id TEXT,
    Quantity REAL DEFAULT 0,
    CountedQty REAL,
    DifferenceQty REAL);
CREATE INDEX IX_D_GoodsCheckLine_Master ON D_GoodsCheckLine (Master_Id);

INSERT INTO S_Messages (Id, Text) VALUES
 ('err_GoodsCheckNotCounted', 'Въведете преброеното количество на ред %s.'),
 ('err_GoodsCheckNegative', 'Преброеното количество на ред %s е отрицателно.')
ON CONFLICT (Id) DO NOTHING;
)";
}

std::string SourceLinesInGlobalDocumentsSql() {
    return "DROP VIEW dv_PurchInvoiceLineSelect;\nDROP VIEW dv_PurchCrMemoLineSelect;\n"
           "CREATE INDEX IX_D_GlobalPurchLine_Src ON D_GlobalPurchLine (SrcLine_Id);\n" +
           PostedLineSelectSql("dv_PurchInvoiceLineSelect", "D_PurchInvoiceHeader", "D_PurchInvoiceLine",
                               "h.DoNotIncInVATLedger, h.IsGlobalInvoice, " + GlobalNumberOfLine("GlobalInvoiceNo")) +
           PostedLineSelectSql("dv_PurchCrMemoLineSelect", "D_PurchCrMemoHeader", "D_PurchCrMemoLine",
                               "h.NotIncludeVatLedger, h.IsGlobalCrMemo, " + GlobalNumberOfLine("GlobalCrMemoNo"));
}

std::string OrderLineSelectionSql() {
    return SelectPurchOrderViewSql() + R"(
-- The fields a vendor's file of delivered quantities is read into; it holds no rows.
CREATE TABLE D_PurchOrderFileRow (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    Item_Id TEXT,
    VendorItemNo TEXT,
    VendorOrderNo TEXT,
    Description2 TEXT,
    Quantity REAL DEFAULT 0,
    UnitCost REAL,
    Currency_Id TEXT);
)";
}

std::string OtherPackagesSchemaSql() {
    return PostedLineSelectSql("dv_PurchInvoiceLineSelect", "D_PurchInvoiceHeader", "D_PurchInvoiceLine",
                               "h.DoNotIncInVATLedger, h.IsGlobalInvoice, h.GlobalInvoiceNo") +
           PostedLineSelectSql("dv_PurchCrMemoLineSelect", "D_PurchCrMemoHeader", "D_PurchCrMemoLine",
                               "h.NotIncludeVatLedger, h.IsGlobalCrMemo, h.GlobalCrMemoNo") +
           OrderLineSelectViewSql() + kNomenclature + PurchOrdersByLinesViewSql();
}

std::string OrderLinesToPlaceSql() {
    return R"(
-- Order lines a vendor's document is placed on, in the order of their orders, with what
-- buffers hold of each already (CalculatedQTY).
CREATE VIEW dv_PurchOrderLineToPlace AS
SELECT l.Id, h.Comp_Id, h.Contragent_Id, h.DocumentNo, h.DocumentDate, l.Line_No, l.Type, l.AllowInvoiceDisc,
       COALESCE(l.Currency_Id, h.Currency_Id) AS Currency_Id, l.Code, l.Description, l.Description2,
       l.GenBusPostGroup_Id, l.GenProdPostGroup_Id, CAST(NULL AS TEXT) AS InventoryPostGroup_Id, l.Measure_Id,
       l.VATPercent, l.VATLedger, l.VATBusPostGroup_Id, l.VATProdPostGroup_Id, l.SerialNo, l.PartNo,
       l.PriceIncludingVAT, l.DirectUnitCost_ACY, l.LineDiscount, l.QtyPerUnitOfMeasure, l.GlobalDimension_Id,
       l.Quantity, COALESCE(l.ReturnedQty, 0) AS ReturnedQty, COALESCE(l.ReceivedQty, 0) AS ReceivedQty,
       COALESCE(l.RejectedQty, 0) AS RejectedQty,
       COALESCE((SELECT SUM(b.Quantity) FROM D_PurchOrderBufLine b WHERE b.OrderLine_Id = l.Id), 0) AS CalculatedQTY
FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id
WHERE h.DocumentType = )" + std::to_string(DocumentType::PurchOrder) + R"(
ORDER BY h.DocumentDate, h.DocumentNo, l.Line_No;
)";
}

std::string KeptReceiptsSql() {
    return "UPDATE D_PurchaseLine SET ReceivedQty = COALESCE(ReceivedQty, 0) + ReturnedQty WHERE ReturnedQty <> 0 "
           "AND Master_Id IN (SELECT Id FROM D_PurchHeader WHERE DocumentType = " +
           std::to_string(DocumentType::PurchOrder) + ");\n"
           "DROP VIEW dv_PurchOrderLineSelect;\nDROP VIEW dv_PurchOrdersByLines;\nDROP VIEW dv_SelectPurchOrder;\n" +
           OrderLineSelectViewSql() + PurchOrdersByLinesViewSql() + SelectPurchOrderViewSql();
}

}  // namespace tavrek::server
