#include "server/posting/PostingSchema.h"

namespace tavrek::server {

const std::string& PostingSchemaSql() {
    static const std::string sql = R"(
-- What the company owes each vendor, one entry per posted document: amounts are negative
-- for a debt to the vendor, Remaining is what is still to pay.
CREATE TABLE G_ContragentEntry (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Contragent_Id TEXT NOT NULL,
    Document_Id TEXT NOT NULL,
    DocumentType INTEGER NOT NULL,
    DocumentNo TEXT,
    VendorDocumentNo TEXT,
    DocumentDate DATETIME,
    PostingDate DATETIME,
    DueDate DATETIME,
    Currency_Id TEXT,
    CurrencyFactor REAL DEFAULT 1,
    Amount REAL NOT NULL DEFAULT 0,
    Amount_ACY REAL NOT NULL DEFAULT 0,
    Remaining REAL NOT NULL DEFAULT 0,
    Remaining_ACY REAL NOT NULL DEFAULT 0,
    Opened INTEGER NOT NULL DEFAULT 1,
    Gen_PostingType INTEGER NOT NULL DEFAULT 0,
    CntrPostingGroup_Id TEXT,
    BusinessGroup_Id TEXT,
    TransactionNo INTEGER,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_G_ContragentEntry_Vendor ON G_ContragentEntry (Comp_Id, Contragent_Id, Opened);
CREATE INDEX IX_G_ContragentEntry_Document ON G_ContragentEntry (Document_Id);

-- The purchase VAT ledger: one entry per VAT rate and posting groups of a posted document.
CREATE TABLE G_VATEntry (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Document_Id TEXT NOT NULL,
    DocumentType INTEGER NOT NULL,
    DocumentNo TEXT,
    VendorDocumentNo TEXT,
    DocumentDate DATETIME,
    PostingDate DATETIME,
    Contragent_Id TEXT,
    VATBusPostGroup_Id TEXT,
    VATProdPostGroup_Id TEXT,
    VATPercent REAL NOT NULL DEFAULT 0,
    VATCalculationType INTEGER DEFAULT 0,
    VATLedger INTEGER DEFAULT 0,
    Base REAL NOT NULL DEFAULT 0,
    Amount REAL NOT NULL DEFAULT 0,
    Base_ACY REAL NOT NULL DEFAULT 0,
    Amount_ACY REAL NOT NULL DEFAULT 0,
    DoNotIncInVATLedger INTEGER DEFAULT 0,
    LedgerSubjectType TEXT,
    TransactionNo INTEGER,
    C_Datetime DATETIME);
CREATE INDEX IX_G_VATEntry_Document ON G_VATEntry (Document_Id);

INSERT INTO S_Messages (Id, Text) VALUES
 ('err_PostPurchase', 'Документът не беше осчетоводен.'),
 ('err_PostPurchDocumentNotFound', 'Документът не е намерен или вече е осчетоводен.'),
 ('err_PostPurchInDocumentCheck', 'Документът е изпратен за проверка на стоките и още не е проверен.'),
 ('err_PostPurchNoContragent', 'Документът няма доставчик.'),
 ('err_PostPurchNoLines', 'Документът няма редове.'),
 ('err_PostPurchNoDocumentDate', 'Документът няма дата.'),
 ('err_PostPurchNoVendorInvoiceNo', 'Въведете номера на фактурата на доставчика.'),
 ('err_PostPurchDuplicateVendorInvoice', 'Фактура със същия номер от този доставчик вече е осчетоводена.'),
 ('err_PostPurchAdvanceWithoutDimension', 'Ред с авансово плащане няма избрано авансово плащане.'),
 ('err_PostPurchZeroFactor', 'Документът във валута няма валутен курс.'),
 ('err_PostPurchPayMethod', 'Начинът на плащане не е намерен.'),
 ('err_PostPurchDirectPayMethod', 'Начинът на плащане не позволява плащане при осчетоводяване.'),
 ('err_PurchProtocolExists', 'За този документ вече има протокол.'),
 ('err_PurchProtocolNoLines', 'Документът няма редове, за които да се издаде протокол.'),
 ('err_PurchProtocolNotFound', 'Протоколът не е намерен или вече е осчетоводен.'),
 ('err_InvalidCurrencyFactor', 'Невалиден валутен курс.'),
 ('inf_NoReusableItems', 'Артикулът няма заменими артикули.'),
 ('usp_SendDocumentForCheck', 'usp_SendDocumentForCheck'),
 ('usp_CheckForAccountDimension', 'usp_CheckForAccountDimension'),
 ('usp_CheckCanPostDocument', 'usp_CheckCanPostDocument')
ON CONFLICT (Id) DO NOTHING;
)";
    return sql;
}

}  // namespace tavrek::server
