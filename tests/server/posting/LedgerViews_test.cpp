// The ledger views as the forms read them, through the server's value requests and filters.
#include <gtest/gtest.h>

#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// A posted invoice of the demo company: ten yoghurts into Sofia's store and a service.
class LedgerViewsTest : public SqliteFixture {
protected:
    LedgerViewsTest() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
             "VALUES ('B1', 'DEMO', 1, 'SD-520', 'V03', '9001', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('B1', 'B1-1', 'DEMO', 1, 1, '1008', 10, 1, 9.50, 20, 'DOM', 'VAT20'), "
             "('B1', 'B1-2', 'DEMO', 2, 2, '602', 1, 1, 35.00, 9, 'DOM', 'VAT9')");
        TVariantArray keys;
        EXPECT_EQ(Server().PostPurchase("B1", keys), 0) << Server().LastRefusalText();
    }

    Variant Read(const std::string& source, const std::string& field, const TFilter& filter) {
        TRequestResult result;
        EXPECT_EQ(Server().RequestValue(0, source, field, filter, result), 1) << source;
        return result.Value();
    }
};

TEST_F(LedgerViewsTest, TheFormsFindThePostedEntriesByTheirFilters) {
    const struct {
        const char* Source;
        const char* Field;
        TFilter Filter;
        double Expected;
    } cases[] = {
        {"dv_ItemEntry", "Quantity",
         TFilter().Add("dv_ItemEntry.Item_Id", "=", "I008", "AND").Add("dv_ItemEntry.Comp_Id", "=", "DEMO", "AND")
             .Add("dv_ItemEntry.BusinessGroup_Id", "=", "BG-SOF"), 10},
        {"dv_ItemEntry", "UnitCost", TFilter().Add("dv_ItemEntry.Item_Id", "=", "I008"), 0.95},
        {"G_LItemEntry_0", "Quantity",
         TFilter().Add("G_LItemEntry_0.fItem_Id", "=", "I008", "AND").Add("G_LItemEntry_0.fComp_Id", "=", "DEMO", "AND")
             .Add("G_LItemEntry_0.SLevel", "=", 0), 10},
        {"dv_ContragentEntry", "Remaining",
         TFilter().Add("dv_ContragentEntry.Contragent_ID", "=", "V03", "AND")
             .Add("dv_ContragentEntry.Gen_PostingType", "=", 0, "AND").Add("dv_ContragentEntry.Opened", "=", 1), -49.55},
        {"G_LEntry", "Amount", TFilter().Add("G_LEntry.Account_Id", "=", "602"), 35.00},
        {"G_LAccountDimension", "sAmount",
         TFilter().Add("G_LAccountDimension.ReferenceType", "=", 0, "AND")
             .Add("G_LAccountDimension.Reference_Id", "=", "V01", "AND")
             .Add("G_LAccountDimension.Account_Id", "=", "4091"), 200.00},
    };
    for (const auto& c : cases) EXPECT_NEAR(Read(c.Source, c.Field, c.Filter).AsFloat(), c.Expected, 0.001) << c.Source;
}

TEST_F(LedgerViewsTest, AnAdvanceTakenOnAnInvoiceLeavesItsRestOpen) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
         "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
         "VALUES ('B2', 'DEMO', 1, 'SD-520', 'V01', '9002', 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
         "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, AccountDimension_Id) VALUES "
         "('B2', 'B2-1', 'DEMO', 1, 1, '1001', 100, 1, 105.00, 20, 'DOM', 'VAT20', NULL), "
         "('B2', 'B2-2', 'DEMO', 2, 2, '4091', 1, 1, -100.00, 20, 'DOM', 'VAT20', 'ADV-V01-1')");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase("B2", keys), 0) << Server().LastRefusalText();
    const TFilter advances = TFilter().Add("G_LAccountDimension.Reference_Id", "=", "V01");
    EXPECT_NEAR(Read("G_LAccountDimension", "sAmount", advances).AsFloat(), 100.00, 0.001);
    EXPECT_NEAR(Value("SELECT Remaining FROM G_ContragentEntry WHERE Contragent_Id = 'V01'").AsFloat(), -6.00, 0.001)
        << "(105.00 - 100.00) x 1.20 is left to pay";
}

}  // namespace
}  // namespace tavrek::testing
