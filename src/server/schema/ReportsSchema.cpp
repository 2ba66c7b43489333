#include "server/schema/ReportsSchema.h"

namespace tavrek::server {

std::string VATLedgerSchemaSql() {
    return R"(CREATE INDEX IX_G_VATEntry_Period ON G_VATEntry (Comp_Id, PostingDate);
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_VATLedgerNoVendorNumber', 'Доставчикът няма ДДС номер или ЕИК.'),
    ('err_VATLedgerNumberNotTenDigits', 'Номерът на документа не е от точно 10 цифри.'),
    ('err_VATLedgerNoDocumentNo', 'Документът няма номер.'),
    ('err_VATLedgerDateAfterPeriod', 'Датата на документа е след данъчния период.'),
    ('err_VATLedgerDateTooOld', 'Документът е издаден повече от 12 данъчни периода преди този.'),
    ('err_VATLedgerPeriod', 'Данъчният период трябва да е във вида ггггмм, например 202511.'),
    ('err_VATLedgerProRata', 'Коефициентът в клетка 33 трябва да е между 0,00 и 1,00.'),
    ('err_VATLedgerFolder', 'Файловете не могат да бъдат записани в папка %s.'),
    ('err_VATLedgerNotComputed', 'Данните за периода не са прочетени.'),
    ('que_VATLedgerLeaveOut', 'Документи, които не могат да влязат в дневника: %s. Да се запишат файловете без тях?'),
    ('msg_VATLedgerComputed', 'Дневник за покупките за %s: документи %s.'),
    ('msg_VATLedgerProblems', 'Документи, които не могат да влязат в дневника: %s (вижте „Документи с проблеми“).'),
    ('msg_VATLedgerWritten', 'Записани са POKUPKI.TXT и DEKLAR.TXT в %s.'),
    ('msg_VATLedgerNotWritten', 'Файловете не са записани.')
ON CONFLICT (Id) DO NOTHING;
)";
}

std::string OrderApprovalSql() {
    return R"(ALTER TABLE C_PurchasesSetup ADD COLUMN OrderApprovalAmount REAL DEFAULT 0;
ALTER TABLE S_RoleFormRight ADD COLUMN AllowApprove INTEGER DEFAULT 0;
UPDATE S_RoleFormRight SET AllowApprove = 1 WHERE AllowSetup = 1;
-- Kept beside the order, whose columns every posting copies into its posted documents.
CREATE TABLE D_PurchOrderApproval (
    Order_Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    ApprovedBy_Id TEXT NOT NULL,
    ApprovedAt DATETIME NOT NULL);
INSERT INTO S_Messages (Id, Text) VALUES
    ('err_PurchOrderNotApproved', 'Поръчка %s е над сумата за одобрение и още не е одобрена.'),
    ('err_PurchOrderApprovalNotNeeded', 'Поръчката не е над сумата за одобрение и не се одобрява.'),
    ('err_PurchOrderAlreadyApproved', 'Поръчката вече е одобрена.'),
    ('err_PurchOrderToApproveNotFound', 'Поръчката не е намерена или не е записана.'),
    ('que_PurchOrderApprove', 'Да се одобри ли поръчка %s?'),
    ('msg_PurchOrderApproved', 'Поръчка %s е одобрена.')
ON CONFLICT (Id) DO NOTHING;
)";
}

std::string OrderApprovalViewColumns() {
    const std::string approval = "(SELECT %s FROM D_PurchOrderApproval a WHERE a.Order_Id = h.Id)";
    const auto of = [&approval](const char* column) {
        std::string text = approval;
        return text.replace(text.find("%s"), 2, column);
    };
    return of("a.ApprovedBy_Id") + " AS ApprovedBy_Id, " + of("a.ApprovedAt") + " AS ApprovedAt, " +
           of("(SELECT u.Name FROM S_User u WHERE u.Comp_Id = a.Comp_Id AND u.Id = a.ApprovedBy_Id)") +
           " AS ApprovedBy_Name, CASE WHEN h.DocumentType = 22 AND NOT EXISTS (SELECT 1 FROM D_PurchOrderApproval a "
           "WHERE a.Order_Id = h.Id) AND COALESCE((SELECT p.OrderApprovalAmount FROM "
           "C_PurchasesSetup p WHERE p.Id = h.Comp_Id), 0) > 0 AND (SELECT COALESCE(SUM(l.TotalValue_LCY), 0) FROM "
           "D_PurchaseLine l WHERE l.Master_Id = h.Id) > (SELECT p.OrderApprovalAmount FROM C_PurchasesSetup p WHERE "
           "p.Id = h.Comp_Id) THEN 1 ELSE 0 END AS AwaitsApproval, ";
}

}  // namespace tavrek::server
