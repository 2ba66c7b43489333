#include "server/posting/VendorItemProcedures.h"

#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TProcedureRegistry.h"
#include "server/procedures/ProcedureArgs.h"

namespace tavrek::server {

// CrossRefType 1: a vendor's item number (Contragent_Id the vendor); 2: a standard number
// such as a GTIN (Contragent_Id empty).
const char* const kItemCrossReferenceSql = R"(
CREATE TABLE N_ItemCrossReference (
    Id VARCHAR(40) PRIMARY KEY NOT NULL,
    Comp_Id VARCHAR(40) NOT NULL,
    Contragent_Id VARCHAR(40) NOT NULL DEFAULT '',
    CrossRefType INTEGER NOT NULL,
    CrossRefNo VARCHAR(200) NOT NULL,
    Item_Id VARCHAR(40) NOT NULL REFERENCES N_Item(Id));
CREATE UNIQUE INDEX IX_N_ItemCrossReference ON N_ItemCrossReference (Comp_Id, CrossRefType, Contragent_Id, CrossRefNo);
)";

namespace {

constexpr int64_t kVendorNumber = 1, kStandardNumber = 2;

const char* const kItemColumns =
    "SELECT i.Id AS Item_Id, i.Code, i.Name, COALESCE(i.PurchMeasure_Id, i.BaseMeasure_Id) AS Measure_Id, "
    "i.VATProdPostGroup_Id, i.GenProdPostGroup_Id FROM N_Item i WHERE i.Comp_Id = ? AND i.Id = ";

// Arguments: the vendor's key of the line, company, our own item number when the vendor
// states it, four unused texts, two flags, the vendor's code. What a user mapped comes
// first, then the vendor's price list, then our number, then the vendor's key as our code.
TRequestResult GetItemFromAPI(TServerContext& ctx, const TVariantArray& args) {
    const std::string key = Arg(args, 0), company = Arg(args, 1), ours = Arg(args, 2), vendor = Arg(args, 9);
    return SelectRows(
        ctx.Db,
        std::string(kItemColumns) +
            "COALESCE((SELECT r.Item_Id FROM N_ItemCrossReference r JOIN N_Contragent c ON c.Id = r.Contragent_Id "
            "WHERE r.Comp_Id = ? AND c.Code = ? AND r.CrossRefType = ? AND r.CrossRefNo = ?), "
            "(SELECT p.Item_Id FROM N_VendorPrice p JOIN N_Contragent c ON c.Id = p.Contragent_Id "
            "WHERE p.Comp_Id = ? AND c.Code = ? AND p.VendorItemNo = ? LIMIT 1), "
            "(SELECT Id FROM N_Item WHERE Comp_Id = ? AND Code = ?), (SELECT Id FROM N_Item WHERE Comp_Id = ? AND Code = ?))",
        {company, company, vendor, kVendorNumber, key, company, vendor, key, company, ours, company, key});
}

// Arguments: the standard number, company.
TRequestResult GetItemByStandardNo(TServerContext& ctx, const TVariantArray& args) {
    const std::string number = Arg(args, 0), company = Arg(args, 1);
    return SelectRows(ctx.Db,
                      std::string(kItemColumns) +
                          "(SELECT Item_Id FROM N_ItemCrossReference WHERE Comp_Id = ? AND CrossRefType = ? AND "
                          "Contragent_Id = '' AND CrossRefNo = ?)",
                      {company, company, kStandardNumber, number});
}

// Arguments: company, the vendor's code, the vendor's key of the line, our item Id.
// Result "0", or "-1" with the reason.
TRequestResult SaveItemFromAPI(TServerContext& ctx, const TVariantArray& args) {
    const std::string company = Arg(args, 0), vendorCode = Arg(args, 1), key = Arg(args, 2), item = Arg(args, 3);
    const TRequestResult vendor =
        SelectRows(ctx.Db, "SELECT Id FROM N_Contragent WHERE Comp_Id = ? AND Code = ?", {company, vendorCode});
    const TRequestResult found = SelectRows(ctx.Db, "SELECT Id FROM N_Item WHERE Comp_Id = ? AND Id = ?", {company, item});
    if (vendor.Empty() || found.Empty() || key.empty())
        return Answer({"Result", "ErrMsg"}, {"-1", "Няма такъв доставчик или артикул"});
    const Variant vendorId = vendor.Value();
    ExecuteBound(ctx.Db,
                 "DELETE FROM N_ItemCrossReference WHERE Comp_Id = ? AND CrossRefType = ? AND Contragent_Id = ? AND "
                 "CrossRefNo = ?",
                 {company, kVendorNumber, vendorId, key});
    ExecuteBound(ctx.Db,
                 "INSERT INTO N_ItemCrossReference (Id, Comp_Id, Contragent_Id, CrossRefType, CrossRefNo, Item_Id) "
                 "VALUES (?, ?, ?, ?, ?, ?)",
                 {CreateUniqueID(), company, vendorId, kVendorNumber, key, item});
    return Answer({"Result", "ErrMsg"}, {"0", ""});
}

}  // namespace

void RegisterVendorItemProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_GetItemFromAPI", GetItemFromAPI);
    registry.Register(TProcedureKind::pkProcedure, "usp_GetItemByStandardNo", GetItemByStandardNo);
    registry.Register(TProcedureKind::pkProcedure, "usp_SaveItemFromAPI", SaveItemFromAPI);
}

}  // namespace tavrek::server
