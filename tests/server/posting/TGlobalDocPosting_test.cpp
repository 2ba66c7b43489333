// Global documents on the company's engine: consolidated from posted documents, posted into
// the VAT ledger and the books, annulled and consolidated again; the refusals that leave
// everything as it was; and two sessions consolidating the same invoices at once.
#include <gtest/gtest.h>

#include <thread>

#include "base/server/ServerQueries.h"
#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/posting/TBooksCheck.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// How a kind of global document is made from its selector's lines, posted and annulled.
struct TGlobalKind {
    std::string Name;
    int OpenType;
    const char* SubType;
    const char* VendorNo;
    const char* Selector;
    const char* OutOfLedger;
    const char* Flag;
    const char* Taken;
    const char* RecalcSide;
    int Marker;
};

const TGlobalKind kKinds[] = {
    {"invoice", 3, "SD-570", "VendorInvoiceNo", "dv_PurchInvoiceLineSelect", "DoNotIncInVATLedger", "IsGlobalInvoice",
     "GlobalInvoiceNo", "3", 0},
    {"crmemo", 15, "SD-575", "VendorCreditMemoNo", "dv_PurchCrMemoLineSelect", "NotIncludeVatLedger", "IsGlobalCrMemo",
     "GlobalCrMemoNo", "5", 1},
    {"protocol", 40, "SD-560", "VendorInvoiceNo", "dv_PurchInvoiceLineSelect", "DoNotIncInVATLedger", "IsGlobalInvoice",
     "GlobalInvoiceNo", "3", 0},
};

const TGlobalKind& Kind(const std::string& name) {
    for (const TGlobalKind& kind : kKinds)
        if (kind.Name == name) return kind;
    throw std::invalid_argument("no global kind " + name);
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

class GlobalDocPostingTest : public SqliteFixture {
protected:
    // An open invoice or credit memo of the case's vendor kept out of the VAT ledger, posted
    // when the first global document is made.
    void AddSource(const TGoldenCase& c, const TGoldenRow& row) {
        const bool invoice = row.Text("Kind") == "invoice";
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "VendorCreditMemoNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, DoNotIncInVATLedger) VALUES (" + Quoted(row.Text("Doc")) + ", 'DEMO', " +
             (invoice ? "1, 'SD-520', " : "11, 'SD-540', ") + Quoted(c.Text("Vendor")) + ", " +
             (invoice ? Quoted(row.Text("No")) + ", NULL" : "NULL, " + Quoted(row.Text("No"))) + ", 46345, " +
             Quoted(c.Text("Cntr")) + ", " + Quoted(c.Text("Bus")) + ", " + Quoted(c.Text("Bus")) + ", 'BG-SOF', 1)");
        sources_.push_back({row.Text("Doc"), invoice});
    }

    void AddSourceLine(const TGoldenCase& c, const TGoldenRow& row) {
        const std::string doc = row.Text("Doc"), value = std::to_string(row.Number("Value"));
        const std::string no = std::to_string(++lineNo_);
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "DirectUnitCost_ACY, DirectUnitCost, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) "
             "VALUES (" + Quoted(doc) + ", " + Quoted(doc + "-" + no) + ", 'DEMO', " + no + ", 1, " +
             Quoted(row.Text("Code")) + ", 1, 1, " + value + ", " + value + ", " + value + ", " +
             (row.Text("Prod") == "VAT20" ? "20" : "9") + ", " + Quoted(c.Text("Bus")) + ", " +
             Quoted(row.Text("Prod")) + ")");
    }

    void PostSources() {
        for (const auto& [id, invoice] : sources_) {
            TVariantArray keys;
            ASSERT_EQ(invoice ? Server().PostPurchase(id, keys) : Server().PostPurchCrMemo(id, keys, 1), 0)
                << id << ": " << Server().LastRefusalText();
        }
        sources_.clear();
    }

    // What the editor does: the lines the selector offers taken over, the transaction number
    // drawn on the first save, the recalculation after it. A selector opened before another
    // buyer saved still offers the lines that buyer's open document holds.
    std::string Consolidate(const TGoldenCase& c, const TGoldenRow& row, bool openedBeforeOthersSaved = false) {
        const TGlobalKind& kind = Kind(row.Text("Kind"));
        const std::string id = "G" + std::to_string(++globals_);
        std::string transaction;
        EXPECT_EQ(Server().GetNextSerieNo("TRN", "", transaction), 0);
        const std::string lineBus = row.Has("LineBus") ? Quoted(row.Text("LineBus")) : "NULL";
        Exec("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, " +
             std::string(kind.VendorNo) + ", ToInvoiceNo, VATBusPostGroup_Id, BusinessGroup_Id, TransactionNo) VALUES (" +
             Quoted(id) + ", 'DEMO', " + std::to_string(kind.OpenType) + ", " + Quoted(kind.SubType) + ", " +
             Quoted(c.Text("Vendor")) + ", 46350, " + Quoted(row.Text("No")) + ", " + Quoted(row.Text("No")) + ", " +
             lineBus + ", 'BG-SOF', " + transaction + ")");
        Exec("INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, DirectUnitCost, "
             "TotalPrice, TotalValue, TotalValue_LCY, VATBaseAmount, VATPercent, VATProdPostGroup_Id, "
             "VATBusPostGroup_Id, SrcLine_Id) SELECT " + Quoted(id) + ", " + Quoted(id + ".") + " || v.Id, 'DEMO', "
             "ROW_NUMBER() OVER (ORDER BY v.DocumentNo, v.Line_No), v.Type, v.Code, v.Quantity, v.DirectUnitCost, "
             "v.TotalValue, v.TotalValue, v.TotalValue, v.TotalValue, v.VATPercent, v.VATProdPostGroup_Id, " + lineBus +
             ", v.Id FROM " + kind.Selector + " v WHERE v.Comp_Id = 'DEMO' AND v.Contragent_Id = " +
             Quoted(c.Text("Vendor")) + " AND v." + kind.OutOfLedger + " = 1 AND v.Annul = 0 AND COALESCE(v." +
             kind.Flag + ", 0) <> 1 AND (v." + kind.Taken + " IS NULL" +
             (openedBeforeOthersSaved ? " OR v." + std::string(kind.Taken) + " IN (SELECT Id FROM D_GlobalPurchHeader)" : "") +
             ")");
        EXPECT_EQ(Count("D_GlobalPurchLine", "Master_Id = " + Quoted(id)), row.Int("Lines"));
        EXPECT_EQ(Server().ExecuteSQLScript(FormatMessage(_c_query_RecalcDocument,
                                                          {Quoted(id), "'DEMO'", Quoted(kind.RecalcSide)})),
                  0);
        return id;
    }

    int Post(const TGlobalKind& kind, const std::string& id, int marker, std::string& posted) {
        TVariantArray keys;
        const int result = kind.OpenType == 40 ? Server().PostPurchProtocol(id, marker, keys)
                                               : Server().PostGlobalDoc(id, marker, keys);
        if (result == 0) posted = keys.at(0).AsString();
        return result;
    }

    int Annul(const TGlobalKind& kind, const std::string& posted, const std::string& date) {
        const TDateTime day = TDateTime::FromDate(std::stoi(date.substr(0, 4)), std::stoi(date.substr(5, 2)),
                                                  std::stoi(date.substr(8, 2)));
        return kind.OpenType == 40 ? Server().AnnulPurchProtocol(posted, kind.Marker, "грешка", day)
                                   : Server().AnnulGlobalDoc(posted, kind.Marker, "грешка", day, 0);
    }

    std::vector<std::string> BooksDifferences() {
        auto& db = Server().Database();
        return server::TBooksCheck([&](const std::string& sql, const TVariantArray& values) {
                   return server::SelectRows(db, sql, values);
               }).Differences();
    }

    int64_t Logged(const std::string& key) { return Count("S_ErrorLog", "Message LIKE '%(" + key + ")'"); }

    // Steps of a case in the order written; the global document posted last is {posted}.
    void Run(const TGoldenCase& c) {
        std::string open, posted;
        const TGlobalKind* kind = nullptr;
        for (const TGoldenRow& row : c.Rows) {
            SCOPED_TRACE(row.Kind + " " + row.Text("Sql"));
            if (row.Kind == "source") AddSource(c, row);
            if (row.Kind == "line") AddSourceLine(c, row);
            if (row.Kind == "global") {
                PostSources();
                kind = &Kind(row.Text("Kind"));
                open = Consolidate(c, row);
            }
            if (row.Kind == "post") {
                ASSERT_EQ(Post(*kind, open, kind->Marker, posted), 0) << Server().LastRefusalText();
            }
            if (row.Kind == "annul") {
                ASSERT_EQ(Annul(*kind, posted, row.Text("Date")), 0) << Server().LastRefusalText();
            }
            if (row.Kind == "books") {
                EXPECT_EQ(BooksDifferences(), std::vector<std::string>{});
            }
            if (row.Kind == "expect") {
                std::string sql = row.Text("Sql");
                if (const size_t at = sql.find("{posted}"); at != std::string::npos) sql.replace(at, 8, Quoted(posted));
                EXPECT_NEAR(Value(sql).AsFloat(), row.Number("Is"), 1e-9);
            }
        }
    }

    std::vector<std::pair<std::string, bool>> sources_;
    int lineNo_ = 0, globals_ = 0;
};

TEST_F(GlobalDocPostingTest, ScenariosWorkedByHand) {
    for (const TGoldenCase& c : ReadGoldenCases("server/global_documents.txt")) {
        SCOPED_TRACE(c.Name);
        Run(c);
        for (const char* table : {"G_LEntry", "G_VATEntry", "G_ContragentEntry", "G_ItemEntry", "D_GlobalSourceLine",
                                  "D_GlobalPurchLine", "D_GlobalPurchHeader", "D_PurchInvoiceLine", "D_PurchInvoiceHeader",
                                  "D_PurchCrMemoLine", "D_PurchCrMemoHeader"})
            Exec(std::string("DELETE FROM ") + table);
        Exec("UPDATE S_NoSeries SET LastNo = 0 WHERE Comp_Id = 'DEMO'");
    }
}

// Every refusal leaves the open global document, its sources and the books as they were.
TEST_F(GlobalDocPostingTest, RefusalsLeaveEverythingAsItWas) {
    const std::vector<TGoldenCase> cases = ReadGoldenCases("server/global_refusals.txt");
    Run(cases.front());
    for (size_t i = 1; i < cases.size(); ++i) {
        const TGoldenCase& c = cases[i];
        SCOPED_TRACE(c.Name);
        Exec(c.Text("Tamper"));
        const int64_t entries = Count("G_LEntry"), lines = Count("D_GlobalPurchLine"), logged = Logged(c.Text("Refused"));
        const std::string call = c.Text("Call");
        std::string posted;
        int result = 0;
        if (call == "post") result = Post(Kind(c.Text("Kind")), "G1", c.Int("Marker"), posted);
        if (call == "delete")
            result = Server().DeleteGlobalDoc(c.Has("IdOf") ? Value(c.Text("IdOf")).AsString() : "G1", c.Int("Marker"));
        if (call == "recalc")
            result = Server().ExecuteSQLScript(FormatMessage(_c_query_RecalcDocument, {"'G1'", "'DEMO'", "'5'"}));
        EXPECT_NE(result, 0);
        EXPECT_EQ(Logged(c.Text("Refused")), logged + 1);
        EXPECT_EQ(Count("G_LEntry"), entries);
        EXPECT_EQ(Count("D_GlobalPurchLine"), lines);
        EXPECT_EQ(Count("D_GlobalSourceLine") + Count("D_PurchInvoiceHeader", "GlobalInvoiceNo IS NOT NULL"), 0);
        Exec(c.Text("Undo"));
    }
}

// Two buyers take the same invoices into global invoices of their own; the check before
// posting lists the lines the other took, and of the two postings at once one goes through:
// the database holds each source line for one global document only.
TEST_F(GlobalDocPostingTest, TwoSessionsConsolidatingTheSameInvoicesPostOneGlobalInvoice) {
    const std::vector<TGoldenCase> cases = ReadGoldenCases("server/global_refusals.txt");
    const TGoldenCase& c = cases.front();
    Run(c);
    Consolidate(c, c.Row("global"), true);
    TRequestResult duplicates;
    EXPECT_EQ(Server().RequestValue(0, "fn_CheckGlobalDuplicateLine('DEMO','G1',1)", "Line_No,DocNo", {}, duplicates, true),
              2);
    server::EmbeddedServer other(DatabasePath());
    other.SetSession(Server().Session());
    int first = 0, second = 0;
    std::thread buyer([&] {
        TVariantArray keys;
        second = other.PostGlobalDoc("G2", 0, keys);
    });
    std::string posted;
    first = Post(Kind("invoice"), "G1", 0, posted);
    buyer.join();
    EXPECT_EQ((first == 0) + (second == 0), 1) << first << " " << second;
    EXPECT_EQ(Count("D_GlobalSourceLine"), 2);
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "DocumentType = 8"), 1);
    EXPECT_EQ(BooksDifferences(), std::vector<std::string>{});
    EXPECT_ANY_THROW(Exec("INSERT INTO D_GlobalSourceLine (SrcLine_Id, Comp_Id, Document_Id, Line_Id, SourceDocument_Id) "
                          "SELECT SrcLine_Id, Comp_Id, 'X', 'Y', SourceDocument_Id FROM D_GlobalSourceLine"));
}

}  // namespace
}  // namespace tavrek::testing
