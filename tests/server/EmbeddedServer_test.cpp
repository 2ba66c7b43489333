#include "server/EmbeddedServer.h"

#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "base/server/ServerQueries.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "server/posting/TPostingRefusal.h"
#include "server/TQueryBuilder.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class EmbeddedServerTest : public SqliteFixture {
protected:
    int Ask(const std::string& source, const std::string& fields, const TFilter& filter, bool allRows = true) {
        return Server().RequestValue(0, source, fields, filter, result, allRows);
    }
    int64_t ErrorLogCount(const std::string& operation) { return Count("S_ErrorLog", "Operation = '" + operation + "'"); }

    TRequestResult result;
};

std::string DoubledQuotes(const std::string& value) {
    std::string doubled;
    for (char c : value) doubled += c == '\'' ? std::string("''") : std::string(1, c);
    return doubled;
}

TEST_F(EmbeddedServerTest, FiltersOfEveryOperatorSelectTheRowsTheyName) {
    for (const TGoldenCase& c : ReadGoldenCases("server/filters.txt")) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Ask(c.Text("Source"), "Id", c.Filter()), c.Int("Rows"));
        EXPECT_EQ(static_cast<int>(result.Rows.size()), c.Int("Rows"));
    }
    EXPECT_EQ(Ask("N_CurrencyRate", "Id", TFilter().Add("N_CurrencyRate.StartingDate", ">=", TDateTime::FromDate(2026, 1, 1))), 12)
        << "a date";
}

TEST_F(EmbeddedServerTest, ValueRequestGivesFirstRowOrAllRowsUnderTheNamedFields) {
    const TFilter company = TFilter().Add("C_PurchasesSetup.Id", "=", "DEMO");
    EXPECT_EQ(Server().RequestValue(0, "C_PurchasesSetup", "Invoice_Series_Id, PurchOrdImpSeries_id", company, result), 1);
    EXPECT_EQ(result.Columns, (std::vector<std::string>{"Invoice_Series_Id", "PurchOrdImpSeries_id"}));
    EXPECT_EQ(result.ByName("PurchOrdImpSeries_id").AsString(), "IMP");

    EXPECT_EQ(Server().RequestValue(0, "N_LedgerSubjectTypes", "Id", TFilter(), result, false), 5);
    EXPECT_EQ(result.Rows.size(), 1u);

    EXPECT_EQ(Ask("G_VATPostingSetup", "VATPercent, VATCalculationType, PurchaseVATLedger",
                  TFilter()
                      .Add("G_VATPostingSetup.VATBus_PostingGroup", "=", "DOM", "AND")
                      .Add("G_VATPostingSetup.VATProd_PostingGroup", "=", "VAT9", "AND")
                      .Add("G_VATPostingSetup.Comp_Id", "=", "DEMO")),
              1);
    EXPECT_DOUBLE_EQ(result.Value(0, 0).AsFloat(), 9.0);

    EXPECT_EQ(Ask("N_VendorPrice", "ABS(SUM(DirectUnitCost)) as Amount, COUNT(*) AS N",
                  TFilter().Add("N_VendorPrice.Contragent_Id", "=", "V01")),
              1);
    EXPECT_NEAR(result.ByName("Amount").AsFloat(), 1.05 + 0.98 + 1.45 + 0.85 + 1.00 + 0.81, 1e-9);
    EXPECT_EQ(result.ByName("N").AsInteger(), 6);

    // Headers read through their view carry the vendor's display fields.
    EXPECT_EQ(Ask("D_PurchHeader", "Id, N_Contragent_Name", TFilter()), 0);
    EXPECT_EQ(result.Columns.size(), 2u);
}

TEST_F(EmbeddedServerTest, TableFunctionsAnswerLikeTables) {
    EXPECT_EQ(Server().RequestValue(0, "fn_GetDocPayMethod('DEMO','BG-SOF','ADMIN',1,'SD-520','V07')", "PayMethod_Id",
                                    TFilter(), result),
              1);
    EXPECT_EQ(result.Value().AsString(), "CARD");
    EXPECT_EQ(Server().RequestValue(0, "dbo.fn_GetContragentAdvancePayment('DEMO', 'V01', 1)",
                                    "COALESCE(ContragentAdvancePayment, 0.00) As ContragentAdvancePayment", TFilter(),
                                    result),
              1);
    EXPECT_DOUBLE_EQ(result.ByName("ContragentAdvancePayment").AsFloat(), 0.0);
    EXPECT_EQ(Server().RequestValue(0, "fn_FindItem('A-7005','V02')", "Item_Id", TFilter(), result), 1);
    EXPECT_EQ(result.Value().AsString(), "1005");
    EXPECT_EQ(Server().RequestValue(0, "fn_FindItem('A-7005','V02')", "Item_Id",
                                    TFilter().Add("fn_FindItem.Item_Id", "<>", "1005"), result),
              0);
    EXPECT_THROW(Server().RequestValue(0, "fn_Unknown('a')", "Id", TFilter(), result), std::invalid_argument);
}

TEST_F(EmbeddedServerTest, ExecRunsTheRegisteredProcedureAndAnswersUnderTheNamedColumns) {
    EXPECT_EQ(Server().RequestValue(-1, "exec  usp_SaveHistoryBeforeDelete 'DEMO', 'no-such', 6, 'ADMIN', 'BG-SOF'",
                                    "Code, ErrMsg", TFilter(), result),
              1);
    EXPECT_EQ(result.ByName("Code").AsInteger(), -1);
    // A caller naming other columns reads them by position.
    EXPECT_EQ(Server().RequestValue(-1, "exec dbo.usp_CheckDocumentBeforeDelete 'DEMO', 'no-such', 4, 0, ''",
                                    "Result,ErrMsg", TFilter(), result),
              1);
    EXPECT_EQ(result.ByName("Result").AsInteger(), 0);
    EXPECT_THROW(Server().RequestValue(-1, "exec usp_NoSuchProcedure 'a'", "Code", TFilter(), result),
                 std::invalid_argument);
}

TEST_F(EmbeddedServerTest, ProceduresWriteOnlyWhenTheySucceed) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentNo, CheckStatus) VALUES ('H1', 'DEMO', 1, "
         "'0000000042', 2)");
    Exec("INSERT INTO D_PurchaseLine (Id, Master_Id, Line_No, Code) VALUES ('L1', 'H1', 1, '1001'), ('L2', 'H1', 2, '1002')");
    EXPECT_EQ(Server().RequestValue(-1, "exec dbo.usp_CheckDocumentBeforeDelete 'DEMO', 'H1', 4, 0, ''", "Code,Msg",
                                    TFilter(), result),
              1);
    EXPECT_EQ(result.ByName("Code").AsInteger(), 2);
    EXPECT_EQ(result.ByName("Msg").AsString(), "0000000042");

    Server().RequestValue(-1, "exec usp_SaveHistoryBeforeDelete 'DEMO', 'H1', 6, 'ADMIN', 'BG-SOF'", "Code, ErrMsg",
                          TFilter(), result);
    EXPECT_EQ(result.ByName("Code").AsInteger(), 0);
    EXPECT_EQ(Count("S_DocumentHistory", "Document_Id = 'H1' AND DocumentType = 1 AND User_Id = 'ADMIN'"), 1);
    const std::string snapshot = Value("SELECT Snapshot FROM S_DocumentHistory").AsString();
    EXPECT_NE(snapshot.find("\"DocumentNo\":\"0000000042\""), std::string::npos) << snapshot;
    size_t lines = 0;
    for (size_t at = snapshot.find("\"Line_No\":"); at != std::string::npos; at = snapshot.find("\"Line_No\":", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2u) << snapshot;

    const TRequestResult updated = Server().ExecuteStoredProcedure("dbo.usp_UPDATE_N_Item_UnitPrice", {"DEMO", "1001", 2.40, 1});
    EXPECT_EQ(updated.ByName("Result").AsInteger(), 0);
    EXPECT_DOUBLE_EQ(Value("SELECT UnitPrice FROM N_Item WHERE Code = '1001'").AsFloat(), 2.0);
    const TRequestResult refused = Server().ExecuteStoredProcedure("usp_UPDATE_N_Item_UnitPrice", {"DEMO", "9999", 5.0, 0});
    EXPECT_EQ(refused.ByName("Result").AsInteger(), -1);
    EXPECT_EQ(Count("S_ErrorLog", "Message LIKE '%(err_Update_N_Item_UnitPrice)'"), 1);

    Exec("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType) VALUES ('G1', 'DEMO', 3)");
    Exec("INSERT INTO D_GlobalPurchLine (Id, Master_Id, Line_No, TotalValue, VATPercent) VALUES ('GL1', 'G1', 1, 10.004, "
         "20), ('GL2', 'G1', 2, 5.0, 20)");
    EXPECT_EQ(Server().ExecuteSQLScript(FormatMessage(_c_query_RecalcDocument, {"'G1'", "'DEMO'", "'3'"})), 0);
    EXPECT_DOUBLE_EQ(Value("SELECT TotalValue FROM D_GlobalPurchHeader").AsFloat(), 15.0);
    EXPECT_DOUBLE_EQ(Value("SELECT TotalVAT FROM D_GlobalPurchHeader").AsFloat(), 18.0);
}

TEST_F(EmbeddedServerTest, HostileNamesAreRefusedAndHostileValuesAreOnlyValues) {
    const std::string hostile[] = {"x' OR '1'='1", "'; DROP TABLE D_PurchHeader; --", "1001' --"};
    for (const std::string& value : hostile) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Ask("N_Item", "Id", TFilter().Add("N_Item.Code", "=", value)), 0);
        EXPECT_EQ(Ask("N_Item", "Id", TFilter().Add("N_Item.Name", "LIKE", value)), 0);
        EXPECT_EQ(Server().RequestValue(-1, "exec usp_CheckDocumentBeforeDelete 'DEMO', '" +
                                                DoubledQuotes(value) + "', 4, 0, ''",
                                        "Code,Msg", TFilter(), result),
                  1);
    }
    for (const TGoldenCase& c : ReadGoldenCases("server/hostile_names.txt"))
        EXPECT_THROW(Ask(c.Text("Source"), c.Text("Fields"), TFilter()), std::invalid_argument) << c.Name;
    EXPECT_THROW(Ask("N_Item", "Id", TFilter().Add("Code = '1' OR 1", "=", "x")), server::EQueryRefused);
    EXPECT_THROW(Ask("N_Item", "Id", TFilter().Add("N_PartnerConnectionList.Password", "=", "x")), server::EQueryRefused);
    EXPECT_THROW(Ask("N_Item", "Id", TFilter().Add("N_Item.Code", "IS", "1 OR 1=1")), server::EQueryRefused);

    EXPECT_EQ(Count("N_Item"), 50);
    EXPECT_NO_THROW(Count("D_PurchHeader"));
}

TEST_F(EmbeddedServerTest, OnlyRecognisedScriptsRun) {
    ASSERT_EQ(Server().ExecuteSQLScript("DROP TABLE D_PurchHeader"), -1);
    EXPECT_EQ(Server().ExecuteSQLScript("DELETE FROM N_Item"), -1);
    EXPECT_EQ(Server().ExecuteSQLScript("UPDATE D_PurchHeader SET VendorOrderNo = 'x' WHERE Comp_Id = 'DEMO' AND Id = "
                                        "'a'; DROP TABLE N_Item"),
              -1);
    EXPECT_EQ(Server().ExecuteSQLScript("exec usp_SaveHistoryBeforeDelete 'DEMO', 'a', 6, 'U', 'B'"), -1);
    EXPECT_EQ(ErrorLogCount("EmbeddedServer.ExecuteSQLScript"), 4);
    EXPECT_EQ(Count("N_Item"), 50);
    EXPECT_NO_THROW(Count("D_PurchHeader"));

    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType) VALUES ('H1', 'DEMO', 22)");
    EXPECT_EQ(Server().ExecuteSQLScript("Update D_PurchHeader SET VendorOrderNo = 'ПОР-7, ''А'''where Comp_Id = "
                                        "'DEMO' and Id = 'H1'"),
              0);
    EXPECT_EQ(Value("SELECT VendorOrderNo FROM D_PurchHeader WHERE Id = 'H1'").AsString(), "ПОР-7, 'А'");
    EXPECT_EQ(Server().ExecuteSQLScript(FormatMessage(c_query_RecalcDocument, {"'no-such'", "'DEMO'"})), -1);
    EXPECT_EQ(Value("SELECT Message FROM S_ErrorLog ORDER BY Id DESC LIMIT 1").AsString(),
              "Грешка при преизчисляване на документа. (err_RecalcDocument)");
}

TEST_F(EmbeddedServerTest, ServerWithoutPostingRefusesHonestly) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType) VALUES ('H1', 'DEMO', 1)");
    server::EmbeddedServer refusing(DatabasePath(), std::make_unique<server::TPostingRefusal>());
    refusing.SetSession(Server().Session());
    TVariantArray keys;
    EXPECT_LT(refusing.PostPurchase("H1", keys), 0);
    EXPECT_TRUE(keys.empty());
    Variant output;
    EXPECT_LT(refusing.AnnulDocument("H1", 6, "", TDateTime::Today(), 0, output), 0);
    EXPECT_EQ(ErrorLogCount("EmbeddedServer.PostPurchase"), 1);
    EXPECT_EQ(Count("S_ErrorLog", "Message LIKE '%err_NotImplementedPosting%' AND User_Id = 'ADMIN'"), 2);
    EXPECT_EQ(Count("D_PurchHeader"), 1);
}

// A posting method that writes and then answers as told: the server keeps its writes only
// when it succeeds.
class TWritingPosting : public server::TPostingRefusal {
public:
    explicit TWritingPosting(int answer) : answer_(answer) {}
    int PostPurchase(server::TServerContext& ctx, const std::string& id, TVariantArray& keys) override {
        ctx.Db.Exec("UPDATE D_PurchHeader SET DocStatus = 9 WHERE Id = '" + id + "'");
        if (answer_ < 0) ctx.RefusalKey = "err_PostingDocument";
        if (answer_ == 99) throw std::runtime_error("срив по средата");
        keys = {id};
        return answer_;
    }

private:
    int answer_;
};

TEST_F(EmbeddedServerTest, PostingMethodsCommitOnlyWhenTheySucceed) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType) VALUES ('H1', 'DEMO', 1)");
    for (const int answer : {-1, 99, 0}) {
        SCOPED_TRACE(answer);
        server::EmbeddedServer other(DatabasePath(), std::make_unique<TWritingPosting>(answer));
        other.SetSession(Server().Session());
        TVariantArray keys;
        if (answer == 99)
            EXPECT_THROW(other.PostPurchase("H1", keys), std::runtime_error);
        else
            EXPECT_EQ(other.PostPurchase("H1", keys), answer);
        EXPECT_EQ(Value("SELECT DocStatus FROM D_PurchHeader WHERE Id = 'H1'").AsInteger(), answer == 0 ? 9 : 0);
    }
    EXPECT_EQ(Count("S_ErrorLog", "Message LIKE '%err_PostingDocument%'"), 1);
}

TEST_F(EmbeddedServerTest, NumberSeriesCountPerSeriesAndBusinessGroup) {
    std::string number;
    EXPECT_EQ(Server().GetNextSerieNo("INV", "BG-SOF", number), 0);
    EXPECT_EQ(number, "0000000001");
    EXPECT_EQ(Server().GetNextSerieNo("INV", "BG-SOF", number), 0);
    EXPECT_EQ(number, "0000000002");
    EXPECT_EQ(Server().GetNextSerieNo("INV", "BG-PLV", number), 0);
    EXPECT_EQ(number, "2000000001");
    EXPECT_EQ(Server().GetNextSerieNo("TRN", "", number), 0);
    EXPECT_EQ(number, "0000000001");

    Exec("UPDATE S_NoSeries SET LastNo = 5, EndingNo = 5 WHERE Id = 'ORDER'");
    number.clear();
    EXPECT_EQ(Server().GetNextSerieNo("ORDER", "BG-SOF", number), -1);
    EXPECT_EQ(Server().GetNextSerieNo("NO-SUCH", "BG-SOF", number), -1);
    EXPECT_TRUE(number.empty());
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'ORDER'").AsInteger(), 5);
    EXPECT_EQ(Count("S_ErrorLog", "Message LIKE 'Не може да бъде получен пореден номер%err_GetSeriesNo)'"), 2);
}

TEST_F(EmbeddedServerTest, MessagesAndMasterData) {
    EXPECT_EQ(Server().GetMessageText("err_NotFountCopyTemplate"), "Не е намерен шаблон за копиране на документ.");
    EXPECT_EQ(Server().GetMessageText("proc_GetDocPayMethod"), "fn_GetDocPayMethod");
    EXPECT_EQ(Server().GetMessageText("no_SuchKey"), "");
    EXPECT_EQ(GetMessageText("que_AnnulDocument"), "Сигурни ли сте, че искате да анулирате документа?");

    const TRequestResult vendor = Server().GetContragentParams("V11");
    EXPECT_EQ(vendor.ByName("Currency_Id").AsString(), "EUR");
    EXPECT_EQ(vendor.ByName("VATBusPostGroup_Id").AsString(), "EU");
    EXPECT_TRUE(Server().GetContragentParams("nobody").Empty());

    Exec(
        "INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentDate, DueDate, Remaining) "
        "VALUES ('P1', 'DEMO', 6, 'V03', 46000, 46015, 120.5), ('P2', 'DEMO', 6, 'V03', 46020, 46050, 30)");
    const TRequestResult due = Server().GetContragentPurchDue("V03", TDateTime(46030).Format("yyyymmdd"));
    EXPECT_DOUBLE_EQ(due.ByName("PurchDue").AsFloat(), 150.5);
    EXPECT_DOUBLE_EQ(due.ByName("OverDue").AsFloat(), 120.5);
    EXPECT_EQ(due.ByName("OpenDocuments").AsInteger(), 2);
    EXPECT_THROW(Server().GetContragentPurchDue("V03", "2026-01-01"), std::invalid_argument);

    // The last price paid to this vendor: the newest of its invoices, not another vendor's.
    Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentDate, Annul) VALUES "
         "('S1', 'DEMO', 6, 'V02', 46000, 0), ('S2', 'DEMO', 6, 'V02', 46010, 0), ('S3', 'DEMO', 6, 'V01', 46020, 0);"
         "INSERT INTO D_PurchInvoiceLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, DirectUnitCost_ACY) VALUES "
         "('S1', 'S1-1', 'DEMO', 1, 1, '1005', 1.30), ('S2', 'S2-1', 'DEMO', 1, 1, '1005', 1.42), "
         "('S3', 'S3-1', 'DEMO', 1, 1, '1005', 9.99)");
    const TRequestResult item = Server().GetItemParams(
        {"1005", "V02", "PACK", "", "DOM", "VAT20", 0, "520", 1.0, TDateTime::FromDate(2026, 2, 1), 10.0, 1.0, "L1", "BG-SOF"});
    EXPECT_EQ(item.ByName("Name").AsString(), "Захар кристална, 1 кг");
    EXPECT_DOUBLE_EQ(item.ByName("QtyPerUnitOfMeasure").AsFloat(), 10.0);
    EXPECT_DOUBLE_EQ(item.ByName("VATPercent").AsFloat(), 20.0);
    EXPECT_NEAR(item.ByName("VendorPrice").AsFloat(), 13.5, 1e-9);
    EXPECT_DOUBLE_EQ(item.ByName("LastPurchasePrice").AsFloat(), 1.42);
}

}  // namespace
}  // namespace tavrek::testing
