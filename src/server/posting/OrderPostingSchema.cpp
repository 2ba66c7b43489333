#include "server/posting/OrderPostingSchema.h"

#include "server/schema/DocumentTables.h"

namespace tavrek::server {

namespace {

// The quantity an order operation proposes for each order line, which the order keeps until the
// buffer is made from it; every line table has the column so that lines copy as they are.
std::string CalculatedQuantitySql() {
    std::string sql;
    for (const TDocumentTables& t : DocumentTables())
        sql += std::string("ALTER TABLE ") + t.Line + " ADD COLUMN CalculatedQTY REAL DEFAULT 0;\n";
    return sql;
}

}  // namespace

const std::string& OrderPostingSchemaSql() {
    static const std::string sql = CalculatedQuantitySql() + R"(
ALTER TABLE C_PurchasesSetup ADD COLUMN ReceiptsNotInvoicedAccount TEXT;
ALTER TABLE D_PurchOrderBufHeader ADD COLUMN OperationName TEXT;
ALTER TABLE D_PurchOrderBufHeader ADD COLUMN ToOrderNo TEXT;
CREATE INDEX IX_D_PurchOrderBufLine_OrderLine ON D_PurchOrderBufLine (OrderLine_Id);
CREATE INDEX IX_D_PurchReceiptLine_OrderLine ON D_PurchReceiptLine (OrderLine_Id);
CREATE INDEX IX_D_PostPurchOrderLine_OrderLine ON D_PostPurchOrderLine (OrderLine_Id);
CREATE INDEX IX_D_PurchInvoiceLine_OrderLine ON D_PurchInvoiceLine (OrderLine_Id);
CREATE INDEX IX_G_ItemEntry_Line ON G_ItemEntry (Line_Id);

INSERT INTO S_Messages (Id, Text) VALUES
 ('err_PostPurchOrderOperation', 'Непозната операция с поръчка.'),
 ('err_PostPurchOrderNegativeQty', 'Количеството на ред от буфера е отрицателно.'),
 ('err_PostPurchOrderLineNotFound', 'Ред от буфера сочи ред от поръчка, който не съществува.'),
 ('err_PostPurchOrderOtherVendor', 'Ред от буфера е от поръчка на друг доставчик.'),
 ('err_PostPurchOrderNotItemLine', 'Получават и връщат се само редове с артикули.'),
 ('err_PostPurchOrderOverReceive', 'Количеството за получаване надхвърля неполученото по поръчката.'),
 ('err_PostPurchOrderOverReturn', 'Количеството за връщане надхвърля полученото и нефактурирано по поръчката.'),
 ('err_PostPurchOrderOverReject', 'Количеството за отказване надхвърля неполученото по поръчката.'),
 ('err_PostPurchOrderOverInvoice', 'Количеството за фактуриране надхвърля полученото и нефактурирано по поръчката.'),
 ('err_PostPurchOrderReturnNoStock', 'Получената по поръчката стока вече не е на склад и не може да бъде върната.'),
 ('err_PostNoReceiptsAccount', 'В настройките на покупките няма сметка за получени нефактурирани стоки.'),
 ('err_PurchOrderBufNotFound', 'Буферът на поръчка не е намерен или вече е осчетоводен.')
ON CONFLICT (Id) DO NOTHING;
)";
    return sql;
}

const std::string& ReceiptAnnulmentSchemaSql() {
    static const std::string sql = R"(
INSERT INTO S_Messages (Id, Text) VALUES
 ('err_AnnulReceiptInvoiced', 'Стоката от доставката вече е фактурирана или върната; доставката не може да се анулира.'),
 ('err_AnnulReceiptWithInvoice', 'Доставката е осчетоводена заедно с фактурата си и се анулира с нея.')
ON CONFLICT (Id) DO NOTHING;
)";
    return sql;
}

const std::string& OrderDocumentAnnulmentSchemaSql() {
    static const std::string sql = R"(
INSERT INTO S_Messages (Id, Text) VALUES
 ('err_AnnulReceiptReturned', 'Част от стоката от доставката е върната на доставчика с връщане № %s. Анулирайте първо връщането.'),
 ('err_AnnulReturnReceivedAgain', 'Върнатата стока вече е получена отново или отказана; връщането не може да се анулира.')
ON CONFLICT (Id) DO NOTHING;
)";
    return sql;
}

const std::string& PostedOrdersSchemaSql() {
    static const std::string sql = R"(
CREATE INDEX IF NOT EXISTS IX_D_PostPurchOrderHeader_Src ON D_PostPurchOrderHeader (SrcDocument_Id);
INSERT INTO S_Messages (Id, Text) VALUES
 ('err_AnnulPostedOrder', 'Изпълнената поръчка не се анулира сама. Анулирайте документа, който я е изпълнил, и тя ще бъде анулирана с него.')
ON CONFLICT (Id) DO NOTHING;
)";
    return sql;
}

}  // namespace tavrek::server
