#include "lists/uBrSelectPurchOrder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "base/forms/RequestForm.h"
#include "frame/uPurchasePackage.h"
#include "support/GoldenTable.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

using Mode = TfBrSelectPurchOrder::TQuantityMode;

TEST(SelectPurchOrderQuantities, EachOperationTakesWhatIsOpenForIt) {
    const std::map<std::string, Mode> modes = {{"Receive", TfBrSelectPurchOrder::qmReceive},
                                               {"Return", TfBrSelectPurchOrder::qmReturn},
                                               {"Reject", TfBrSelectPurchOrder::qmReject},
                                               {"Invoice", TfBrSelectPurchOrder::qmInvoice},
                                               {"ReceiveInvoice", TfBrSelectPurchOrder::qmReceiveInvoice}};
    for (const TGoldenCase& c : ReadGoldenCases("lists/select_order_quantities.txt"))
        EXPECT_DOUBLE_EQ(uBrSelectPurchOrder::QuantityFor(modes.at(c.Text("Mode")), c.Int("Type"), c.Number("Ordered"),
                                                          c.Number("Received"), c.Number("Returned"), c.Number("Rejected"),
                                                          c.Number("Invoiced")),
                         c.Number("Expected"))
            << c.Name;
}

// Two open orders of V01 on the demo company: item 1001 open 5 and 4 on two lines (one of
// them the vendor's VA), item 1002 fully received, and a freight line.
class SelectPurchOrder : public SqliteFixture {
protected:
    SelectPurchOrder() {
        PurchasePackageStartup();
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo, VendorOrderNo) VALUES "
             "('{O1}', 'DEMO', 22, 'V01', 'O-1', 'VO-1'), ('{O2}', 'DEMO', 22, 'V01', 'O-2', 'VO-2');"
             "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, VendorItemNo, Quantity, "
             "ReceivedQty, RejectedQty, DirectUnitCost_ACY) VALUES "
             "('{O1}', '{O1-1}', 'DEMO', 1, 1, '1001', 'VA', 10, 4, 1, 1.05),"
             "('{O1}', '{O1-2}', 'DEMO', 2, 1, '1002', 'VB', 10, 10, 0, 0.98),"
             "('{O1}', '{O1-3}', 'DEMO', 3, 2, '6021', '', 1, 0, 0, 30),"
             "('{O2}', '{O2-1}', 'DEMO', 1, 1, '1001', 'VA', 4, 0, 0, 1.05)");
    }
    ~SelectPurchOrder() override {
        PurchasePackageShutdown();
        std::filesystem::remove(file_);
    }

    // The selection a caller opens on the vendor's order lines, taking the fields it names.
    TRequestResult Select(const std::vector<std::string>& fields, const std::function<void(TfBrSelectPurchOrder&)>& user) {
        TSelectionList selection;
        selection.Columns = fields;
        TFormRequest request;
        request.FormNumber = TfBrSelectPurchOrder::kFormNumber;
        request.ShowOptions = {soModal};
        request.Filter.Add("D_PurchHeader.Contragent_Id", " =", "V01");
        request.Selection = &selection;
        host.ScriptModal("TfBrSelectPurchOrder", [&user](TfBase& form) {
            user(static_cast<TfBrSelectPurchOrder&>(form));
            return form.ModalResult;
        });
        EXPECT_EQ(RequestForm(request), 1);
        return selection;
    }
    std::string WriteFile(const std::string& text) {
        file_ = TempPath("quantities.csv");
        std::ofstream(file_, std::ios::binary) << text;
        return file_;
    }

    HeadlessFormHost host;
    std::string file_;
};

// Receiving drops what has nothing open; typing a quantity marks its row, and only marked
// rows with a quantity go back to the caller.
TEST_F(SelectPurchOrder, ReceivingTakesTheMarkedOpenLinesWithTheirQuantities) {
    const TRequestResult taken = Select({"Id", "CalculatedQTY"}, [](TfBrSelectPurchOrder& form) {
        EXPECT_EQ(form.cdsMaster.RecordCount(), 4);
        form.acGenerateReceiveQTY.Execute();
        EXPECT_EQ(form.cdsMaster.RecordCount(), 2);
        EXPECT_EQ(form.cdsMaster.FieldByName("Marked").AsInteger(), 1);
        ASSERT_TRUE(form.cdsMaster.Locate("Id", {Variant("{O2-1}")}));
        form.acEditRecord.Execute();
        form.cdsMaster.FieldByName("CalculatedQTY").SetAsFloat(0);
        form.cdsMaster.Post();
        EXPECT_EQ(form.cdsMaster.FieldByName("Marked").AsInteger(), 0);
        form.acSelect.Execute();
    });
    ASSERT_EQ(taken.Rows.size(), 1u);
    EXPECT_EQ(taken.Rows[0][0].AsString(), "{O1-1}");
    EXPECT_DOUBLE_EQ(taken.Rows[0][1].AsFloat(), 5.0);
}

// Confirming a list of one unmarked row takes that row, at one when its quantity is nothing.
TEST_F(SelectPurchOrder, OneUnmarkedRowLeftIsTakenWhenConfirmed) {
    Exec("UPDATE D_PurchaseLine SET InvoicedQty = 10 WHERE Id = '{O1-2}'");
    const TRequestResult taken = Select({"Id"}, [](TfBrSelectPurchOrder& form) {
        form.acGenerateReturnQTY.Execute();
        ASSERT_EQ(form.cdsMaster.RecordCount(), 1);
        EXPECT_DOUBLE_EQ(form.cdsMaster.FieldByName("CalculatedQTY").AsFloat(), 4.0);
        form.acEditRecord.Execute();
        form.cdsMaster.FieldByName("CalculatedQTY").SetAsFloat(0);
        form.cdsMaster.Post();
        EXPECT_EQ(form.cdsMaster.FieldByName("Marked").AsInteger(), 0);
        form.acSelect.Execute();
        EXPECT_DOUBLE_EQ(form.cdsMaster.FieldByName("CalculatedQTY").AsFloat(), 1.0);
    });
    ASSERT_EQ(taken.Rows.size(), 1u);
    EXPECT_EQ(taken.Rows[0][0].AsString(), "{O1-1}");
}

// A file row fills the open lines of its item in grid order and reports what found no room.
TEST_F(SelectPurchOrder, AFileRowFillsTheOpenLinesAndReportsWhatIsLeft) {
    const struct {
        const char* name;
        bool byVendorCode;
        std::string file;
        double first, second;  // placed on {O1-1} and {O2-1}
        const char* report;    // a part of the warning, empty when everything was placed
    } cases[] = {
        {"by item code", false, "Item_Id;Quantity\n1001;12\n", 5, 4, "1001\t3"},
        {"by the vendor's code and order", true, "VendorItemNo;VendorOrderNo;Quantity;UnitCost;Currency_Id\n"
                                                 "VA;VO-2;3;1.10;EUR\n", 0, 3, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteFile(c.file);
        const TRequestResult taken = Select({"Id", "CalculatedQTY", "DirectUnitCost_ACY"}, [&](TfBrSelectPurchOrder& form) {
            dialogs.ExpectText(true, "1");
            dialogs.ExpectFile(true, path);
            if (*c.report != '\0') dialogs.ExpectMessage(mrOk, c.report);
            (c.byVendorCode ? form.acImportFromFileCode : form.acImportFromFile).Execute();
            form.acSelect.Execute();
        });
        std::map<std::string, double> placed;
        for (const TVariantArray& row : taken.Rows) placed[row[0].AsString()] = row[1].AsFloat();
        EXPECT_EQ(placed.size(), static_cast<size_t>((c.first > 0) + (c.second > 0)));
        EXPECT_DOUBLE_EQ(placed["{O1-1}"], c.first);
        EXPECT_DOUBLE_EQ(placed["{O2-1}"], c.second);
        if (c.byVendorCode) {
            EXPECT_DOUBLE_EQ(taken.Rows[0][2].AsFloat(), 1.10);
        }
    }
}

}  // namespace
}  // namespace tavrek::testing
