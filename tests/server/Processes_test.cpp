// Several client processes on one company file, and processes killed in the middle of a call.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <set>

#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "server/CompanyDatabase.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"
#include "support/DataSetBuilder.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

constexpr int kLinesPerDocument = 2000;

// Runs body in a child process; the child's exit code is 0 when body returned normally.
template <typename Body>
pid_t Spawn(Body&& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 0;
        try {
            body();
        } catch (const std::exception& e) {
            std::cerr << "child " << ::getpid() << ": " << e.what() << '\n';
            code = 3;
        }
        ::_exit(code);
    }
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void KillAfter(pid_t pid, int microseconds) {
    ::usleep(static_cast<useconds_t>(microseconds));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// Saves documents of kLinesPerDocument lines, one server call each, until killed.
void SaveDocumentsForever(const std::string& path) {
    server::EmbeddedServer server(path);
    server::SignInDemoUser(server);
    for (int n = 0; n < 1000; ++n) {
        TClientDataSet header, lines;
        server.RequestData("D_PurchHeader", TFilter().Add("Id", "=", ""), header);
        server.RequestData("D_PurchaseLine", TFilter().Add("Master_Id", "=", ""), lines);
        const std::string id = "K" + std::to_string(::getpid()) + "-" + std::to_string(n);
        AppendRecord(header, {{"Id", id}, {"Comp_Id", "DEMO"}, {"DocumentType", 1}});
        for (int i = 1; i <= kLinesPerDocument; ++i)
            AppendRecord(lines, {{"Id", id + "-" + std::to_string(i)}, {"Master_Id", id}, {"Line_No", i}, {"Quantity", i}});
        std::string error, number;
        server.ApplyUpdates({{"D_PurchHeader", &header}, {"D_PurchaseLine", &lines}}, error);
        server.GetNextSerieNo("ORDER", "BG-SOF", number);
    }
}

constexpr int kInvoiceLines = 20;
// Line n of every invoice: n pieces at 1.25 and 20 % VAT, so an invoice is 262.50 + 52.50.
constexpr double kInvoiceTotal = 262.50, kInvoiceVAT = 52.50;

// An invoice of a domestic vendor saved as a client saves it, ready to post.
void SaveInvoice(server::EmbeddedServer& server, const std::string& id) {
    TClientDataSet header, lines;
    server.RequestData("D_PurchHeader", TFilter().Add("Id", "=", ""), header);
    server.RequestData("D_PurchaseLine", TFilter().Add("Master_Id", "=", ""), lines);
    AppendRecord(header, {{"Id", id}, {"Comp_Id", "DEMO"}, {"DocumentType", 1}, {"DocSubType_Id", "SD-520"},
                    {"Contragent_Id", "V01"}, {"VendorInvoiceNo", id}, {"DocumentDate", TDateTime::FromDate(2026, 11, 20)},
                    {"CntrPostingGroup_Id", "SUP-DOM"}, {"GenBusPostGroup_Id", "DOM"}, {"VATBusPostGroup_Id", "DOM"},
                    {"BusinessGroup_Id", "BG-SOF"}});
    for (int n = 1; n <= kInvoiceLines; ++n) {
        AppendRecord(lines, {{"Id", id + "-" + std::to_string(n)}, {"Master_Id", id}, {"Comp_Id", "DEMO"}, {"Line_No", n},
                       {"Type", 1}, {"Code", std::to_string(1000 + n)}, {"Quantity", double(n)},
                       {"QtyPerUnitOfMeasure", 1.0}, {"Quantity_Base", double(n)}, {"DirectUnitCost_ACY", 1.25},
                       {"TotalValue", 1.25 * n}, {"VATPercent", 20.0}, {"VATBusPostGroup_Id", "DOM"},
                       {"VATProdPostGroup_Id", "VAT20"}});
    }
    std::string error;
    if (server.ApplyUpdates({{"D_PurchHeader", &header}, {"D_PurchaseLine", &lines}}, error) != 0)
        throw std::runtime_error(error);
}

// Client processes of one company, each with its own server, started at the same moment.
class ProcessesTest : public SqliteFixture {
protected:
    // Runs body(child) in count processes and returns their exit codes.
    template <typename Body>
    std::vector<int> RunTogether(int count, Body body) {
        // A child inherits SQLite's locks as they are at the fork: the server's log copier must
        // not be inside SQLite then, so the server is closed and opened again without it.
        Reopen();
        int gate[2];
        EXPECT_EQ(::pipe(gate), 0);
        std::vector<pid_t> children;
        for (int child = 0; child < count; ++child) {
            children.push_back(Spawn([&, child] {
                ::close(gate[1]);
                char ignored;
                while (::read(gate[0], &ignored, 1) > 0) {
                }
                server::EmbeddedServer server(DatabasePath());
                server.SetSession(Server().Session());
                body(server, child);
            }));
        }
        ::close(gate[0]);
        ::close(gate[1]);  // every child reads end of file now
        std::vector<int> codes;
        for (pid_t pid : children) codes.push_back(ExitCode(pid));
        return codes;
    }
};

TEST_F(ProcessesTest, TenProcessesTakeDistinctNumbersFromOneSeries) {
    constexpr int kProcesses = 10, kEach = 1000;
    const std::vector<int> codes = RunTogether(kProcesses, [&](server::EmbeddedServer& server, int child) {
        std::ofstream file(TempPath("numbers-" + std::to_string(child) + ".txt"));
        for (int i = 0; i < kEach; ++i) {
            std::string number;
            if (server.GetNextSerieNo("PINV", "BG-SOF", number) != 0) throw std::runtime_error("refused");
            file << number << '\n';
        }
    });
    EXPECT_EQ(codes, std::vector<int>(kProcesses, 0));
    std::set<std::string> numbers;
    for (int child = 0; child < kProcesses; ++child) {
        std::ifstream file(TempPath("numbers-" + std::to_string(child) + ".txt"));
        for (std::string line; std::getline(file, line);) numbers.insert(line);
    }
    EXPECT_EQ(numbers.size(), size_t{kProcesses * kEach});
    EXPECT_EQ(*numbers.rbegin(), "0000010000");
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PINV'").AsInteger(), kProcesses * kEach);
}

TEST_F(ProcessesTest, TwoProcessesPostingOneInvoiceAtOncePostItOnce) {
    SaveInvoice(Server(), "TWICE");
    const std::vector<int> codes = RunTogether(2, [&](server::EmbeddedServer& server, int child) {
        TVariantArray keys;
        if (server.PostPurchase("TWICE", keys) == 0) return;
        std::ofstream(TempPath("refusal-" + std::to_string(child) + ".txt")) << server.LastRefusalText();
        ::_exit(1);
    });
    ASSERT_EQ(std::multiset<int>(codes.begin(), codes.end()), (std::multiset<int>{0, 1}));
    std::string refusal;
    std::getline(std::ifstream(TempPath(codes[0] == 1 ? "refusal-0.txt" : "refusal-1.txt")), refusal);
    EXPECT_EQ(Count("S_Messages", "Text = '" + refusal + "'"), 1) << refusal;
    const std::string posted = "(SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = 'TWICE')";
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "SrcDocument_Id = 'TWICE'"), 1);
    EXPECT_EQ(Count("D_PurchInvoiceLine", "Master_Id IN " + posted), kInvoiceLines);
    EXPECT_EQ(Count("G_ContragentEntry", "Document_Id IN " + posted), 1);
    EXPECT_EQ(Count("D_PurchHeader", "Id = 'TWICE'"), 0);
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PINV'").AsInteger(), 1);
}

// The second annulment waits for the first and finds the invoice annulled: its entries are
// reversed once.
TEST_F(ProcessesTest, TwoProcessesAnnullingOneInvoiceAtOnceAnnulItOnce) {
    SaveInvoice(Server(), "UNDO");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase("UNDO", keys), 0) << Server().LastRefusalText();
    const std::string posted = keys.at(0).AsString();
    const std::vector<int> codes = RunTogether(2, [&](server::EmbeddedServer& server, int) {
        Variant unapplied;
        if (server.AnnulDocument(posted, 0, "twice", TDateTime::FromDate(2026, 11, 21), 0, unapplied) == 0) return;
        if (server.LastRefusalText() != server.GetMessageText("err_AnnulAlreadyAnnulled")) throw std::runtime_error("refused");
        ::_exit(1);
    });
    EXPECT_EQ(std::multiset<int>(codes.begin(), codes.end()), (std::multiset<int>{0, 1}));
    EXPECT_EQ(Count("G_ContragentEntry", "Document_Id = '" + posted + "'"), 2);
    EXPECT_EQ(Count("G_ItemEntry", "Document_Id = '" + posted + "'"), 2 * kInvoiceLines);
    EXPECT_NEAR(Value("SELECT SUM(Amount) FROM G_LEntry WHERE Document_Id = '" + posted + "'").AsFloat(), 0.0, 0.005);
}

// The first half of the postings takes its transactions from the company's transaction series,
// the second from the company's own counter, which goes on after the series.
TEST_F(ProcessesTest, TenProcessesPostingAHundredInvoicesEachNumberEveryOneOnceAndToTheCent) {
    constexpr int kProcesses = 10, kEach = 50;
    for (const char* transactions : {"series", "counter"}) {
        SCOPED_TRACE(transactions);
        if (transactions == std::string("counter")) Exec("UPDATE C_CompanySetup SET Transaction_Series_Id = NULL");
        const std::vector<int> codes = RunTogether(kProcesses, [&](server::EmbeddedServer& server, int child) {
            for (int i = 0; i < kEach; ++i) {
                const std::string id = std::string(transactions) + std::to_string(child) + "-" + std::to_string(i);
                SaveInvoice(server, id);
                TVariantArray keys;
                if (server.PostPurchase(id, keys) != 0) throw std::runtime_error(server.LastRefusalText());
            }
        });
        EXPECT_EQ(codes, std::vector<int>(kProcesses, 0));
    }
    const int invoices = 2 * kProcesses * kEach;
    EXPECT_EQ(Count("D_PurchHeader"), 0);
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT DocumentNo) FROM D_PurchInvoiceHeader").AsInteger(), invoices);
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT TransactionNo) FROM D_PurchInvoiceHeader").AsInteger(), invoices);
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT TransactionNo) FROM G_LEntry WHERE TransactionNo > 0").AsInteger(), invoices);
    EXPECT_EQ(Value("SELECT MAX(DocumentNo) FROM D_PurchInvoiceHeader").AsString(), "0000001000");
    EXPECT_EQ(Count("D_PurchInvoiceLine"), invoices * kInvoiceLines);
    // Every invoice on its own: header, lines, vendor entry and balanced general ledger agree.
    EXPECT_EQ(Count("D_PurchInvoiceHeader h",
                    "ABS(h.TotalValue - " + std::to_string(kInvoiceTotal) + ") > 0.001 OR ABS(h.VATValue - " +
                        std::to_string(kInvoiceVAT) +
                        ") > 0.001 OR ABS((SELECT SUM(l.TotalValue) FROM D_PurchInvoiceLine l WHERE l.Master_Id = h.Id) - "
                        "h.TotalValue) > 0.001 OR (SELECT COUNT(*) FROM G_ContragentEntry c WHERE c.Document_Id = h.Id "
                        "AND ABS(c.Amount + h.TotalVAT) < 0.001) <> 1 OR ABS((SELECT SUM(g.Amount) FROM G_LEntry g "
                        "WHERE g.Document_Id = h.Id)) > 0.001"),
              0);
}

// Two buyers receive and invoice one order through buffers of their own while they post
// invoices of the same items: every posting goes through (what meets a lock is retried), each
// buffer moves the order once, and the books balance.
TEST_F(ProcessesTest, TwoProcessesReceivingOneOrderAndPostingInvoicesOfItsItemsBookEveryOneOnce) {
    constexpr int kEach = 50;
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, DocumentDate, "
         "CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES ('O1', 'DEMO', 22, "
         "'SD-510', 'ORD-1', 'V01', 46340, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
         "Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
         "('O1', 'DEMO', 'O1-1', 1, 1, '1001', 1000, 1, 1000, 1.25, 1250, 20, 'DOM', 'VAT20'), "
         "('O1', 'DEMO', 'O1-2', 2, 1, '1002', 1000, 1, 1000, 1.25, 1250, 20, 'DOM', 'VAT20')");
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < kEach; ++i) {
            const std::string id = "B" + std::to_string(child) + "-" + std::to_string(i);
            Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
                 "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
                 "BusinessGroup_Id, AppliesToDoc_Id) VALUES ('" + id + "', 'DEMO', 23, 'SD-580', 'V01', 'F-" + id +
                 "', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 'O1')");
            Exec("INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                 "QtyPerUnitOfMeasure, DirectUnitCost_ACY, TotalPrice, TotalValue, VATBaseAmount, VATValue, TotalVAT, "
                 "VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, GenProdPostGroup_Id, OrderLine_Id) SELECT '" + id +
                 "', '" + id + "-' || Line_No, 'DEMO', Line_No, 1, Code, 2, 1, 1.25, 2.5, 2.5, 2.5, 0.5, 3, 20, 'DOM', "
                 "'VAT20', 'GOODS', Id FROM D_PurchaseLine WHERE Master_Id = 'O1'");
        }
    const std::vector<int> codes = RunTogether(2, [&](server::EmbeddedServer& server, int child) {
        for (int i = 0; i < kEach; ++i) {
            TVariantArray keys;
            const std::string buffer = "B" + std::to_string(child) + "-" + std::to_string(i);
            constexpr int kReceiveAndInvoice = 4;
            if (server.PostPurchOrder(buffer, keys, kReceiveAndInvoice) < 0)
                throw std::runtime_error(buffer + ": " + server.LastRefusalText());
            const std::string invoice = "P" + std::to_string(child) + "-" + std::to_string(i);
            SaveInvoice(server, invoice);
            if (server.PostPurchase(invoice, keys) != 0) throw std::runtime_error(invoice + ": " + server.LastRefusalText());
        }
    });
    EXPECT_EQ(codes, std::vector<int>(2, 0));
    EXPECT_EQ(Count("D_PurchaseLine", "Master_Id = 'O1' AND ReceivedQty = 200 AND InvoicedQty = 200"), 2);
    EXPECT_EQ(Count("D_PurchOrderBufHeader"), 0);
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT DocumentNo) FROM D_PurchInvoiceHeader").AsInteger(), 4 * kEach);
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT TransactionNo) FROM D_PurchInvoiceHeader").AsInteger(), 4 * kEach);
    EXPECT_EQ(Count("D_PurchInvoiceHeader h", "ABS((SELECT SUM(g.Amount) FROM G_LEntry g WHERE g.Document_Id = h.Id)) > 0.001"),
              0);
}

TEST_F(ProcessesTest, KilledProcessLeavesEveryCallWholeOrNotAtAll) {
    for (const int delay : {2000, 15000, 40000, 90000, 160000, 260000}) {
        KillAfter(Spawn([&] { SaveDocumentsForever(DatabasePath()); }), delay);
    }
    // However slow the machine, the last child is killed only after it has saved something.
    const pid_t last = Spawn([&] { SaveDocumentsForever(DatabasePath()); });
    for (int waited = 0; waited < 3000 && Count("D_PurchHeader") < 2; ++waited) ::usleep(10000);
    KillAfter(last, 7000);
    Reopen();
    EXPECT_EQ(server::CheckIntegrity(Server().Database()), "ok");
    const int64_t documents = Count("D_PurchHeader");
    EXPECT_GT(documents, 0);
    EXPECT_EQ(Count("D_PurchaseLine"), documents * kLinesPerDocument);
    EXPECT_EQ(Count("D_PurchHeader h", "(SELECT COUNT(*) FROM D_PurchaseLine l WHERE l.Master_Id = h.Id) <> " +
                                           std::to_string(kLinesPerDocument)),
              0);
    // The file still serves: a new document saves after the crashes.
    std::string number;
    EXPECT_EQ(Server().GetNextSerieNo("ORDER", "BG-SOF", number), 0);
}

TEST_F(ProcessesTest, KilledDemoCreationLeavesNoHalfCompany) {
    const auto checkWhole = [this](const std::string& path) {
        server::EmbeddedServer server(path);
        server::SignInDemoUser(server);
        TRequestResult rows;
        EXPECT_EQ(server.RequestValue(0, "N_Item", "Id", TFilter(), rows), 50);
        EXPECT_EQ(server.RequestValue(0, "S_Messages", "Id", TFilter(), rows), Count("S_Messages"));
    };
    for (const int delay : {500, 3000, 10000, 30000}) {
        const std::string path = TempPath("killed-" + std::to_string(delay) + ".db");
        KillAfter(Spawn([&] { server::CreateDemoCompany(path); }), delay);
        try {
            checkWhole(path);  // the creation may have finished before the kill
        } catch (const server::ECompanyDatabaseError& e) {
            SCOPED_TRACE(e.what());  // or left no company at all
        }
    }
    const std::string finished = TempPath("finished.db");
    ASSERT_EQ(ExitCode(Spawn([&] { server::CreateDemoCompany(finished); })), 0);
    checkWhole(finished);
}

}  // namespace
}  // namespace tavrek::testing
