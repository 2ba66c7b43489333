#include "server/schema/OrderImportSchema.h"

#include "server/schema/DocumentTypes.h"

namespace tavrek::server {

std::string OrderImportSchemaSql() {
    const std::string order = std::to_string(DocumentType::PurchOrder);
    const std::string saleOrder = std::to_string(DocumentType::SaleOrder);
    return R"(CREATE TABLE D_PurchOrdImportHeader (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    DocumentNo TEXT,
    Series_Id TEXT,
    DocumentDate DATETIME,
    Code TEXT,
    Name TEXT,
    Contragent_id TEXT REFERENCES N_Contragent(Id),
    ShowCurrentBG INTEGER DEFAULT 0,
    BusinessGroup_Id TEXT,
    VendorShipmentNo TEXT,
    Comment TEXT,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_D_PurchOrdImportHeader_Doc ON D_PurchOrdImportHeader (Comp_Id, DocumentNo);
CREATE TABLE D_PurchOrdImportLine (
    Master_Id TEXT NOT NULL REFERENCES D_PurchOrdImportHeader(Id) ON DELETE CASCADE,
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    Line_No INTEGER,
    VendorItemNo TEXT,
    ItemForConnetc TEXT REFERENCES N_Item(Id),
    ItemCode TEXT,
    Description TEXT,
    UnitCode TEXT,
    Quantity REAL DEFAULT 0,
    RemainingQty REAL,
    OrderNo TEXT);
CREATE INDEX IX_D_PurchOrdImportLine_Master ON D_PurchOrdImportLine (Master_Id, Line_No);
CREATE TABLE D_PurchOrdImportLineDetail (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Master_Id TEXT NOT NULL REFERENCES D_PurchOrdImportHeader(Id) ON DELETE CASCADE,
    MasterLine_Id TEXT NOT NULL REFERENCES D_PurchOrdImportLine(Id) ON DELETE CASCADE,
    PurchLineId TEXT NOT NULL,
    TargetKind INTEGER DEFAULT 0,
    Target_Id TEXT,
    BusinessGroup_Id TEXT,
    Quantity REAL DEFAULT 0,
    BufferLine_Id TEXT,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_D_PurchOrdImportLineDetail_Line ON D_PurchOrdImportLineDetail (MasterLine_Id);
CREATE INDEX IX_D_PurchOrdImportLineDetail_Order ON D_PurchOrdImportLineDetail (PurchLineId);
CREATE INDEX IX_D_PurchOrdImportLineDetail_Doc ON D_PurchOrdImportLineDetail (Master_Id);
-- An order line made from a suggestion row serves the sale order line of that row, also after
-- the next run of the suggestion replaced its rows.
ALTER TABLE D_PurchOrderLineSuggestion ADD COLUMN SaleOrderLine_Id TEXT;
UPDATE D_PurchOrderLineSuggestion SET SaleOrderLine_Id = (SELECT s.SaleOrderLine_Id FROM D_PurchOrderSuggestion s
    WHERE s.Id = D_PurchOrderLineSuggestion.Suggestion_Id);
-- Every item line of an open order with what is still free of it: ordered and sent back,
-- less received and rejected, less what open buffers and distributed imports already hold.
CREATE VIEW dv_PurchOrdImpOrderLine AS
SELECT l.Id AS PurchLineId, h.Comp_Id, h.Id AS Order_Id, h.DocumentNo AS OrderNo,
       COALESCE(h.OrderDate, h.DocumentDate) AS OrderDate, l.Line_No, h.Contragent_Id, h.BusinessGroup_Id,
       l.Code AS Item_Id, l.Description, l.Quantity,
       COALESCE(l.Quantity, 0) + COALESCE(l.ReturnedQty, 0) - COALESCE(l.ReceivedQty, 0) - COALESCE(l.RejectedQty, 0)
       - COALESCE((SELECT SUM(b.Quantity) FROM D_PurchOrderBufLine b WHERE b.OrderLine_Id = l.Id), 0)
       - COALESCE((SELECT SUM(d.Quantity) FROM D_PurchOrdImportLineDetail d WHERE d.PurchLineId = l.Id
                   AND d.BufferLine_Id IS NULL), 0) AS PurchFreeQty
FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id
WHERE h.DocumentType = )" + order + R"( AND COALESCE(h.DocStatus, 0) = 0 AND COALESCE(l.Type, 1) = 1;
-- The candidates of an import's lines: the vendor's open order lines of the item with
-- something free, and the sale order line each serves with what it still has to ship.
CREATE VIEW dv_PurchOrdImportEntry AS
SELECT i.Id AS Doc_Id, o.Comp_Id, o.PurchLineId, o.Order_Id, o.OrderNo, o.OrderDate, o.Line_No, o.Item_Id,
       o.Description, o.BusinessGroup_Id, o.Quantity, o.PurchFreeQty, k.SaleOrderLine_Id AS SaleDocLine_id,
       CASE WHEN k.SaleOrderLine_Id IS NULL THEN NULL ELSE )" + saleOrder + R"( END AS SaleDocumentType,
       sh.DocumentNo AS SaleDocumentNo,
       CASE WHEN sl.Id IS NULL THEN NULL ELSE COALESCE(sl.Quantity, 0) - COALESCE(sl.ShippedQty, 0)
       - COALESCE((SELECT SUM(d.Quantity) FROM D_PurchOrdImportLineDetail d WHERE d.TargetKind = )" + saleOrder +
           R"( AND d.Target_Id = sl.Id), 0) END AS QtyToShip
FROM D_PurchOrdImportHeader i
JOIN dv_PurchOrdImpOrderLine o ON o.Contragent_Id = i.Contragent_id AND o.Comp_Id = i.Comp_Id
LEFT JOIN D_PurchOrderLineSuggestion k ON k.OrderLine_Id = o.PurchLineId
LEFT JOIN D_SaleOrderLine sl ON sl.Id = k.SaleOrderLine_Id
LEFT JOIN D_SaleOrderHeader sh ON sh.Id = sl.Master_Id
WHERE o.PurchFreeQty > 0.0000001;
-- The distribution of an import's lines with the order each went to.
CREATE VIEW dv_PurchOrdImportLineDetail AS
SELECT d.Id, d.Comp_Id, d.Master_Id, d.MasterLine_Id, d.PurchLineId, d.TargetKind, d.Target_Id, d.BusinessGroup_Id,
       g.Name AS BusinessGroup_Name, d.Quantity, d.BufferLine_Id, h.DocumentNo AS OrderNo, l.Line_No AS OrderLine_No,
       b.DocumentNo AS BufferNo
FROM D_PurchOrdImportLineDetail d
LEFT JOIN D_PurchaseLine l ON l.Id = d.PurchLineId
LEFT JOIN D_PurchHeader h ON h.Id = l.Master_Id
LEFT JOIN N_BusinessGroup g ON g.Id = d.BusinessGroup_Id
LEFT JOIN D_PurchOrderBufLine bl ON bl.Id = d.BufferLine_Id
LEFT JOIN D_PurchOrderBufHeader b ON b.Id = bl.Master_Id;
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_PurchOrdImportNotFound', 'Документът за импорт на поръчки не е намерен.'),
    ('err_PurchOrdImportLineNotFound', 'Редът на импорта или разпределението му не е намерен.'),
    ('err_OrdImportUnknownItem', 'Ред %s на импорта няма артикул от номенклатурата на фирмата.'),
    ('err_OrdImportLineQuantity', 'Ред %s на импорта няма положително количество.'),
    ('err_OrdImportQuantity', 'Количеството „%s“ не е положително число в допустимите граници.'),
    ('err_OrdImportQtyOverRemaining', 'Количеството е повече от неразпределеното по реда на импорта.'),
    ('err_OrdImportNotVendorsOrderLine', 'Редът не е отворен ред от поръчка на доставчика за артикула на импорта.'),
    ('err_OrdImportQtyOverFree', 'Количеството е повече от свободното по реда на поръчката.'),
    ('err_OrdImportNotServedSaleLine', 'Редът на поръчката не обслужва този ред от поръчка за продажба.'),
    ('err_OrdImportQtyOverToShip', 'Количеството е повече от оставащото за експедиране по поръчката за продажба.'),
    ('err_OrdImportUnknownBusinessGroup', 'Няма такъв обект във фирмата.'),
    ('err_OrdImportTargetKind', 'Непознат вид на разпределението.'),
    ('err_OrdImportDetailInBuffer', 'Разпределението вече е в буфер на поръчка и не може да бъде върнато.'),
    ('err_OrdImportOrderNotOpen', 'Поръчка от разпределението вече не е отворена.'),
    ('err_OrdImportNothingToGenerate', 'Няма разпределени количества, от които да се генерират доставки.'),
    ('err_SelectDocSubType', 'Изберете вид на документа.'),
    ('c_GenerateSaleOffer', 'Генериране на доставки по поръчки'),
    ('usp_AttachImpToOrder', 'dbo.usp_AttachImpToOrder'),
    ('err_OrdImportFileItems', 'Артикулите на доставчика от тези редове не са намерени и нищо не е импортирано:%s'),
    ('err_OrdImportFileLine', 'Ред %s на файла: '),
    ('que_OrdImportRemoveQty', 'Количество за връщане от разпределението'),
    ('que_OrdImportDistributeQty', 'Количество за разпределяне'),
    ('inf_OrdImportNothingToDistribute', 'По реда няма количество за разпределяне.'),
    ('inf_OrderResponseAcknowledged', 'Доставчикът потвърди, че е получил поръчката; за количествата ще отговори отделно.'),
    ('msg_OrderResponseApplied', 'Отговорът на доставчика (%s) е отразен в потвърждението: приети редове %s, променени %s, отказани %s.')
ON CONFLICT (Id) DO NOTHING;
)";
}

}  // namespace tavrek::server
