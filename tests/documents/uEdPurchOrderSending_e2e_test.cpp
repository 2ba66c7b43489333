#include <gtest/gtest.h>

#include <string>

#include "base/forms/TFormRequest.h"
#include "base/util/Base64.h"
#include "editors/uEdPurchOrder.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"
#include "support/TVendorService.h"

namespace tavrek::testing {
namespace {

// An order of the demo company sent to its vendor's web service from the order editor: the
// service takes what the company stores, and the vendor's number is stored on the order.
class OrderSendingEndToEnd : public SqliteFixture {
protected:
    OrderSendingEndToEnd() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, "
             "Comment, BusinessGroup_Id, DocStatus) VALUES ('ORD-1', 'DEMO', 22, 'SD-510', '0000000007', 'V01', "
             "'до петък', 'BG-SOF', 0)");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity) VALUES "
             "('ORD-1', 'ORD-1-1', 'DEMO', 1, 1, '1001', 12), ('ORD-1', 'ORD-1-2', 'DEMO', 2, 1, '1035', 2.5)");
        Exec("UPDATE N_PartnerConnectionList SET URLAddress = '" + vendor.Url() + "' WHERE Id = 'PC-V01'");
        TFormRequest request;
        request.Filter.Add("D_PurchHeader.Id", "=", "ORD-1");
        form.Create(request);
        form.Show();
    }

    std::string StoredNumber() {
        const Variant number = Value("SELECT VendorOrderNo FROM D_PurchHeader WHERE Id = 'ORD-1'");
        return number.IsNull() ? "" : number.AsString();
    }

    TVendorService vendor;
    HeadlessFormHost host;
    TfEdPurchOrder form;
};

TEST_F(OrderSendingEndToEnd, TheVendorGetsTheStoredOrderAndItsNumberIsKept) {
    vendor.OrderAnswer = "ПОР-2026/0042";
    dialogs.ExpectMessage(mrOk, "ПОР-2026/0042");
    form.acSendtoVendor.Execute();
    ASSERT_EQ(vendor.Requests().size(), 1u);
    const std::string xml = Base64ToStr(vendor.Requests()[0].body);
    EXPECT_NE(xml.find("<Credentials><Username>demo</Username><Password>demo</Password></Credentials>"
                       "<ContragentOrderNo>0000000007</ContragentOrderNo><Comment>до петък</Comment>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<Items><Item><Code>1001</Code><Quantity>12</Quantity></Item><Item><Code>1035</Code>"
                       "<Quantity>2.5</Quantity></Item></Items>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(StoredNumber(), "ПОР-2026/0042");
    EXPECT_EQ(form.cdsMaster.FieldByName("VendorOrderNo").AsString(), "ПОР-2026/0042") << "the editor shows it";
}

TEST_F(OrderSendingEndToEnd, ARefusalOrNoServiceStoresNothing) {
    vendor.OrderStatus = 422;
    vendor.OrderAnswer = "Артикул 1035 не се предлага";
    dialogs.ExpectMessage(mrOk, "Възникна грешка. Артикул 1035 не се предлага");
    form.acSendtoVendor.Execute();
    EXPECT_EQ(StoredNumber(), "");

    Exec(std::string("UPDATE N_PartnerConnectionList SET URLAddress = '") + TVendorService::kNobodyListens +
         "' WHERE Id = 'PC-V01'");
    dialogs.ExpectMessage(mrOk, "Не беше установена връзка със сървиса!");
    form.acSendtoVendor.Execute();
    EXPECT_EQ(StoredNumber(), "");
}

}  // namespace
}  // namespace tavrek::testing
