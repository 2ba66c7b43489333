#include "server/posting/LedgerSchema.h"

namespace tavrek::server {

const std::string& LedgerSchemaSql() {
    static const std::string sql = R"(
-- The chart of accounts; Dimensioned accounts keep an analytical dimension on every entry.
CREATE TABLE G_LAccount (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    Heading INTEGER NOT NULL DEFAULT 0,
    Dimensioned INTEGER NOT NULL DEFAULT 0);
CREATE UNIQUE INDEX IX_G_LAccount_Code ON G_LAccount (Comp_Id, Code);

-- General business group x general product group: the account of a purchase that is not stock.
CREATE TABLE G_GenPostingSetup (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    GenBusPostGroup_Id TEXT NOT NULL,
    GenProdPostGroup_Id TEXT NOT NULL,
    PurchaseAccount TEXT NOT NULL);
CREATE UNIQUE INDEX IX_G_GenPostingSetup ON G_GenPostingSetup (Comp_Id, GenBusPostGroup_Id, GenProdPostGroup_Id);

-- Store x general product group: the account of the stock; an empty store serves every store.
CREATE TABLE G_InventoryPostingSetup (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Store_Id TEXT NOT NULL DEFAULT '',
    GenProdPostGroup_Id TEXT NOT NULL,
    InventoryAccount TEXT NOT NULL);
CREATE UNIQUE INDEX IX_G_InventoryPostingSetup ON G_InventoryPostingSetup (Comp_Id, Store_Id, GenProdPostGroup_Id);

-- The VAT a buyer charges itself on a reverse-charge acquisition, or owes customs on an import.
ALTER TABLE G_VATPostingSetup ADD COLUMN PurchaseChargedVATAccount TEXT;
ALTER TABLE C_PurchasesSetup ADD COLUMN FutureCostsAccount TEXT;
ALTER TABLE C_PurchasesSetup ADD COLUMN DirectPayAccount TEXT;

-- Analytical dimensions: an advance paid to a vendor, an open item of an account.
CREATE TABLE N_LAccountDimension (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Account_Id TEXT NOT NULL,
    ReferenceType INTEGER NOT NULL DEFAULT 0,
    Reference_Id TEXT,
    Description TEXT,
    GlobalDimension_Id TEXT,
    DocumentDate DATETIME);
CREATE INDEX IX_N_LAccountDimension ON N_LAccountDimension (Comp_Id, Account_Id, Reference_Id);

-- One row per account of a numbered transaction: debit positive, credit negative, local currency.
CREATE TABLE G_LEntry (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    TransactionNo INTEGER NOT NULL,
    Account_Id TEXT NOT NULL,
    PostingDate DATETIME NOT NULL,
    Document_Id TEXT NOT NULL,
    DocumentType INTEGER NOT NULL,
    DocumentNo TEXT,
    Line_Id TEXT,
    Amount REAL NOT NULL DEFAULT 0,
    Amount_ACY REAL NOT NULL DEFAULT 0,
    Currency_Id TEXT,
    Contragent_Id TEXT,
    AccountDimension_Id TEXT,
    BusinessGroup_Id TEXT,
    Description TEXT,
    Storno INTEGER NOT NULL DEFAULT 0,
    User_Id TEXT,
    C_Datetime DATETIME);
CREATE INDEX IX_G_LEntry_Transaction ON G_LEntry (Comp_Id, TransactionNo);
CREATE INDEX IX_G_LEntry_Account ON G_LEntry (Comp_Id, Account_Id, PostingDate);
CREATE INDEX IX_G_LEntry_Document ON G_LEntry (Document_Id);
CREATE INDEX IX_G_LEntry_Dimension ON G_LEntry (AccountDimension_Id);

-- Stock received (positive) or issued (negative) in base units with its cost in local
-- currency; a receipt stays open while later issues have not used up its quantity.
CREATE TABLE G_ItemEntry (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Item_Id TEXT NOT NULL,
    Document_Id TEXT NOT NULL,
    DocumentType INTEGER NOT NULL,
    DocumentNo TEXT,
    Line_Id TEXT,
    PostingDate DATETIME NOT NULL,
    Store_Id TEXT,
    BusinessGroup_Id TEXT,
    Quantity REAL NOT NULL DEFAULT 0,
    RemainingQuantity REAL NOT NULL DEFAULT 0,
    CostAmount REAL NOT NULL DEFAULT 0,
    CostAmount_ACY REAL NOT NULL DEFAULT 0,
    Opened INTEGER NOT NULL DEFAULT 0,
    AppliesToEntry_Id TEXT,
    TransactionNo INTEGER,
    C_Datetime DATETIME);
CREATE INDEX IX_G_ItemEntry_Item ON G_ItemEntry (Comp_Id, Item_Id, BusinessGroup_Id, Opened);
CREATE INDEX IX_G_ItemEntry_Document ON G_ItemEntry (Document_Id);
CREATE INDEX IX_G_ItemEntry_Applies ON G_ItemEntry (AppliesToEntry_Id);

-- Payments applied to a vendor entry (positive amounts pay a debt).
CREATE TABLE G_ContragentEntryDetail (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    ContragentEntry_Id TEXT NOT NULL,
    Document_Id TEXT,
    DocumentType INTEGER NOT NULL DEFAULT 1,
    EntryType INTEGER NOT NULL DEFAULT 1,
    PostingDate DATETIME,
    Amount REAL NOT NULL DEFAULT 0,
    Amount_ACY REAL NOT NULL DEFAULT 0,
    C_Datetime DATETIME);
CREATE INDEX IX_G_ContragentEntryDetail ON G_ContragentEntryDetail (ContragentEntry_Id);

-- Item charges assigned to item lines in the invoice editor, and kept when it is posted.
CREATE TABLE D_ItemChargeAssigment (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Document_Id TEXT NOT NULL,
    AppliesToDoc_Id TEXT NOT NULL,
    ItemLine_Id TEXT NOT NULL,
    ItemCharge_Id TEXT,
    Quantity REAL NOT NULL DEFAULT 0);
CREATE INDEX IX_D_ItemChargeAssigment ON D_ItemChargeAssigment (Document_Id);
CREATE TABLE D_PostItemChargeAssigment (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    SalePurch INTEGER NOT NULL DEFAULT 0,
    SrcDocument_ID TEXT NOT NULL,
    ChargeLine_Id TEXT NOT NULL,
    ItemLine_Id TEXT NOT NULL,
    ItemCharge_Id TEXT,
    Quantity REAL NOT NULL DEFAULT 0);
CREATE INDEX IX_D_PostItemChargeAssigment ON D_PostItemChargeAssigment (SrcDocument_ID);

-- The periods over which an account line of a document is spread.
CREATE TABLE D_FutureCostPeriod (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Master_id TEXT NOT NULL,
    MasterLine_Id TEXT NOT NULL,
    PeriodDate DATETIME NOT NULL,
    Amount REAL NOT NULL DEFAULT 0);
CREATE INDEX IX_D_FutureCostPeriod ON D_FutureCostPeriod (Master_id, MasterLine_Id);

CREATE VIEW dv_ItemEntry AS
SELECT e.Id, e.Comp_Id, e.Item_Id, i.Code AS Item_Code, i.Name AS Item_Name, e.Document_Id, e.DocumentType,
       e.DocumentNo, e.PostingDate, e.Store_Id, e.BusinessGroup_Id, e.Quantity, e.RemainingQuantity,
       e.CostAmount, CASE WHEN e.Quantity = 0 THEN 0 ELSE e.CostAmount / e.Quantity END AS UnitCost,
       e.Opened, e.TransactionNo
FROM G_ItemEntry e LEFT JOIN N_Item i ON i.Id = e.Item_Id;

-- Stock on hand per item and business group (level 0) and per item over the company (level 1).
CREATE VIEW G_LItemEntry_0 AS
SELECT e.Item_Id AS fItem_Id, e.Comp_Id AS fComp_Id, 0 AS SLevel, e.BusinessGroup_Id,
       COALESCE(b.Name, '') AS BusinessGroup_Name, SUM(e.Quantity) AS Quantity, SUM(e.CostAmount) AS CostAmount
FROM G_ItemEntry e LEFT JOIN N_BusinessGroup b ON b.Id = e.BusinessGroup_Id
GROUP BY e.Item_Id, e.Comp_Id, e.BusinessGroup_Id, b.Name
UNION ALL
SELECT e.Item_Id, e.Comp_Id, 1, '', '', SUM(e.Quantity), SUM(e.CostAmount)
FROM G_ItemEntry e GROUP BY e.Item_Id, e.Comp_Id;

CREATE VIEW dv_ContragentEntry AS
SELECT e.Id, e.Comp_Id, e.Contragent_Id AS Contragent_ID, c.Code AS Contragent_Code, c.Name AS Contragent_Name,
       e.Document_Id, e.DocumentType, e.DocumentNo, e.VendorDocumentNo, e.DocumentDate, e.PostingDate, e.DueDate,
       e.Currency_Id, e.Amount, e.Amount_ACY, e.Remaining, e.Remaining_ACY, e.Opened, e.Gen_PostingType,
       e.TransactionNo
FROM G_ContragentEntry e LEFT JOIN N_Contragent c ON c.Id = e.Contragent_Id;

-- Each dimension of an account with what is left on it: the open advances of a vendor.
CREATE VIEW G_LAccountDimension AS
SELECT d.Id, d.Comp_Id, d.Account_Id, d.ReferenceType, d.Reference_Id, d.Description, d.GlobalDimension_Id,
       d.DocumentDate, COALESCE((SELECT SUM(g.Amount) FROM G_LEntry g WHERE g.AccountDimension_Id = d.Id), 0) AS sAmount
FROM N_LAccountDimension d;

INSERT INTO S_Messages (Id, Text) VALUES
 ('err_PostUnbalancedTransaction', 'Счетоводната операция не е балансирана и документът не беше осчетоводен.'),
 ('err_PostNoPayablesAccount', 'Групата за осчетоводяване на доставчика няма сметка за задължения.'),
 ('err_PostNoPurchaseAccount', 'Няма сметка за покупки за тази комбинация от групи за осчетоводяване.'),
 ('err_PostNoInventoryAccount', 'Няма сметка за материални запаси за този склад и група артикули.'),
 ('err_PostNoVATAccount', 'Настройката на ДДС няма сметка за ДДС при покупки.'),
 ('err_PostNoDeferredCostsAccount', 'В настройките за покупки няма сметка за разходи за бъдещи периоди.'),
 ('err_PostNoPaymentAccount', 'В настройките за покупки няма сметка за плащане при осчетоводяване.'),
 ('err_PostChargeAssignment', 'Допълнителен разход е разпределен върху ред, който не е артикул от документа.'),
 ('err_AnnulDocumentNotFound', 'Документът не е намерен.'),
 ('err_AnnulAlreadyAnnulled', 'Документът вече е анулиран.'),
 ('err_AnnulDateBeforePosting', 'Датата на анулиране е преди датата на осчетоводяване.'),
 ('err_AnnulStockConsumed', 'Част от заприходените количества вече са изписани; документът не може да се анулира.'),
 ('err_AnnulPaymentsApplied', 'Към документа има разнесени плащания; анулирането им не е поискано.'),
 ('c_NoQtyInStockToRelocate', 'Артикул %s (%s): изписани %s, наличност %s')
ON CONFLICT (Id) DO NOTHING;
)";
    return sql;
}

const std::string& SparseLedgerIndexesSql() {
    static const std::string sql = R"(
DROP INDEX IX_G_LEntry_Dimension;
CREATE INDEX IX_G_LEntry_Dimension ON G_LEntry (AccountDimension_Id) WHERE AccountDimension_Id IS NOT NULL;
UPDATE G_LEntry SET AccountDimension_Id = NULL WHERE AccountDimension_Id = '';
DROP INDEX IX_G_ItemEntry_Applies;
CREATE INDEX IX_G_ItemEntry_Applies ON G_ItemEntry (AppliesToEntry_Id) WHERE AppliesToEntry_Id IS NOT NULL;
)";
    return sql;
}

}  // namespace tavrek::server
