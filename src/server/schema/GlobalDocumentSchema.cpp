#include "server/schema/GlobalDocumentSchema.h"

namespace tavrek::server {

std::string GlobalTransactionNoSql() { return "ALTER TABLE D_GlobalPurchHeader ADD COLUMN TransactionNo INTEGER;\n"; }

std::string GlobalSourceLinesSql() {
    return R"(CREATE TABLE D_GlobalSourceLine (
    SrcLine_Id TEXT PRIMARY KEY NOT NULL,
    Comp_Id TEXT NOT NULL,
    Document_Id TEXT NOT NULL,
    Line_Id TEXT NOT NULL,
    SourceDocument_Id TEXT NOT NULL);
CREATE INDEX IX_D_GlobalSourceLine_Document ON D_GlobalSourceLine (Document_Id);
CREATE INDEX IX_D_GlobalSourceLine_Source ON D_GlobalSourceLine (SourceDocument_Id);
)";
}

std::string GlobalDocumentMessagesSql() {
    return R"(INSERT INTO S_Messages (Id, Text) VALUES
 ('err_GlobalDocNotFound', 'Глобалният документ не е намерен или вече е осчетоводен.'),
 ('err_GlobalDocNoSources', 'Изберете документите, които глобалният документ обединява.'),
 ('err_GlobalDocNoVendorNo', 'Въведете номера на документа на доставчика.'),
 ('err_GlobalDocSourceNotAllowed', 'Ред %s не е от осчетоводен документ на доставчика, изключен от дневника по ДДС, неанулиран и невключен в друг глобален документ.'),
 ('err_GlobalDocLineTaken', 'Ред %s вече участва в друг глобален документ или е избран два пъти.'),
 ('err_GlobalDocTransactionUsed', 'Номерът на транзакция на глобалния документ вече е използван.'),
 ('err_GlobalDocPosted', 'Осчетоводеният глобален документ не може да бъде изтрит; може само да бъде анулиран.'),
 ('err_GlobalDocWrongKind', 'Документът не е от този вид глобален документ.'),
 ('err_GlobalDocRecalcKind', 'Преизчисляването не е за този вид глобален документ.')
ON CONFLICT (Id) DO NOTHING;
)";
}

}  // namespace tavrek::server
