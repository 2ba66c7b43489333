// An order worth more than the purchases setup's amount is not received or invoiced until a
// user with the right approves it; changing what was ordered takes the approval back, and a
// change of what the buffer hands over does not.
#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "server/demo/TDemoCompany.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class OrderApprovalTest : public SqliteFixture {
protected:
    // Order O1 of 48.70 (ten yoghurts, four kilograms of cheese) above an amount of 40, and
    // its buffer B1 receiving three yoghurts.
    OrderApprovalTest() {
        Exec("UPDATE C_PurchasesSetup SET OrderApprovalAmount = 40");
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES "
             "('O1', 'DEMO', 22, 'SD-510', 'ORD-1', 'V03', 46340, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "Quantity_Base, DirectUnitCost_ACY, TotalValue, TotalValue_LCY, VATPercent, VATBusPostGroup_Id, "
             "VATProdPostGroup_Id) VALUES "
             "('O1', 'DEMO', 'O1-1', 1, 1, '1008', 10, 1, 10, 0.95, 9.5, 9.5, 20, 'DOM', 'VAT20'), "
             "('O1', 'DEMO', 'O1-2', 2, 1, '1010', 4, 1, 4, 9.8, 39.2, 39.2, 20, 'DOM', 'VAT20')");
        Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id, "
             "AppliesToDoc_Id) VALUES ('B1', 'DEMO', 23, 'SD-580', 'V03', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 'O1')");
        Exec("INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
             "QtyPerUnitOfMeasure, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, "
             "VATProdPostGroup_Id, GenProdPostGroup_Id, OrderLine_Id) VALUES ('B1', 'B1-1', 'DEMO', 1, 1, '1008', 3, 1, "
             "0.95, 2.85, 20, 'DOM', 'VAT20', 'GOODS', 'O1-1')");
    }

    std::string Approve() {
        const TRequestResult answer = Server().ExecuteStoredProcedure("usp_ApprovePurchOrder", {"DEMO", "O1"});
        if (answer.Empty()) return Server().LastRefusalText();
        return answer.ByName("Result").AsInteger() == 0 ? std::string() : answer.ByName("ErrMsg").AsString();
    }
    int64_t Waits() {
        return Server().ExecuteStoredProcedure("usp_GetPurchOrderApproval", {"DEMO", "O1"}).ByName("Result").AsInteger();
    }
    std::string Approver() {
        return Value("SELECT COALESCE((SELECT ApprovedBy_Id FROM D_PurchOrderApproval WHERE Order_Id = 'O1'), '')").AsString();
    }
    // A client's change of one column of order line O1-1.
    void ChangeLine(const char* field, const Variant& value) {
        TClientDataSet rows;
        Server().RequestData("D_PurchaseLine", TFilter().Add("Id", "=", "O1-1"), rows);
        rows.Edit();
        rows.FieldByName(field).SetValue(value);
        rows.Post();
        std::string errorText;
        ASSERT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &rows}}, errorText), 0) << errorText;
    }
};

TEST_F(OrderApprovalTest, AnOrderAboveTheAmountIsReceivedOnlyOnceApproved) {
    TVariantArray keys;
    EXPECT_EQ(Waits(), 1);
    for (int operation : {0, 3, 4}) {
        EXPECT_LT(Server().PostPurchOrder("B1", keys, operation), 0) << operation;
        EXPECT_EQ(Server().LastRefusalText(), "Поръчка ORD-1 е над сумата за одобрение и още не е одобрена.");
    }
    EXPECT_EQ(Count("D_PurchReceiptHeader"), 0);
    EXPECT_EQ(Count("D_PurchOrderBufHeader", "Id = 'B1'"), 1);

    Server().SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, "BUYER"});
    EXPECT_NE(Approve().find("одобряване"), std::string::npos) << "a buyer has no right to approve";
    EXPECT_EQ(Approver(), "");
    Server().SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, "ACCOUNTANT"});
    EXPECT_EQ(Approve(), "");
    EXPECT_EQ(Approver(), "ACCOUNTANT");
    EXPECT_EQ(Approve(), "Поръчката вече е одобрена.");
    EXPECT_EQ(Waits(), 0);

    // What the buffer takes over is not what was approved: the approval stays.
    ChangeLine("QtyToReceive", Variant(3.0));
    EXPECT_EQ(Approver(), "ACCOUNTANT");
    ChangeLine("Quantity", Variant(12.0));
    EXPECT_EQ(Approver(), "") << "a changed quantity takes the approval back";
    EXPECT_EQ(Waits(), 1);
}

TEST_F(OrderApprovalTest, AnOrderUpToTheAmountNeedsNone) {
    Exec("UPDATE C_PurchasesSetup SET OrderApprovalAmount = 48.70");
    EXPECT_EQ(Waits(), 0);
    EXPECT_EQ(Approve(), "Поръчката не е над сумата за одобрение и не се одобрява.");
    Exec("UPDATE C_PurchasesSetup SET OrderApprovalAmount = 0");
    EXPECT_EQ(Waits(), 0) << "no amount, no approval";
}

}  // namespace
}  // namespace tavrek::testing
