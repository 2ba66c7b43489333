#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "documents/uEdPurchase.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"
#include "server/posting/TPurchasePosting.h"
#include "support/DemoInvoice.h"
#include "support/GoldenTable.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek {
namespace {

// An invoice of a domestic vendor typed in the editor and saved, ready to post.
class PurchasePostingEndToEnd : public testing::SqliteFixture {
protected:
    PurchasePostingEndToEnd() {
        form.Create();
        form.Show();
        id = testing::SaveDemoInvoice(form, "0000012345", "VAT20");
    }

    // What a posting may leave behind: the open invoice or the posted one, whole.
    struct TState {
        int64_t OpenHeaders, OpenLines, PostedHeaders, PostedLines, VendorEntries, VATEntries, ItemEntries, GLEntries,
            Annulled, LastNo;
        bool operator==(const TState&) const = default;
    };
    TState State() {
        const std::string posted = "(SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = '" + id + "')";
        return {Count("D_PurchHeader", "Id = '" + id + "'"),
                Count("D_PurchaseLine", "Master_Id = '" + id + "'"),
                Count("D_PurchInvoiceHeader", "SrcDocument_Id = '" + id + "'"),
                Count("D_PurchInvoiceLine", "Master_Id IN " + posted),
                Count("G_ContragentEntry", "Document_Id IN " + posted),
                Count("G_VATEntry", "Document_Id IN " + posted),
                Count("G_ItemEntry", "Document_Id IN " + posted),
                Count("G_LEntry", "Document_Id IN " + posted),
                Count("D_PurchInvoiceHeader", "SrcDocument_Id = '" + id + "' AND Annul = 1"),
                Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PINV'").AsInteger()};
    }
    static constexpr TState kOpen{1, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    // Two item lines into stock, their VAT and the vendor: four ledger lines.
    static constexpr TState kPosted{0, 0, 1, 2, 1, 1, 2, 4, 0, 1};
    static constexpr TState kAnnulled{0, 0, 1, 2, 2, 2, 4, 8, 1, 1};

    // Runs call in a child process on a server whose posting kills the process at step.
    template <typename Call>
    void KilledAt(const char* step, Call call) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string at = step;
            server::EmbeddedServer killed(DatabasePath(), std::make_unique<server::TPurchasePosting>([at](const char* name) {
                if (at == name) ::kill(::getpid(), SIGKILL);
            }));
            killed.SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
            call(killed);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        Reopen();
    }

    std::string PostedId() {
        return Value("SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = '" + id + "'").AsString();
    }

    testing::HeadlessFormHost host;
    TfEdPurchase form;
    std::string id;
};

TEST_F(PurchasePostingEndToEnd, RefusedPostingShowsWhyAndChangesNothing) {
    const std::string restore = "UPDATE D_PurchHeader SET VendorInvoiceNo = '0000012345', CheckStatus = 0, "
                                "Currency_Id = NULL, CurrencyFactor = 1; UPDATE S_NoSeries SET LastNo = 0, EndingNo = NULL; "
                                "DELETE FROM D_PurchaseLine WHERE Id = 'ADV'";
    for (const testing::TGoldenCase& c : testing::ReadGoldenCases("documents/invoice_posting_refused.txt")) {
        SCOPED_TRACE(c.Name);
        Exec(c.Text("Spoil"));
        const TState before = State();
        TVariantArray keys;
        EXPECT_LT(Server().PostPurchase(id, keys), 0);
        EXPECT_TRUE(keys.empty());
        EXPECT_EQ(State(), before);
        EXPECT_EQ(before.PostedHeaders + before.VendorEntries, 0);
        EXPECT_NE(Server().LastRefusalText().find(c.Text("Shown")), std::string::npos) << Server().LastRefusalText();
        Exec(restore);
    }
}

// A refused posting leaves what was there before it: a saved draft stays as saved; a new
// invoice posted at once is saved in the posting's own transaction, so it leaves no draft and
// draws no number, and the editor keeps what was typed, unsaved.
TEST_F(PurchasePostingEndToEnd, TheEditorShowsTheRefusalAndLeavesNothingNew) {
    Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, Contragent_Id, VendorInvoiceNo, Annul) "
         "VALUES ('OLD', 'DEMO', 6, 'V03', '0000012345', 0)");
    const struct {
        const char* name;
        bool typedAnew;
        const char* vendorInvoiceNo;
        int lines;
        const char* shown;
    } cases[] = {
        {"saved draft of a posted vendor invoice", false, "", 0, "вече е осчетоводена"},
        {"new invoice without lines", true, "0000077777", 0, "няма редове"},
        {"new invoice without the vendor's number", true, "", 1, "номера на фактурата на доставчика"},
        {"new invoice of a posted vendor invoice", true, "0000012345", 2, "вече е осчетоводена"},
    };
    const auto drafts = [this] { return Count("D_PurchHeader") + Count("D_PurchaseLine"); };
    const auto drawn = [this] { return Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'INV'").AsInteger(); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.typedAnew) {
            form.CancelDocument();
            form.acInsertRecord.Execute();
            TClientDataSet& h = form.cdsMaster;
            h.FieldByName("DocSubType_Id").SetAsString("SD-520");
            ASSERT_TRUE(form.EnterFieldValue(h, h.FieldByName("N_Contragent_Code"), Variant("5003")));
            h.FieldByName("VendorInvoiceNo").SetAsString(c.vendorInvoiceNo);
            for (int line = 0; line < c.lines; ++line) {
                form.cdsDetail.Append();
                form.cdsDetail.FieldByName("Type").SetAsInteger(1);
                ASSERT_TRUE(form.EnterFieldValue(form.cdsDetail, form.cdsDetail.FieldByName("Code"), Variant("1008")));
                form.cdsDetail.FieldByName("Quantity").SetAsFloat(2.0 + line);
            }
        }
        const int64_t draftsBefore = drafts(), drawnBefore = drawn();
        const std::string typedId = form.cdsMaster.FieldByName("Id").AsString();
        dialogs.ExpectMessage(mrOk, c.shown);
        form.acPostDocument.Execute();
        EXPECT_EQ(drafts(), draftsBefore);
        EXPECT_EQ(drawn(), drawnBefore) << "no draft number is drawn for nothing";
        EXPECT_EQ(Count("D_PurchInvoiceHeader"), 1);
        EXPECT_EQ(form.cdsMaster.FieldByName("Id").AsString(), typedId);
        EXPECT_EQ(form.HasChanges(), c.typedAnew);
        EXPECT_EQ(form.cdsDetail.RecordCount(), c.typedAnew ? c.lines : 2);
        EXPECT_EQ(form.cdsMaster.FieldByName("DocumentNo").AsString().empty(), c.typedAnew);
    }
    const std::string typedId = form.cdsMaster.FieldByName("Id").AsString();
    form.cdsMaster.Edit();
    form.cdsMaster.FieldByName("VendorInvoiceNo").SetAsString("0000077777");
    dialogs.ExpectMessage(mrOk, "0000000001");
    form.acPostDocument.Execute();
    EXPECT_FALSE(form.HasChanges());
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "VendorInvoiceNo = '0000077777' AND DocumentNo = '0000000001' AND "
                                            "PreAssignedNo = '0000000002' AND SrcDocument_Id = '" +
                                                typedId + "'"),
              1) << "posted from its own series, beside the draft's number";
}

TEST_F(PurchasePostingEndToEnd, PrintingAnOpenInvoiceUsesThePrintFormOfItsSubtype) {
    form.acPrint.Execute();
    ASSERT_FALSE(host.Prints().empty());
    EXPECT_EQ(host.Prints().back().PrintFormCode, server::kPurchInvoicePrintForm);
    EXPECT_EQ(host.Prints().back().Keys.at(0).AsString(), id);
}

TEST_F(PurchasePostingEndToEnd, PostAndPrintRecordsThePrintOfThePostedInvoice) {
    dialogs.ExpectMessage(mrOk, "Фактура № 0000000001 е осчетоводена.");
    form.acPostAndPrintDocument.Execute();
    EXPECT_EQ(State(), kPosted);
    ASSERT_EQ(host.Prints().size(), 1u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, TfEdPurchase::kPostedInvoicePrintForm);
    ASSERT_EQ(host.Prints()[0].Keys.size(), 2u);
    EXPECT_EQ(host.Prints()[0].Keys[1].AsString(), "0000000001");
    EXPECT_EQ(Value("SELECT DocumentNo FROM D_PurchInvoiceHeader WHERE Id = '" + host.Prints()[0].Keys[0].AsString() + "'")
                  .AsString(),
              "0000000001");
}

TEST_F(PurchasePostingEndToEnd, AProtocolIsMadeFromTheInvoiceOnceAndPostedWithItsVAT) {
    host.ScriptExternal(11001, 0);
    dialogs.ExpectMessage(mrOk);
    dialogs.ExpectMessage(mrOk, "Протокол № 0000000001 е създаден.");
    form.acGenerateProtocol.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    const std::string protocol = host.ExternalRequests()[0].Filter.Conditions().at(0).Value.AsString();
    EXPECT_EQ(Count("D_GlobalPurchHeader", "Id = '" + protocol + "' AND DocumentType = 40 AND AppliesToDoc_Id = '" + id +
                                               "' AND ToInvoiceNo = '0000012345'"),
              1);
    EXPECT_EQ(Count("D_GlobalPurchLine", "Master_Id = '" + protocol + "'"), 2);

    dialogs.ExpectMessage(mrOk, "вече има протокол");
    form.acGenerateProtocol.Execute();
    EXPECT_EQ(host.ExternalRequests().size(), 1u) << "a second protocol is refused";

    const int64_t entries = Count("G_LEntry") + Count("G_VATEntry");
    for (const char* step : {"numbered", "lines", "ledgers", "removed"}) {
        SCOPED_TRACE(step);
        KilledAt(step, [&](server::EmbeddedServer& killed) {
            TVariantArray unused;
            killed.PostPurchProtocol(protocol, 0, unused);
        });
        EXPECT_EQ(Count("D_GlobalPurchLine", "Master_Id = '" + protocol + "'"), 2);
        EXPECT_EQ(Count("G_LEntry") + Count("G_VATEntry"), entries);
    }
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchProtocol(protocol, 0, keys), 0);
    const std::string posted = "'" + keys.at(0).AsString() + "'";
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "Id = " + posted + " AND IsGlobalInvoice = 1 AND GlobDocIsPosted = 1 AND "
                                           "TotalValue = 34 AND ABS(VATValue - 6.8) < 0.001 AND Remaining = 0"),
              1);
    EXPECT_NEAR(Value("SELECT COALESCE(SUM(Amount), 0) FROM G_VATEntry WHERE Document_Id = " + posted).AsFloat(), 6.8, 1e-9);
    EXPECT_EQ(Count("G_ContragentEntry", "Document_Id = " + posted), 0) << "a protocol is no debt to the vendor";
    EXPECT_EQ(Count("D_GlobalPurchHeader", "Id = '" + protocol + "'"), 0);
    EXPECT_LT(Server().PostPurchProtocol(protocol, 0, keys), 0);
}

// The posting runs in a child process that is killed at one of its steps; the company file
// must then hold the open invoice untouched, or (killed after the commit) the posted one.
TEST_F(PurchasePostingEndToEnd, AKilledPostingLeavesTheOpenOrThePostedDocumentNeverBothNorHalf) {
    for (const char* step : {"numbered", "header", "lines", "ledgers", "removed"}) {
        SCOPED_TRACE(step);
        KilledAt(step, [this](server::EmbeddedServer& killed) {
            TVariantArray keys;
            killed.PostPurchase(id, keys);
        });
        EXPECT_EQ(State(), kOpen);
    }
    TVariantArray keys;
    EXPECT_EQ(Server().PostPurchase(id, keys), 0);
    EXPECT_EQ(State(), kPosted);
}

TEST_F(PurchasePostingEndToEnd, AKilledAnnulmentLeavesThePostedDocumentWholeOrItsStornoWhole) {
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase(id, keys), 0);
    const std::string posted = PostedId();
    const TDateTime date = TDateTime::FromDate(2030, 1, 2);
    for (const char* step : {"annul-checked", "annul-entries", "annul-marked"}) {
        SCOPED_TRACE(step);
        KilledAt(step, [&](server::EmbeddedServer& killed) {
            Variant output;
            killed.AnnulDocument(posted, 0, "", date, 0, output);
        });
        EXPECT_EQ(State(), kPosted);
    }
    Variant output;
    EXPECT_EQ(Server().AnnulDocument(posted, 0, "Грешка", date, 0, output), 0);
    EXPECT_EQ(State(), kAnnulled);
    EXPECT_EQ(Value("SELECT COALESCE(SUM(Amount), 0) FROM G_LEntry WHERE Document_Id = '" + posted + "'").AsFloat(), 0.0);
}

TEST_F(PurchasePostingEndToEnd, PaymentsAppliedToTheInvoiceAreUnappliedOnlyWhenAsked) {
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase(id, keys), 0);
    const std::string posted = PostedId();
    Exec("INSERT INTO G_ContragentEntryDetail (Id, Comp_Id, ContragentEntry_Id, DocumentType, EntryType, Amount) "
         "SELECT 'PAY-1', 'DEMO', Id, 1, 1, 20 FROM G_ContragentEntry WHERE Document_Id = '" + posted + "'");
    const TDateTime date = TDateTime::FromDate(2030, 1, 2);
    Variant output;
    EXPECT_LT(Server().AnnulDocument(posted, 0, "", date, 0, output), 0);
    EXPECT_NE(Server().LastRefusalText().find("плащания"), std::string::npos) << Server().LastRefusalText();
    EXPECT_EQ(State(), kPosted);
    EXPECT_EQ(Server().AnnulDocument(posted, 0, "", date, 1, output), 0);
    EXPECT_EQ(output.AsFloat(), 20.0);
    EXPECT_EQ(Count("G_ContragentEntryDetail"), 0);
    EXPECT_EQ(State(), kAnnulled);
}

}  // namespace
}  // namespace tavrek
