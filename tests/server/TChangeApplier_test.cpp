#include "server/TChangeApplier.h"

#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "base/server/ServerQueries.h"
#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "support/DataSetBuilder.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class ChangeLogTest : public SqliteFixture {
protected:
    // Opens a header and its lines from the server, as an editor does.
    void Load(TClientDataSet& header, TClientDataSet& lines, const std::string& id) {
        Server().RequestData("D_PurchHeader", TFilter().Add("D_PurchHeader.Id", "=", id), header);
        Server().RequestData("D_PurchaseLine", TFilter().Add("D_PurchaseLine.Master_Id", "=", id), lines);
    }

    void AddLine(TClientDataSet& lines, const std::string& id, int lineNo, double quantity, double amount) {
        AppendRecord(lines, {{"Id", id}, {"Master_Id", "H1"}, {"Comp_Id", "DEMO"}, {"Line_No", lineNo}, {"Code", "1001"},
                             {"Quantity", quantity}, {"TotalValue", amount}, {"TotalVAT", amount * 1.2}, {"VATPercent", 20}});
    }

    // A saved invoice H1 of vendor V01 with three lines.
    void SaveInvoice() {
        TClientDataSet header, lines;
        Load(header, lines, "H1");
        AppendRecord(header, {{"Id", "H1"}, {"Comp_Id", "DEMO"}, {"DocumentType", 1}, {"Contragent_Id", "V01"},
                              {"DocumentDate", TDateTime::FromDate(2026, 3, 2)}});
        AddLine(lines, "L1", 1, 10, 10.50);
        AddLine(lines, "L2", 2, 5, 4.90);
        AddLine(lines, "L3", 3, 1, 1.45);
        ASSERT_EQ(Apply(header, lines), 0) << errorText;
    }

    int Apply(TClientDataSet& header, TClientDataSet& lines) {
        return Server().ApplyUpdates({{"D_PurchHeader", &header}, {"D_PurchaseLine", &lines}}, errorText);
    }

    std::string errorText;
};

TEST_F(ChangeLogTest, ProvidersDefineFieldsFromTheirColumns) {
    TClientDataSet header, lines;
    Load(header, lines, "none");
    EXPECT_TRUE(header.Active());
    EXPECT_TRUE(header.IsEmpty());
    EXPECT_EQ(header.FieldByName("DocumentDate").DataType(), TFieldType::ftDateTime);
    EXPECT_EQ(header.FieldByName("CurrencyFactor").DataType(), TFieldType::ftFloat);
    EXPECT_EQ(header.FieldByName("DocumentType").DataType(), TFieldType::ftInteger);
    EXPECT_EQ(header.FieldByName("N_Contragent_Name").DataType(), TFieldType::ftString);
    EXPECT_EQ(lines.FieldByName("Line_No").DataType(), TFieldType::ftInteger);
    EXPECT_EQ(lines.FieldByName("Code").DataType(), TFieldType::ftString);
    EXPECT_NE(lines.FindField("Master_Id"), nullptr);
    EXPECT_THROW(Server().RequestData("D_NoSuchTable", TFilter(), header), std::invalid_argument);
}

TEST_F(ChangeLogTest, SavedDocumentReadsBackWithDisplayFieldsAndLinesInOrder) {
    SaveInvoice();
    TClientDataSet header, lines;
    Load(header, lines, "H1");
    EXPECT_EQ(header.FieldByName("N_Contragent_Name").AsString(), "Мелница Добруджа ООД");
    EXPECT_EQ(header.FieldByName("DocumentDate").AsDateTime(), TDateTime::FromDate(2026, 3, 2));
    ASSERT_EQ(lines.RecordCount(), 3);
    lines.Last();
    EXPECT_EQ(lines.FieldByName("Id").AsString(), "L3");

    // Lines are selected by their header's fields too.
    TClientDataSet ofVendor;
    Server().RequestData("D_PurchaseLine", TFilter().Add("D_PurchHeader.Contragent_Id", "=", "V01"), ofVendor);
    EXPECT_EQ(ofVendor.RecordCount(), 3);
    TRequestResult rows;
    EXPECT_EQ(Server().RequestValue(0, "D_PurchaseLine", "Id",
                                    TFilter()
                                        .Add("D_PurchHeader.Contragent_Id", "=", "V02", "OR")
                                        .Add("D_PurchaseLine.Line_No", ">=", 3),
                                    rows, true),
              1);
    EXPECT_THROW(Server().RequestData("D_PurchaseLine", TFilter().Add("D_PurchHeader.NoSuchField", "=", 1), ofVendor),
                 std::invalid_argument);

    // A caller with its own fields gets only those, filled by name.
    TClientDataSet own;
    own.AddField("Line_No", TFieldType::ftInteger);
    own.AddField("Quantity", TFieldType::ftFloat);
    own.AddField("NotAColumn", TFieldType::ftString);
    Server().RequestData("D_PurchaseLine", TFilter().Add("D_PurchaseLine.Master_Id", "=", "H1"), own);
    EXPECT_EQ(own.FieldCount(), 3);
    EXPECT_DOUBLE_EQ(own.FieldByName("Quantity").AsFloat(), 10.0);
    EXPECT_TRUE(own.FieldByName("NotAColumn").IsNull());
}

TEST_F(ChangeLogTest, UpdatesInsertsAndDeletesGoInOneCallAndTheRecalculationTotalsThemPerVATRate) {
    SaveInvoice();
    TClientDataSet header, lines;
    Load(header, lines, "H1");
    ASSERT_TRUE(lines.Locate("Id", {"L2"}));
    lines.Edit();
    lines.FieldByName("Quantity").SetAsFloat(6);
    lines.FieldByName("TotalValue").SetAsFloat(5.88);
    lines.Post();
    ASSERT_TRUE(lines.Locate("Id", {"L3"}));
    lines.Delete();
    AddLine(lines, "L4", 4, 2, 2.00);
    header.Edit();
    header.FieldByName("Comment").SetAsString("доставка 'спешна'");
    header.Post();
    ASSERT_EQ(Apply(header, lines), 0) << errorText;
    EXPECT_EQ(lines.ChangeCount(), 0);

    EXPECT_EQ(Count("D_PurchaseLine", "Master_Id = 'H1'"), 3);
    EXPECT_DOUBLE_EQ(Value("SELECT Quantity FROM D_PurchaseLine WHERE Id = 'L2'").AsFloat(), 6.0);
    EXPECT_EQ(Value("SELECT Comment FROM D_PurchHeader WHERE Id = 'H1'").AsString(), "доставка 'спешна'");

    ASSERT_EQ(Server().ExecuteSQLScript(FormatMessage(c_query_RecalcDocument, {"'H1'", "'DEMO'"})), 0);
    EXPECT_DOUBLE_EQ(Value("SELECT TotalValue FROM D_PurchHeader WHERE Id = 'H1'").AsFloat(), 18.38);
    // 20 % of 18.38 is 3.676: the VAT of the rate, not the sum of the lines' stale TotalVAT (20.88).
    EXPECT_DOUBLE_EQ(Value("SELECT VATValue FROM D_PurchHeader WHERE Id = 'H1'").AsFloat(), 3.68);
    EXPECT_DOUBLE_EQ(Value("SELECT TotalVAT FROM D_PurchHeader WHERE Id = 'H1'").AsFloat(), 22.06);
}

TEST_F(ChangeLogTest, RecordChangedByAnotherUserIsRefusedAndNothingIsApplied) {
    SaveInvoice();
    TClientDataSet mineHeader, mine, theirsHeader, theirs;
    Load(mineHeader, mine, "H1");
    Load(theirsHeader, theirs, "H1");

    theirs.Edit();  // first line, L1
    theirs.FieldByName("Quantity").SetAsFloat(11);
    theirs.Post();
    ASSERT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &theirs}}, errorText), 0);

    mineHeader.Edit();
    mineHeader.FieldByName("Comment").SetAsString("моята промяна");
    mineHeader.Post();
    mine.Edit();
    mine.FieldByName("Quantity").SetAsFloat(12);
    mine.Post();
    AddLine(mine, "L9", 9, 1, 1.0);
    EXPECT_EQ(Apply(mineHeader, mine), 1);
    EXPECT_NE(errorText.find("L1"), std::string::npos) << errorText;
    EXPECT_NE(errorText.find("друг потребител"), std::string::npos) << errorText;

    EXPECT_DOUBLE_EQ(Value("SELECT Quantity FROM D_PurchaseLine WHERE Id = 'L1'").AsFloat(), 11.0);
    EXPECT_TRUE(Value("SELECT Comment FROM D_PurchHeader WHERE Id = 'H1'").IsNull());
    EXPECT_EQ(Count("D_PurchaseLine", "Id = 'L9'"), 0);
    EXPECT_EQ(mine.ChangeCount(), 2);  // the log stays for the user to decide

    // A field the other user did not touch saves fine.
    TClientDataSet againHeader, again;
    Load(againHeader, again, "H1");
    theirs.Edit();
    theirs.FieldByName("Description").SetAsString("друго поле");
    theirs.Post();
    again.Edit();
    again.FieldByName("LineDiscount").SetAsFloat(5);
    again.Post();
    ASSERT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &theirs}}, errorText), 0) << errorText;
    EXPECT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &again}}, errorText), 0) << errorText;
}

TEST_F(ChangeLogTest, DeletingARowAnotherUserChangedOrDeletedIsRefused) {
    SaveInvoice();
    TClientDataSet header, lines;
    Load(header, lines, "H1");
    Exec("UPDATE D_PurchaseLine SET Quantity = 99 WHERE Id = 'L1'");
    Exec("DELETE FROM D_PurchaseLine WHERE Id = 'L2'");
    lines.First();
    lines.Delete();  // L1
    lines.Delete();  // L2
    EXPECT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &lines}}, errorText), 2);
    EXPECT_EQ(Count("D_PurchaseLine", "Master_Id = 'H1'"), 2);
}

TEST_F(ChangeLogTest, RecordsTheDatabaseRejectsAreRefused) {
    SaveInvoice();
    TClientDataSet header, lines;
    Load(header, lines, "H1");
    AddLine(lines, "L6", 6, 1, 1.0);
    AddLine(lines, "L1", 7, 1, 1.0);  // the key is taken
    AddLine(lines, "L8", 8, 1, 1.0);
    lines.Edit();
    lines.FieldByName("Master_Id").SetAsString("no-such-header");
    lines.Post();
    // The first rejection ends the packet: an engine takes nothing more in that transaction.
    EXPECT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &lines}}, errorText), 1);
    EXPECT_NE(errorText.find("L1"), std::string::npos) << errorText;
    EXPECT_EQ(errorText.find("L6"), std::string::npos) << errorText;
    EXPECT_EQ(Count("D_PurchaseLine", "Master_Id = 'H1'"), 3);
    EXPECT_EQ(Count("D_PurchaseLine", "Id IN ('L6', 'L8')"), 0);
}

TEST_F(ChangeLogTest, DeletingAHeaderWithItsLinesDeletesDetailsFirst) {
    SaveInvoice();
    TClientDataSet header, lines;
    Load(header, lines, "H1");
    while (!lines.IsEmpty()) lines.Delete();
    header.Delete();
    ASSERT_EQ(Apply(header, lines), 0) << errorText;
    EXPECT_EQ(Count("D_PurchHeader"), 0);
    EXPECT_EQ(Count("D_PurchaseLine"), 0);
}

// A closed order takes no change but its re-opening, which needs the user's right to edit
// the order form's properties; closing and the last line change go in one save.
TEST_F(ChangeLogTest, AClosedOrderIsChangedOnlyByReopeningItWithTheRight) {
    SaveInvoice();
    Exec("UPDATE D_PurchHeader SET DocumentType = 22 WHERE Id = 'H1'");
    const struct {
        const char* name;
        int status;        // DocStatus saved, -1 to leave it
        double quantity;   // of the first line
        bool granted;      // the demo user's right on form 10201
        const char* refusal;
    } steps[] = {
        {"closed with a line changed", 1, 11, true, nullptr},
        {"a line of the closed order", -1, 12, true, "err_PurchOrderClosed"},
        {"re-opened without the right", 0, 11, false, "err_ReopenOrderRightNotAllowed"},
        {"re-opened with it, a line changed", 0, 13, true, nullptr},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        Exec(std::string("UPDATE S_UserFormRight SET EditProps = ") + (s.granted ? "1" : "0") +
                                 " WHERE Form_Id = 10201");
        TClientDataSet header, lines;
        Load(header, lines, "H1");
        if (s.status >= 0) {
            header.Edit();
            header.FieldByName("DocStatus").SetAsInteger(s.status);
            header.Post();
        }
        lines.Edit();
        lines.FieldByName("Quantity").SetAsFloat(s.quantity);
        lines.Post();
        EXPECT_EQ(Apply(header, lines), s.refusal == nullptr ? 0 : 1) << errorText;
        if (s.refusal != nullptr) {
            EXPECT_NE(errorText.find(Server().GetMessageText(s.refusal)), std::string::npos);
        }
    }
    const TRequestResult saved = server::SelectRows(Server().Database(),
        "SELECT h.DocStatus, l.Quantity FROM D_PurchHeader h JOIN D_PurchaseLine l ON l.Master_Id = h.Id "
        "WHERE h.Id = 'H1' AND l.Id = 'L1'");
    EXPECT_EQ(saved.Value(0, 0).AsInteger(), 0);
    EXPECT_EQ(saved.Value(0, 1).AsFloat(), 13.0);
}

}  // namespace
}  // namespace tavrek::testing
