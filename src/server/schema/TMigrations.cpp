#include "server/schema/TMigrations.h"

#include <regex>

#include "base/util/Text.h"
#include "server/posting/LedgerSchema.h"
#include "server/posting/OrderPostingSchema.h"
#include "server/posting/PostingSchema.h"
#include "server/posting/VendorItemProcedures.h"
#include "server/schema/DocumentTables.h"
#include "server/schema/GlobalDocumentSchema.h"
#include "server/schema/GlobalLineFieldsSchema.h"
#include "server/schema/OrderImportSchema.h"
#include "server/schema/OtherPackagesSchema.h"
#include "server/schema/SourceLineSelectSchema.h"
#include "server/schema/ReplenishmentSchema.h"
#include "server/schema/ReportsSchema.h"

namespace tavrek::server {
namespace {

// Header and line columns shared by every purchase document table; dates are REAL serial
// days declared DATETIME so that readers know to hand them out as dates.
const std::string kHeaderColumns = R"(
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    DocumentType INTEGER NOT NULL,
    DocSubType_Id TEXT,
    DocumentNo TEXT,
    Series_Id TEXT,
    AbsoluteNo TEXT,
    DocumentDate DATETIME,
    PostingDate DATETIME,
    OrderDate DATETIME,
    DueDate DATETIME,
    Contragent_Id TEXT,
    Currency_Id TEXT,
    CurrencyFactor REAL DEFAULT 1,
    PriceIncludingVAT INTEGER DEFAULT 0,
    PayMethod_Id TEXT,
    PayTerm_Id TEXT,
    VATBusPostGroup_Id TEXT,
    GenBusPostGroup_Id TEXT,
    CntrPostingGroup_Id TEXT,
    BankAccount_Id TEXT,
    BusinessGroup_Id TEXT,
    SalesPerson_Id TEXT,
    User_Id TEXT,
    C_Datetime DATETIME,
    Comment TEXT,
    VendorInvoiceNo TEXT,
    VendorCreditMemoNo TEXT,
    VendorOrderNo TEXT,
    VendorShipmentNo TEXT,
    CustomsDeclarationNo TEXT,
    ExpectedReceiptDate DATETIME,
    RequestedReceiptDate DATETIME,
    RequestedReceiptHour TEXT,
    TotalValue REAL DEFAULT 0,
    VATValue REAL DEFAULT 0,
    TotalVAT REAL DEFAULT 0,
    TotalValue_LCY REAL DEFAULT 0,
    TotalVAT_LCY REAL DEFAULT 0,
    InvDiscAmount REAL DEFAULT 0,
    VATLedger INTEGER DEFAULT 0,
    DoNotIncInVATLedger INTEGER DEFAULT 0,
    NotIncludeVatLedger INTEGER DEFAULT 0,
    LedgerSubjectType TEXT,
    PurchType163a TEXT,
    ToInvoiceNo TEXT,
    InvoiceDate DATETIME,
    ToInvoiceDate DATETIME,
    GlobalInvoiceNo TEXT,
    GlobalCrMemoNo TEXT,
    IsGlobalInvoice INTEGER DEFAULT 0,
    IsGlobalCrMemo INTEGER DEFAULT 0,
    VendorGlobalInvoiceNo TEXT,
    VendorGlobalCrMemoNo TEXT,
    VendorCreditMemoDate DATETIME,
    AppliesToDoc_Id TEXT,
    DocStatus INTEGER DEFAULT 0,
    CheckStatus INTEGER DEFAULT 0,
    DirectPay INTEGER DEFAULT 0,
    ThirdSideOfDeal TEXT,
    DealKind TEXT,
    StatProcedure TEXT,
    TermsOfDelivery TEXT,
    TransportType TEXT,
    TransportCountry TEXT,
    ThirdSideCountry_Id TEXT,
    Region_Id TEXT,
    TotalWeight REAL DEFAULT 0,
    AdditionalCosts REAL DEFAULT 0,
    DoNotIncInIntrastat INTEGER DEFAULT 0)";

const std::string kPostedHeaderColumns = R"(,
    Annul INTEGER DEFAULT 0,
    AnnulDate DATETIME,
    AnnulDescription TEXT,
    AnnulUser_Id TEXT,
    PostingUser_Id TEXT,
    Remaining REAL DEFAULT 0,
    Remaining_ACY REAL DEFAULT 0,
    OrderNo TEXT,
    ProtocolNo TEXT,
    ExternalDoc_No TEXT,
    No_Printed INTEGER DEFAULT 0,
    TransactionNo INTEGER,
    GlobDocIsPosted INTEGER DEFAULT 0,
    SrcDocument_Id TEXT)";

const std::string kLineColumns = R"(
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    Line_No INTEGER NOT NULL,
    Type INTEGER DEFAULT 1,
    Code TEXT,
    Description TEXT,
    Description2 TEXT,
    Measure_Id TEXT,
    QtyPerUnitOfMeasure REAL DEFAULT 1,
    Quantity REAL DEFAULT 0,
    Quantity_Base REAL DEFAULT 0,
    DirectUnitCost_ACY REAL DEFAULT 0,
    DirectUnitCost REAL DEFAULT 0,
    OriginalPrice REAL DEFAULT 0,
    OriginalDiscount REAL DEFAULT 0,
    LineDiscount REAL DEFAULT 0,
    LineDiscountAmount REAL DEFAULT 0,
    AllowInvoiceDisc INTEGER DEFAULT 1,
    InvDiscAmount REAL DEFAULT 0,
    TotalPrice REAL DEFAULT 0,
    IndirectCostPercent REAL DEFAULT 0,
    UnitCost_ACY REAL DEFAULT 0,
    UnitCost_LCY REAL DEFAULT 0,
    VATProdPostGroup_Id TEXT,
    VATBusPostGroup_Id TEXT,
    GenBusPostGroup_Id TEXT,
    GenProdPostGroup_Id TEXT,
    BusinessGroup_Id TEXT,
    PriceIncludingVAT INTEGER DEFAULT 0,
    Currency_Id TEXT,
    VATLedger INTEGER DEFAULT 0,
    VATPercent REAL DEFAULT 0,
    VATCalculationType INTEGER DEFAULT 0,
    VATBaseAmount REAL DEFAULT 0,
    TotalValue REAL DEFAULT 0,
    VATValue REAL DEFAULT 0,
    TotalVAT REAL DEFAULT 0,
    TotalValue_LCY REAL DEFAULT 0,
    VATValue_LCY REAL DEFAULT 0,
    TotalVAT_LCY REAL DEFAULT 0,
    AccountDimension_Id TEXT,
    GlobalDimension_Id TEXT,
    DeprBook_Id TEXT,
    ItemCharge_Id TEXT,
    OrderLine_Id TEXT,
    SrcLine_Id TEXT,
    QtyToReceive REAL DEFAULT 0,
    QtyToInvoice REAL DEFAULT 0,
    ReceivedQty REAL DEFAULT 0,
    InvoicedQty REAL DEFAULT 0,
    OutstandingQty REAL DEFAULT 0,
    QtyRcdNotInvoiced REAL DEFAULT 0,
    RejectedQty REAL DEFAULT 0,
    ReturnedQty REAL DEFAULT 0,
    VendorItemNo TEXT,
    SerialNo TEXT,
    PartNo TEXT,
    UnitPrice REAL DEFAULT 0,
    UnitPriceWithVAT REAL DEFAULT 0,
    Marj REAL DEFAULT 0,
    PriceDiff REAL DEFAULT 0,
    QtyDiff REAL DEFAULT 0,
    ConfirmQuantity REAL DEFAULT 0,
    ConfirmPrice REAL DEFAULT 0,
    ConfirmDiscount REAL DEFAULT 0)";

// Headers are read with the display fields of their vendor and subtype.
std::string HeaderViewSql(const std::string& header, const std::string& extraColumns = "") {
    return "CREATE VIEW V_" + header + " AS SELECT h.*, " + extraColumns + "c.Code AS N_Contragent_Code, c.Name AS N_Contragent_Name, "
           "c.Bulstat AS N_Contragent_Bulstat, c.VATRegistrationNo AS N_Contragent_VATRegistrationNo, "
           "s.Code AS N_SubDocument_Code, s.Name AS N_SubDocument_Name FROM " + header +
           " h LEFT JOIN N_Contragent c ON c.Id = h.Contragent_Id LEFT JOIN N_SubDocument s ON s.Id = h.DocSubType_Id;\n";
}

std::string DocumentTablesSql() {
    std::string sql;
    for (const TDocumentTables& t : DocumentTables()) {
        const std::string header = t.Header, line = t.Line;
        sql += "CREATE TABLE " + header + " (" + kHeaderColumns + (t.Posted ? kPostedHeaderColumns : "") + ");\n";
        sql += "CREATE INDEX IX_" + header + "_Doc ON " + header + " (Comp_Id, DocumentType, DocumentNo);\n";
        sql += "CREATE TABLE " + line + " (Master_Id TEXT NOT NULL REFERENCES " + header +
               "(Id) ON DELETE CASCADE," + kLineColumns + ");\n";
        sql += "CREATE INDEX IX_" + line + "_Master ON " + line + " (Master_Id, Line_No);\n";
        sql += HeaderViewSql(header);
    }
    return sql;
}

// The buffer header's view shows the columns added to buffers (PostgreSQL fixes a view's
// columns when it is made).
std::string OrderBufferViewSql() {
    return "DROP VIEW V_D_PurchOrderBufHeader;\n" + HeaderViewSql("D_PurchOrderBufHeader");
}

const std::string kLineDetailColumns = R"(
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    Master_Id TEXT NOT NULL,
    MasterLine_Id TEXT NOT NULL,
    SerialNo TEXT,
    LotNo TEXT,
    ExpirationDate DATETIME,
    Quantity REAL DEFAULT 0)";

const std::string kMasterData = R"(
CREATE TABLE C_CompanySetup (
    Id TEXT PRIMARY KEY NOT NULL,
    Name TEXT NOT NULL,
    Bulstat TEXT,
    VATRegistrationNo TEXT,
    Address TEXT,
    City TEXT,
    LocalCurrency_Id TEXT,
    AmountDecimals INTEGER DEFAULT 2,
    UnitPriceDecimals INTEGER DEFAULT 2,
    Transaction_Series_Id TEXT,
    VATBusPostGroup_Id TEXT,
    AllowNegativeQTY INTEGER DEFAULT 0);

CREATE TABLE C_PurchasesSetup (
    Id TEXT PRIMARY KEY NOT NULL REFERENCES C_CompanySetup(Id),
    Update_ItemDirectCost TEXT DEFAULT 'True',
    UpdateAVGUnitCost TEXT DEFAULT 'True',
    AdvancePaymentAccount TEXT,
    ProtocolTransitAccount TEXT,
    PurchProtocol_Code TEXT,
    PurchCRMemoProtocol_Code TEXT,
    Offer_Series_Id TEXT,
    Order_Series_Id TEXT,
    Invoice_Series_Id TEXT,
    PostedInvoice_Series_Id TEXT,
    CreditMemo_Series_Id TEXT,
    PostedCrMemo_Series_Id TEXT,
    PostedReceipt_Series_Id TEXT,
    PostedReturnShpt_Series_Id TEXT,
    PostRejectOrderSeries_Id TEXT,
    PostOrderSeries_Id TEXT,
    PurchProtocol_Series_Id TEXT,
    PostPurchProtocol_Series_Id TEXT,
    PurchCrMemoProtocol_Series_Id TEXT,
    PostPurchCrMemoProt_Series_Id TEXT,
    PurchOrdSegg_Series_Id TEXT,
    PurchOrdImpSeries_id TEXT);

CREATE TABLE N_Store (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL);

CREATE TABLE N_BusinessGroup (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    Store_Id TEXT REFERENCES N_Store(Id));

CREATE TABLE N_Currency (
    Id TEXT PRIMARY KEY NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    IsLocal INTEGER DEFAULT 0,
    FixedFactor REAL DEFAULT 0);

CREATE TABLE N_CurrencyRate (
    Id TEXT PRIMARY KEY NOT NULL,
    Currency_Id TEXT NOT NULL REFERENCES N_Currency(Id),
    StartingDate DATETIME NOT NULL,
    Factor REAL NOT NULL);
CREATE INDEX IX_N_CurrencyRate ON N_CurrencyRate (Currency_Id, StartingDate);

CREATE TABLE N_Measure (
    Id TEXT PRIMARY KEY NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL);

CREATE TABLE N_VATBusPostingGroup (Id TEXT PRIMARY KEY NOT NULL, Comp_Id TEXT NOT NULL, Code TEXT NOT NULL, Name TEXT);
CREATE TABLE N_VATProdPostingGroup (Id TEXT PRIMARY KEY NOT NULL, Comp_Id TEXT NOT NULL, Code TEXT NOT NULL, Name TEXT);
CREATE TABLE N_GenBusPostingGroup (Id TEXT PRIMARY KEY NOT NULL, Comp_Id TEXT NOT NULL, Code TEXT NOT NULL, Name TEXT);
CREATE TABLE N_GenProdPostingGroup (Id TEXT PRIMARY KEY NOT NULL, Comp_Id TEXT NOT NULL, Code TEXT NOT NULL, Name TEXT);
CREATE TABLE N_CntrPostingGroup (Id TEXT PRIMARY KEY NOT NULL, Comp_Id TEXT NOT NULL, Code TEXT NOT NULL, Name TEXT,
    PayablesAccount TEXT);

CREATE TABLE G_VATPostingSetup (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    VATBus_PostingGroup TEXT NOT NULL,
    VATProd_PostingGroup TEXT NOT NULL,
    VATPercent REAL NOT NULL DEFAULT 0,
    VATCalculationType INTEGER DEFAULT 0,
    PurchaseVATLedger INTEGER DEFAULT 0,
    SalesVATLedger INTEGER DEFAULT 0,
    PurchaseVATAccount TEXT,
    SalesVATAccount TEXT);
CREATE UNIQUE INDEX IX_G_VATPostingSetup ON G_VATPostingSetup (Comp_Id, VATBus_PostingGroup, VATProd_PostingGroup);

CREATE TABLE N_PaymentTerms (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    DueDateCalculation INTEGER DEFAULT 0);

CREATE TABLE N_PaymentMethod (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    DirectPay INTEGER DEFAULT 0);

CREATE TABLE N_Contragent (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    Bulstat TEXT,
    VATRegistrationNo TEXT,
    Address TEXT,
    City TEXT,
    Country_Id TEXT,
    Phone TEXT,
    Email TEXT,
    IsVendor INTEGER DEFAULT 1,
    IsCustomer INTEGER DEFAULT 0,
    Currency_Id TEXT,
    PayMethod_Id TEXT REFERENCES N_PaymentMethod(Id),
    PayTerm_Id TEXT REFERENCES N_PaymentTerms(Id),
    VATBusPostGroup_Id TEXT,
    GenBusPostGroup_Id TEXT,
    CntrPostingGroup_Id TEXT,
    PriceIncludingVAT INTEGER DEFAULT 0,
    CustomerPriceGroup TEXT,
    BankAccount_Id TEXT,
    Blocked INTEGER DEFAULT 0);
CREATE UNIQUE INDEX IX_N_Contragent_Code ON N_Contragent (Comp_Id, Code);

CREATE TABLE N_Item (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    Description2 TEXT,
    Type INTEGER DEFAULT 1,
    BaseMeasure_Id TEXT REFERENCES N_Measure(Id),
    PurchMeasure_Id TEXT REFERENCES N_Measure(Id),
    VATProdPostGroup_Id TEXT,
    GenProdPostGroup_Id TEXT,
    ItemProductGroup_Id TEXT,
    Producer_Id TEXT,
    UnitPrice REAL DEFAULT 0,
    LastDirectCost REAL DEFAULT 0,
    UnitCost REAL DEFAULT 0,
    Vendor_Id TEXT,
    Blocked INTEGER DEFAULT 0);
CREATE UNIQUE INDEX IX_N_Item_Code ON N_Item (Comp_Id, Code);

CREATE TABLE N_ItemMeasure (
    Id TEXT PRIMARY KEY NOT NULL,
    Item_Id TEXT NOT NULL REFERENCES N_Item(Id) ON DELETE CASCADE,
    Measure_Id TEXT NOT NULL REFERENCES N_Measure(Id),
    QtyPerUnitOfMeasure REAL NOT NULL DEFAULT 1);
CREATE UNIQUE INDEX IX_N_ItemMeasure ON N_ItemMeasure (Item_Id, Measure_Id);

CREATE TABLE N_VendorPrice (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Contragent_Id TEXT NOT NULL REFERENCES N_Contragent(Id),
    Item_Id TEXT NOT NULL REFERENCES N_Item(Id),
    Measure_Id TEXT,
    Currency_Id TEXT,
    StartingDate DATETIME,
    EndingDate DATETIME,
    MinimumQuantity REAL DEFAULT 0,
    DirectUnitCost REAL NOT NULL,
    PriceIncludingVAT INTEGER DEFAULT 0,
    VendorItemNo TEXT);
CREATE INDEX IX_N_VendorPrice ON N_VendorPrice (Contragent_Id, Item_Id);

CREATE TABLE N_VendorDiscount (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Contragent_Id TEXT NOT NULL REFERENCES N_Contragent(Id),
    Item_Id TEXT REFERENCES N_Item(Id),
    StartingDate DATETIME,
    EndingDate DATETIME,
    MinimumQuantity REAL DEFAULT 0,
    LineDiscount REAL NOT NULL DEFAULT 0,
    AllowInvoiceDisc INTEGER DEFAULT 1);
CREATE INDEX IX_N_VendorDiscount ON N_VendorDiscount (Contragent_Id, Item_Id);

CREATE TABLE N_SubDocument (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    DocumentType INTEGER,
    SaleOrPurchase INTEGER DEFAULT 1,
    Series_Id TEXT,
    Post_Series_Id TEXT,
    PaymentMethod TEXT,
    VATSeries_Id TEXT);

CREATE TABLE N_LedgerSubjectTypes (
    Id TEXT PRIMARY KEY NOT NULL,
    Name TEXT NOT NULL);

CREATE TABLE N_FADeprBookLine (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Master_Id TEXT NOT NULL,
    DeprBook_Id TEXT NOT NULL,
    DefaultBook INTEGER DEFAULT 0);

CREATE TABLE N_PartnerConnectionList (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Contragent_Id TEXT NOT NULL,
    BusinessGroup_Id TEXT,
    URLAddress TEXT,
    UserName TEXT,
    Password TEXT,
    ValidUntil DATETIME);

CREATE TABLE S_NoSeries (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Code TEXT NOT NULL,
    Name TEXT NOT NULL,
    Prefix TEXT DEFAULT '',
    Digits INTEGER DEFAULT 10,
    LastNo INTEGER NOT NULL DEFAULT 0,
    EndingNo INTEGER);

-- A business group may number a series on its own counter.
CREATE TABLE S_NoSeriesLine (
    Id TEXT PRIMARY KEY NOT NULL,
    Series_Id TEXT NOT NULL REFERENCES S_NoSeries(Id) ON DELETE CASCADE,
    BusinessGroup_Id TEXT NOT NULL,
    Prefix TEXT DEFAULT '',
    LastNo INTEGER NOT NULL DEFAULT 0,
    EndingNo INTEGER);
CREATE UNIQUE INDEX IX_S_NoSeriesLine ON S_NoSeriesLine (Series_Id, BusinessGroup_Id);

CREATE TABLE S_PrintDocuments (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    SaleOrPurchase INTEGER NOT NULL DEFAULT 1,
    SubDoc_Id TEXT NOT NULL,
    PF_Id TEXT NOT NULL,
    Form_id INTEGER,
    Copies INTEGER DEFAULT 1,
    PF_Type INTEGER DEFAULT 0,
    Doc_Type INTEGER DEFAULT 0);

CREATE TABLE S_CopyDocTemplateHeader (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    SrcForm_Id INTEGER NOT NULL,
    TrgForm_Id INTEGER NOT NULL,
    Name TEXT);

CREATE TABLE S_CopyDocTemplateLine (
    Id TEXT PRIMARY KEY NOT NULL,
    Master_Id TEXT NOT NULL REFERENCES S_CopyDocTemplateHeader(Id) ON DELETE CASCADE,
    IsLine INTEGER DEFAULT 0,
    SrcField TEXT,
    TrgField TEXT NOT NULL,
    DefaultValue TEXT);

CREATE TABLE S_Messages (
    Id TEXT PRIMARY KEY NOT NULL,
    Text TEXT NOT NULL);

CREATE TABLE S_ErrorLog (
    Id INTEGER PRIMARY KEY AUTOINCREMENT,
    C_Datetime DATETIME NOT NULL,
    User_Id TEXT,
    Operation TEXT,
    Message TEXT);

CREATE TABLE S_DocumentHistory (
    Id INTEGER PRIMARY KEY AUTOINCREMENT,
    Comp_Id TEXT,
    Document_Id TEXT NOT NULL,
    DocumentType INTEGER,
    Action TEXT NOT NULL,
    User_Id TEXT,
    BusinessGroup_Id TEXT,
    C_Datetime DATETIME NOT NULL,
    Snapshot TEXT);
CREATE INDEX IX_S_DocumentHistory ON S_DocumentHistory (Document_Id);
)";

std::string DetailTablesSql() {
    std::string sql;
    for (const char* table : {"D_PurchaseLineDetail", "D_PurchaseBufLineDetail", "D_PostPurchOrderLineDetail"}) {
        sql += "CREATE TABLE " + std::string(table) + " (" + kLineDetailColumns + ");\n";
        sql += "CREATE INDEX IX_" + std::string(table) + " ON " + table + " (Master_Id, MasterLine_Id);\n";
    }
    return sql;
}

// Lists read headers newest first, a packet at a time; the form catalogue names the class
// of every form number.
std::string ListsAndFormCatalogueSql() {
    std::string sql = "CREATE TABLE S_FormCatalogue (FormNumber INTEGER PRIMARY KEY NOT NULL, ClassName TEXT NOT NULL, "
                      "Caption TEXT NOT NULL, Package INTEGER NOT NULL DEFAULT 0);\n";
    for (const TDocumentTables& t : DocumentTables())
        sql += "CREATE INDEX IX_" + std::string(t.Header) + "_Date ON " + t.Header +
               " (Comp_Id, DocumentDate, DocumentNo, Id);\n";
    return sql;
}

// The draft's own number stays on the document posted from it, beside the posted number.
std::string PreAssignedNumbersSql() {
    std::string sql;
    for (const TDocumentTables& t : DocumentTables())
        if (t.Posted) sql += "ALTER TABLE " + std::string(t.Header) + " ADD COLUMN PreAssignedNo TEXT;\n";
    return sql;
}

// A right a form grants beyond opening it, per user: EditProps lets the user change a
// document's properties, such as re-opening a closed order.
std::string FormRightsAndOrderConfirmationSql() {
    return R"(
CREATE TABLE S_UserFormRight (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    User_Id TEXT NOT NULL,
    Form_Id INTEGER NOT NULL,
    EditProps INTEGER DEFAULT 0,
    UNIQUE (Comp_Id, User_Id, Form_Id));
-- The fields a vendor's order confirmation is read into; it holds no rows.
CREATE TABLE D_PurchOrderConfirmRow (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT,
    VendorItemNo TEXT,
    Quantity REAL DEFAULT 0,
    UnitPrice REAL DEFAULT 0,
    LineDiscount REAL DEFAULT 0);
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_PurchOrderClosed', 'Поръчката е затворена и не може да бъде променяна. Отворете я повторно.'),
    ('err_ReopenOrderRightNotAllowed', 'Нямате право да отваряте повторно затворени поръчки.'),
    ('err_PostPurchCrMemoOption', 'Изберете вид на кредитното известие: връщане на стока или намаление на цената.')
ON CONFLICT (Id) DO NOTHING;
)";
}


// Users sign in with a login of their company; the password is kept only as an Argon2id
// hash. Rights are per role and form, Form_Id 0 standing for every form without a row of
// its own. A company from before gets the role "admin" and its user ADMIN, who signs in
// once tavrek-admin has given him a password.
std::string UsersAndRolesSql() {
    return R"(
CREATE TABLE S_User (
    Id TEXT NOT NULL,
    Comp_Id TEXT NOT NULL,
    Login TEXT NOT NULL,
    Name TEXT,
    PasswordHash TEXT,
    Active INTEGER DEFAULT 1,
    BusinessGroup_Id TEXT,
    PRIMARY KEY (Comp_Id, Id),
    UNIQUE (Comp_Id, Login));
CREATE TABLE S_Role (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Name TEXT NOT NULL,
    UNIQUE (Comp_Id, Name));
CREATE TABLE S_UserRole (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    User_Id TEXT NOT NULL,
    Role_Id TEXT NOT NULL,
    UNIQUE (Comp_Id, User_Id, Role_Id));
CREATE TABLE S_RoleFormRight (
    Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Role_Id TEXT NOT NULL,
    Form_Id INTEGER NOT NULL,
    AllowOpen INTEGER DEFAULT 0,
    AllowInsert INTEGER DEFAULT 0,
    AllowEdit INTEGER DEFAULT 0,
    AllowDelete INTEGER DEFAULT 0,
    AllowPost INTEGER DEFAULT 0,
    AllowPrint INTEGER DEFAULT 0,
    AllowAnnul INTEGER DEFAULT 0,
    EditProps INTEGER DEFAULT 0,
    AllowSetup INTEGER DEFAULT 0,
    UNIQUE (Role_Id, Form_Id));
INSERT INTO S_Role (Id, Comp_Id, Name) SELECT Id || '/admin', Id, 'admin' FROM C_CompanySetup;
INSERT INTO S_RoleFormRight (Id, Comp_Id, Role_Id, Form_Id, AllowOpen, AllowInsert, AllowEdit, AllowDelete,
    AllowPost, AllowPrint, AllowAnnul, EditProps, AllowSetup)
    SELECT Id || '/admin/0', Id, Id || '/admin', 0, 1, 1, 1, 1, 1, 1, 1, 1, 1 FROM C_CompanySetup;
INSERT INTO S_User (Comp_Id, Id, Login, Name, Active) SELECT Id, 'ADMIN', 'admin', 'Администратор', 1 FROM C_CompanySetup;
INSERT INTO S_UserRole (Id, Comp_Id, User_Id, Role_Id) SELECT Id || '/ADMIN/admin', Id, 'ADMIN', Id || '/admin'
    FROM C_CompanySetup;
)";
}

std::string SessionMessagesSql() {
    return R"(
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_LoginFailed', 'Грешно потребителско име или парола, или потребителят е заключен.'),
    ('err_RightNotGranted', 'Нямате право на %s. Обърнете се към администратора на системата.'),
    ('err_OtherCompany', 'Заявката назовава друга фирма. Работите само с данните на фирмата, в която сте влезли.'),
    ('err_NotSignedIn', 'Не сте влезли в системата.')
ON CONFLICT (Id) DO NOTHING;
)";
}

// Columns only the server writes, documents the goods check holds, and orders posted
// documents stand on refuse a client's change by these keys.
std::string ServerMaintainedColumnsSql() {
    return R"(INSERT INTO S_Messages (Id, Text) VALUES
    ('err_FieldMaintainedByServer', 'Полето %s се попълва само от сървъра и не може да бъде записано от клиента.'),
    ('err_DocumentInGoodsCheck', 'Документът е изпратен за проверка на стоката и не може да бъде променян, докато проверката не приключи.'),
    ('err_DocumentHasPostedFollowUps', 'По поръчката има осчетоводени документи (получено, фактурирано, върнато или рекламирано количество). Тя и редовете ѝ не могат да бъдат изтривани.')
ON CONFLICT (Id) DO NOTHING;
)";
}

// The dates between which the company posts purchases; either end may stay open.
std::string PostingPeriodSql() {
    return R"(ALTER TABLE C_PurchasesSetup ADD COLUMN AllowPostingFrom DATETIME;
ALTER TABLE C_PurchasesSetup ADD COLUMN AllowPostingTo DATETIME;
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_PostingDateNotAllowed', 'Датата %s е извън периода, в който е разрешено осчетоводяване (настройки на покупките).')
ON CONFLICT (Id) DO NOTHING;
)";
}

// A posted number is taken once per company and kind of document (its type and subtype, each
// numbered by its own series); series codes are the company's own.
std::string UniqueNumbersSql() {
    std::string sql = "CREATE UNIQUE INDEX UX_S_NoSeries_Code ON S_NoSeries (Comp_Id, Code);\n";
    for (const TDocumentTables& t : DocumentTables())
        if (t.Posted)
            sql += "CREATE UNIQUE INDEX UX_" + std::string(t.Header) + "_No ON " + t.Header +
                   " (Comp_Id, DocumentType, DocSubType_Id, DocumentNo)"
                   " WHERE DocumentNo IS NOT NULL AND DocumentNo <> '';\n";
    return sql;
}

// Who changed, posted, annulled or deleted what and when; only the server writes it.
std::string AuditTrailSql() {
    return R"(CREATE TABLE S_AuditTrail (
    Id INTEGER PRIMARY KEY AUTOINCREMENT,
    Comp_Id TEXT NOT NULL,
    C_Datetime DATETIME NOT NULL,
    User_Id TEXT,
    Action TEXT NOT NULL,
    TableName TEXT,
    Document_Id TEXT,
    Record_Id TEXT,
    FieldName TEXT,
    OldValue TEXT,
    NewValue TEXT);
CREATE INDEX IX_S_AuditTrail_Document ON S_AuditTrail (Comp_Id, Document_Id);
CREATE INDEX IX_S_AuditTrail_Date ON S_AuditTrail (Comp_Id, C_Datetime);
)";
}

// A posting refuses a document whose stored amounts are not the ones the server computes.
std::string ServerAmountsSql() {
    return R"(INSERT INTO S_Messages (Id, Text) VALUES
    ('err_AmountsDifferFromServer', 'Сумите (%s) се различават от изчислените от сървъра по цена, количество, отстъпки и ДДС. Преизчислете документа и го запишете отново.')
ON CONFLICT (Id) DO NOTHING;
)";
}

// Transactions of a company without a transaction series are counted in a row of its own, which
// starts from the last number the company used anywhere.
std::string TransactionCounterSql() {
    std::string used = "SELECT MAX(TransactionNo) AS n FROM D_VendorPayment WHERE Comp_Id = c.Id UNION ALL "
                       "SELECT MAX(AnnulTransactionNo) FROM D_VendorPayment WHERE Comp_Id = c.Id";
    for (const char* ledger : {"G_LEntry", "G_ItemEntry", "G_VATEntry", "G_ContragentEntry"})
        used += std::string(" UNION ALL SELECT MAX(TransactionNo) FROM ") + ledger + " WHERE Comp_Id = c.Id";
    for (const TDocumentTables& t : DocumentTables())
        if (t.Posted)
            used += std::string(" UNION ALL SELECT MAX(TransactionNo) FROM ") + t.Header + " WHERE Comp_Id = c.Id";
    return "CREATE TABLE S_TransactionCounter (Comp_Id TEXT PRIMARY KEY, LastNo BIGINT NOT NULL);\n"
           "INSERT INTO S_TransactionCounter (Comp_Id, LastNo) SELECT c.Id, (SELECT COALESCE(MAX(n), 0) FROM (" +
           used + ") AS used) FROM C_CompanySetup c;\n";
}

}  // namespace

std::string HeaderViewsSql() {
    std::string sql;
    for (const TDocumentTables& t : DocumentTables())
        sql += "DROP VIEW IF EXISTS V_" + std::string(t.Header) + ";\n" +
               HeaderViewSql(t.Header, std::string(t.Header) == "D_PurchHeader" ? OrderApprovalViewColumns() : "");
    return sql;
}

// The analysis sums whole periods of posted lines: the index holds every column it reads, so
// the lines of a document are read from it alone. Run again over a schema that has it (an
// upgrade taken back), it leaves the index as it is.
std::string PurchAnalysisSql() {
    std::string sql =
        "CREATE INDEX IF NOT EXISTS IX_D_PurchInvoiceLine_Analysis ON D_PurchInvoiceLine (Master_Id, Type, Code, Quantity, "
        "Quantity_Base, TotalValue_LCY);\n"
        "CREATE INDEX IF NOT EXISTS IX_D_PurchCrMemoLine_Analysis ON D_PurchCrMemoLine (Master_Id, Type, Code, Quantity, "
        "Quantity_Base, TotalValue_LCY);\n";
    const std::pair<const char*, const char*> messages[] = {
        {"err_AnalysisPeriod", "Периодът на анализа е невалиден: крайната дата е преди началната или периодът е над 20 години."},
        {"err_AnalysisView", "Няма такъв изглед на анализа на покупките."},
        {"msg_AnalysisNoItem", "Изберете артикул, за да видите ценовата му история."},
        {"msg_ExportedToExcel", "Записани са %s реда в %s."},
        {"err_ExportToExcel", "Файлът %s не може да бъде записан: %s"},
        {"err_NothingToExport", "Формата няма таблица за експорт."}};
    for (const auto& [key, text] : messages)
        sql += "INSERT INTO S_Messages (Id, Text) VALUES ('" + std::string(key) + "', '" + text +
               "') ON CONFLICT (Id) DO NOTHING;\n";
    return sql;
}

// The network server's sessions, by a hash of their token, and what its clients are told
// when the server is busy, a session ended or a call's outcome cannot be known.
std::string NetworkSessionsSql() {
    return R"(CREATE TABLE S_NetSession (
    TokenHash TEXT PRIMARY KEY,
    Comp_Id TEXT NOT NULL,
    BusinessGroup_Id TEXT,
    User_Id TEXT NOT NULL,
    Login TEXT NOT NULL,
    Started DOUBLE PRECISION NOT NULL,
    Expires DOUBLE PRECISION NOT NULL);
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_SessionExpired', 'Сесията ви приключи (изтекло време без работа или изход). Влезте отново.'),
    ('err_ServerBusy', 'Сървърът на приложението е зает с много заявки в момента. Нищо не е записано; опитайте отново след малко.'),
    ('err_CallOutcomeUnknown', 'Връзката със сървъра на приложението прекъсна, докато действието се записваше. Не е известно дали е записано: проверете документа, преди да го повторите.')
ON CONFLICT (Id) DO NOTHING;
)";
}

const std::vector<TMigration>& Migrations() {
    static const std::vector<TMigration> migrations = {
        {1, "Master data, setup, series, messages, purchase documents",
         kMasterData + DocumentTablesSql() + DetailTablesSql()},
        {2, "Vendor ledger, VAT entries and posting messages", PostingSchemaSql()},
        {3, "General ledger, item ledger, posting setups and their views", LedgerSchemaSql()},
        {4, "Item cross-references of vendors and standard numbers", kItemCrossReferenceSql},
        {5, "Form catalogue; document headers by date", ListsAndFormCatalogueSql()},
        {6, "Selectors and nomenclature of the forms other packages open", OtherPackagesSchemaSql()},
        {7, "Receipts not invoiced; order lines of buffers and receipts; order posting messages",
         OrderPostingSchemaSql()},
        {8, "Vendor payments numbered by a series, in the document's currency, annulled", VendorPaymentUpgradeSql()},
        {9, "Stock checks of posted receipts", GoodsCheckSchemaSql()},
        {10, "Source lines of consolidated documents not posted yet; order lines to select",
         SourceLinesInGlobalDocumentsSql() + OrderLineSelectionSql()},
        {11, "Order buffer headers shown with their operation and order", OrderBufferViewSql()},
        {12, "Posted lines found by their item, as the last purchase price is",
         "CREATE INDEX IX_D_PurchInvoiceLine_Code ON D_PurchInvoiceLine (Code);\n"},
        {13, "Accounts propose the posting groups of a purchase line booked on them",
         "ALTER TABLE G_LAccount ADD COLUMN GenProdPostGroup_Id TEXT;\n"
         "ALTER TABLE G_LAccount ADD COLUMN VATProdPostGroup_Id TEXT;\n"},
        {14, "Ledger indexes of dimensions and applied entries keep only the rows that have one",
         SparseLedgerIndexesSql()},
        {15, "Order lines keep what was received; returns are read off it", KeptReceiptsSql()},
        {16, "Order lines a vendor's document is placed on", OrderLinesToPlaceSql()},
        {17, "Posted receipts are annulled", ReceiptAnnulmentSchemaSql()},
        {18, "Posted returns and rejections are annulled", OrderDocumentAnnulmentSchemaSql()},
        // A company from before has no series for its buffers: they stay unnumbered until
        // one is chosen.
        {19, "Order buffers are numbered from a series of the purchases setup",
         "ALTER TABLE C_PurchasesSetup ADD COLUMN PurchOrderBuf_Series_Id TEXT;\n"},
        // Open credit memos were ticked in NotIncludeVatLedger, which their VAT entries never read.
        {20, "Open credit memos keep their VAT ledger flag where their posting reads it",
         "UPDATE D_PurchHeader SET DoNotIncInVATLedger = 1 WHERE DocumentType IN (11, 32) AND "
         "NotIncludeVatLedger = 1;\n"},
        {21, "Posted documents keep the number their draft had", PreAssignedNumbersSql()},
        {22, "The purchases setup names posting accounts of the chart",
         "INSERT INTO S_Messages (Id, Text) VALUES ('err_AccountNotInChart', "
         "'Сметка %s няма в сметкоплана на фирмата или е сборна. Изберете сметка от списъка с F2.') "
         "ON CONFLICT (Id) DO NOTHING;\n"},
        {23, "Form rights of users; the import definition of an order confirmation; closed orders",
         FormRightsAndOrderConfirmationSql()},
        {24, "Completed orders are kept as posted orders", PostedOrdersSchemaSql()},
        {25, "Users of a company with their password hashes, roles and rights per form", UsersAndRolesSql()},
        {26, "Messages of signing in and of refused rights", SessionMessagesSql()},
        {27, "Columns only the server writes and documents the goods check holds", ServerMaintainedColumnsSql()},
        {28, "The purchases setup bounds the posting dates", PostingPeriodSql()},
        {29, "Posted numbers and series codes are unique per company", UniqueNumbersSql()},
        {30, "The audit trail of changes, postings, annulments and deletions", AuditTrailSql()},
        {31, "Global documents keep the transaction number drawn when first saved", GlobalTransactionNoSql()},
        {32, "Source lines of posted global documents, one global document each", GlobalSourceLinesSql()},
        {33, "Messages of global document postings", GlobalDocumentMessagesSql()},
        {34, "Global document lines keep the fields their editors compute", GlobalLineFieldsSql() + HeaderViewSql("D_GlobalPurchHeader")},
        {35, "Source lines are offered to global documents at their document-currency price", SourceLinePricesSql()},
        {36, "Postings refuse amounts the server computes otherwise", ServerAmountsSql()},
        {37, "Transactions of a company without a transaction series are counted per company",
         TransactionCounterSql()},
        {38, "Minimum stock and order multiple of items; vendors' least order and lead days", ItemReplenishmentSql()},
        {39, "Sale orders with lines, due dates, store and business group", SaleOrdersSql()},
        {40, "Suggestion rows of the replenishment worksheets and saved suggestions", PurchOrderSuggestionSql()},
        {41, "Saved suggestions show the names of their vendor and producer; suggestion rows keep their order",
         SuggestionNamesSql()},
        {42, "Sales leave stock at cost; the server's checks of sale orders", SaleShipmentSql()},
        {50, "Import documents of vendors' deliveries, their distribution to order lines and its messages",
         OrderImportSchemaSql()},
        {60, "Sessions of the network server and the messages of its clients", NetworkSessionsSql()},
        {70, "The VAT purchase ledger reads the period's VAT entries; its reasons for leaving a document out",
         VATLedgerSchemaSql()},
        {71, "Orders above an amount wait for a user with the right to approve them",
         OrderApprovalSql()},
        {80, "The purchase analysis reads posted lines by index; its messages and the Excel export's",
         PurchAnalysisSql()},
    };
    return migrations;
}

int LatestSchemaVersion() { return Migrations().back().Version; }

const TSpellings& MigrationSpellings() {
    static const TSpellings spellings = [] {
        static const std::regex identifier(R"([A-Za-z_][A-Za-z0-9_]*)");
        TSpellings found;
        for (const TMigration& migration : Migrations())
            for (auto it = std::sregex_iterator(migration.Sql.begin(), migration.Sql.end(), identifier);
                 it != std::sregex_iterator(); ++it)
            {
                // A word of a comment may come first; a spelling with capitals wins.
                const auto [known, added] = found.emplace(ToLowerAscii(it->str()), it->str());
                if (!added && known->second == known->first) known->second = it->str();
            }
        return found;
    }();
    return spellings;
}

}  // namespace tavrek::server
