// Vendor 5003 delivers against its two open orders of the demo company: order 0000000001
// twelve yoghurts 1008, order 0000000002 eight yoghurts and five kilograms of cheese 1010.
// Its despatch advice (tests/data/orderimport) brings 10 yoghurts for the first, 6 for the
// second and 3.5 kg of cheese, each line naming its order.
#include <gtest/gtest.h>

#include <fstream>

#include "base/ui/Messages.h"
#include "lists/uEdPurchOrdImport.h"
#include "server/SqlValue.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

const std::string kData = TAVREK_TEST_DATA_DIR "/data/orderimport/";

class OrderImportE2E : public SqliteFixture {
protected:
    OrderImportE2E() {
        Order("O1", "0000000001", 46330, {{"O1-1", "1008", 12, 0.95}});
        Order("O2", "0000000002", 46340, {{"O2-1", "1008", 8, 0.95}, {"O2-2", "1010", 5, 9.80}});
        form.Create();
        form.Show();
        form.StartFromMenu();
    }

    struct TLine {
        const char* Id;
        const char* Code;
        double Quantity, Price;
    };

    void Order(const std::string& id, const std::string& number, int date, std::initializer_list<TLine> lines) {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, DocumentDate, "
             "OrderDate, CurrencyFactor, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
             "VALUES ('" + id + "', 'DEMO', 22, 'SD-510', '" + number + "', 'V03', " + std::to_string(date) + ", " +
             std::to_string(date) + ", 1, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        int no = 0;
        for (const TLine& l : lines)
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "DirectUnitCost_ACY, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, GenBusPostGroup_Id, "
                 "GenProdPostGroup_Id) VALUES ('" + id + "', 'DEMO', '" + l.Id + "', " + std::to_string(++no) + ", 1, '" +
                 l.Code + "', " + std::to_string(l.Quantity) + ", 1, " + std::to_string(l.Price) +
                 ", 20, 'DOM', 'VAT20', 'DOM', 'GOODS')");
    }

    // The person chooses the vendor by its code.
    void ChooseVendor() {
        ASSERT_TRUE(form.EnterFieldValue(form.cdsMaster, form.cdsMaster.FieldByName("Code"), Variant("5003")));
        ASSERT_EQ(form.cdsMaster.FieldByName("Contragent_id").AsString(), "V03");
    }

    // The import of a file through its filter (1 CSV, 2 despatch advice); refused, with the
    // message that tells why.
    void ImportFile(const std::string& path, int filter, const std::string& refusal = "") {
        dialogs.ExpectText(true, std::to_string(filter));
        dialogs.ExpectFile(true, path);
        if (!refusal.empty()) dialogs.ExpectMessage(mrOk, refusal);
        form.acImportFromFile.Execute();
    }

    std::string TempFile(const std::string& name, const std::string& text) {
        const std::string path = TempPath(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    void GoToLine(int lineNo) {
        for (form.cdsDetail.First(); !form.cdsDetail.Eof(); form.cdsDetail.Next())
            if (form.cdsDetail.FieldByName("Line_No").AsInteger() == lineNo) return;
        FAIL() << "no line " << lineNo;
    }

    static void GoTo(TClientDataSet& rows, const char* field, const std::string& value) {
        for (rows.First(); !rows.Eof(); rows.Next())
            if (rows.FieldByName(field).AsString() == value) return;
        FAIL() << "no row " << value;
    }

    double Received(const char* line) {
        return Value(std::string("SELECT ReceivedQty FROM D_PurchaseLine WHERE Id = '") + line + "'").AsFloat();
    }

    double Stock(const char* item, const char* group) {
        return Value(std::string("SELECT COALESCE(SUM(Quantity), 0) FROM G_ItemEntry WHERE Item_Id = '") + item +
                     "' AND BusinessGroup_Id = '" + group + "'")
            .AsFloat();
    }

    HeadlessFormHost host;
    TfEdPurchOrdImport form;
};

TEST_F(OrderImportE2E, ANewImportWithoutVendorIsNotSaved) {
    dialogs.ExpectMessage(mrOk, GetMessageText("err_NoContragentSet"));
    EXPECT_FALSE(form.SaveData());
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(Count("D_PurchOrdImportHeader"), 0);
}

// Imported, attached, part of it taken back and sent to Plovdiv, turned into buffers and
// received: the order lines and the stock as worked by hand.
TEST_F(OrderImportE2E, ADespatchAdviceOverTwoOrdersIsReceivedAsTheBuyerDistributedIt) {
    ChooseVendor();
    ImportFile(kData + "despatch_advice_two_orders.xml", 2);
    ASSERT_TRUE(dialogs.AllAnswered());
    ASSERT_TRUE(guard.Session().ErrorLog().Entries().empty()) << guard.Session().ErrorLog().Entries().front().Message << " in " << guard.Session().ErrorLog().Entries().front().Operation;
    EXPECT_EQ(form.cdsMaster.FieldByName("VendorShipmentNo").AsString(), "DA-5003-0042");
    EXPECT_EQ(form.cdsMaster.FieldByName("DocumentNo").AsString(), "0000000001");
    ASSERT_EQ(form.cdsDetail.RecordCount(), 3);
    // Each line went to the order it names: nothing is left to distribute.
    EXPECT_EQ(server::SelectRows(Server().Database(), "SELECT l.Line_No, d.PurchLineId, d.Quantity FROM "
                                                      "D_PurchOrdImportLineDetail d JOIN D_PurchOrdImportLine l ON "
                                                      "l.Id = d.MasterLine_Id ORDER BY l.Line_No").Rows,
              (std::vector<TVariantArray>{{1, "O1-1", 10.0}, {2, "O2-1", 6.0}, {3, "O2-2", 3.5}}));
    EXPECT_EQ(Value("SELECT SUM(RemainingQty) FROM D_PurchOrdImportLine").AsFloat(), 0);

    // Two of the second line's yoghurts are taken back and go to Plovdiv, on the first order.
    GoToLine(2);
    ASSERT_EQ(form.cdsDetailRelation.RecordCount(), 1);
    dialogs.ExpectQuantity(true, 2);
    form.RemoveFromRelation.Execute();
    EXPECT_EQ(form.cdsDetail.FieldByName("RemainingQty").AsFloat(), 2);
    GoTo(form.cdsEntry, "PurchLineId", "O1-1");
    GoTo(form.cdsBusinessGroup, "Id", "BG-PLV");
    dialogs.ExpectQuantity(true, 2);
    form.acMoveBGToTarget.Execute();
    ASSERT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(form.cdsDetail.FieldByName("RemainingQty").AsFloat(), 0);

    host.ScriptExternal(TfEdPurchOrdImport::kSubTypeSelector, 1, {"SD-580", "580", "Буфер на поръчка"});
    dialogs.ExpectMessage(mrOk, GetMessageText("inf_PurchOrderBufDocCreated"));
    form.acGenPurchOrderBuf.Execute();
    ASSERT_TRUE(dialogs.AllAnswered());
    const TRequestResult buffers = server::SelectRows(
        Server().Database(), "SELECT Id, DocumentNo, AppliesToDoc_Id, BusinessGroup_Id FROM D_PurchOrderBufHeader ORDER BY DocumentNo");
    ASSERT_EQ(buffers.Rows.size(), 3u) << "order 1 at Sofia and Plovdiv, order 2 at Sofia";
    for (const TVariantArray& buffer : buffers.Rows)
        EXPECT_NE(dialogs.Shown().back().Text.find(buffer[1].AsString()), std::string::npos) << dialogs.Shown().back().Text;

    const double yoghurtAtSofia = Stock("1008", "BG-SOF"), cheeseAtSofia = Stock("1010", "BG-SOF");
    for (const TVariantArray& buffer : buffers.Rows) {
        TVariantArray keys;
        ASSERT_EQ(Server().PostPurchOrder(buffer[0].AsString(), keys, 0), 0) << Server().LastRefusalText();
    }
    EXPECT_EQ(Received("O1-1"), 12);  // 10 + the 2 for Plovdiv
    EXPECT_EQ(Received("O2-1"), 4);   // 6 less the 2 taken back
    EXPECT_EQ(Received("O2-2"), 3.5);
    EXPECT_EQ(Stock("1008", "BG-SOF") - yoghurtAtSofia, 14);
    EXPECT_EQ(Stock("1008", "BG-PLV"), 2);
    EXPECT_EQ(Stock("1010", "BG-SOF") - cheeseAtSofia, 3.5);
    EXPECT_EQ(Count("D_PurchOrderBufHeader"), 0) << "posted buffers are gone";
}

// A file that cannot be imported whole leaves the saved document exactly as it was.
TEST_F(OrderImportE2E, ABrokenFileOrAnUnknownItemImportsNothing) {
    ChooseVendor();
    ASSERT_TRUE(form.SaveData());
    struct TCase {
        const char* Name;
        const char* Text;
        const char* Message;
    };
    for (const TCase& c : {TCase{"a quantity that is not a number", "Code;Quantity\n1008;5\n1010;пет\n", "Ред 3, колона Quantity"},
                           TCase{"an item the vendor's numbers do not find", "VendorItemNo,Quantity\nA-7008,5\nZ-0000,1\n",
                                 "ред 3: Z-0000"}}) {
        SCOPED_TRACE(c.Name);
        ImportFile(TempFile("delivery.csv", c.Text), 1, c.Message);
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(form.cdsDetail.RecordCount(), 0);
        EXPECT_FALSE(form.HasUnsavedData());
        EXPECT_EQ(Count("D_PurchOrdImportLine") + Count("D_PurchOrdImportLineDetail"), 0);
    }
}

}  // namespace
}  // namespace tavrek::testing
