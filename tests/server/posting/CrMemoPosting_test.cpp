// Credit memos of the demo company posted by the server after an invoice received ten
// yoghurts: the goods leave the oldest receipts first, and a refusal changes nothing.
#include <gtest/gtest.h>

#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class CrMemoPostingTest : public SqliteFixture {
protected:
    CrMemoPostingTest() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
             "VALUES ('B1', 'DEMO', 1, 'SD-520', 'V03', '9001', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('B1', 'B1-1', 'DEMO', 1, 1, '1008', 10, 1, 9.50, 20, 'DOM', 'VAT20')");
        TVariantArray keys;
        EXPECT_EQ(Server().PostPurchase("B1", keys), 0) << Server().LastRefusalText();
    }

    void ArrangeCrMemo(int documentType, double quantity, const std::string& appliesTo = "", const std::string& vendor = "V03",
                       const std::string& vendorNo = "CN-1") {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, ToInvoiceNo, "
             "VendorCreditMemoNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, AppliesToDoc_Id) VALUES ('C1', 'DEMO', " + std::to_string(documentType) +
             ", 'SD-540', '" + vendor + "', '9001', '" + vendorNo + "', 46350, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', '" +
             appliesTo + "')");
        if (quantity > 0)
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('C1', 'C1-1', 'DEMO', 1, 1, "
                 "'1008', " + std::to_string(quantity) + ", 1, " + std::to_string(quantity * 0.95) +
                 ", 20, 'DOM', 'VAT20')");
    }

    double Remaining(const std::string& where) {
        return Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE " + where).AsFloat();
    }
};

TEST_F(CrMemoPostingTest, GoodsLeaveTheOldestReceiptsAndARefusalChangesNothing) {
    const std::string invoiceReceipt = "Line_Id = 'B1-1'";
    for (const TGoldenCase& c : ReadGoldenCases("server/crmemo_posting_stock.txt")) {
        SCOPED_TRACE(c.Name);
        Exec("DELETE FROM G_ItemEntry WHERE Id = 'OLDER'");
        Exec("UPDATE G_ItemEntry SET RemainingQuantity = 10, Opened = 1 WHERE " + invoiceReceipt);
        if (c.Has("OlderStore"))
            Exec(std::string("INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, "
                             "Store_Id, BusinessGroup_Id, Quantity, RemainingQuantity, CostAmount, Opened, TransactionNo) "
                             "VALUES ('OLDER', 'DEMO', '1008', 'X', 6, 46000, '") +
                 c.Text("OlderStore") + "', 'BG-SOF', 8, 8, 7.6, 1, 0)");
        Exec("UPDATE C_CompanySetup SET AllowNegativeQTY = " + std::to_string(c.Int("NegativeStock")));
        ArrangeCrMemo(c.Int("Type"), c.Number("Quantity"));
        const int64_t entries = Count("G_LEntry") + Count("G_ItemEntry") + Count("G_VATEntry") + Count("G_ContragentEntry");
        const Variant lastNo = Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PCRM'");
        TVariantArray keys;
        const int result = Server().PostPurchCrMemo("C1", keys, 0);
        EXPECT_NEAR(Remaining(invoiceReceipt), c.Number("InvoiceLeft"), 1e-9);
        EXPECT_EQ(Value("SELECT Opened FROM G_ItemEntry WHERE " + invoiceReceipt).AsInteger(), c.Number("InvoiceLeft") > 0 ? 1 : 0);
        if (c.Has("OlderStore")) {
            EXPECT_NEAR(Remaining("Id = 'OLDER'"), c.Number("OlderLeft"), 1e-9);
        }
        if (c.Has("Refusal")) {
            EXPECT_LT(result, 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Text("Refusal")));
            EXPECT_EQ(Count("D_PurchHeader", "Id = 'C1'"), 1);
            EXPECT_EQ(Count("D_PurchCrMemoHeader"), 0);
            EXPECT_EQ(Count("G_LEntry") + Count("G_ItemEntry") + Count("G_VATEntry") + Count("G_ContragentEntry"), entries);
            EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PCRM'").AsInteger(), lastNo.AsInteger());
        } else {
            ASSERT_EQ(result, 0) << Server().LastRefusalText();
            EXPECT_EQ(Count("D_PurchHeader", "Id = 'C1'"), 0);
            EXPECT_EQ(Value("SELECT Quantity FROM G_ItemEntry WHERE Document_Id = '" + keys[0].AsString() + "'").AsFloat(),
                      -c.Number("Quantity"));
            Exec("DELETE FROM G_ItemEntry WHERE Document_Id = '" + keys[0].AsString() + "'");
            Exec("DELETE FROM D_PurchCrMemoLine");
            Exec("DELETE FROM D_PurchCrMemoHeader");
        }
        Exec("DELETE FROM D_PurchaseLine WHERE Master_Id = 'C1'");
        Exec("DELETE FROM D_PurchHeader WHERE Id = 'C1'");
    }
}

// A memo kept out of the VAT ledger has its VAT entries marked so, and its posted view says so.
// A draft made by the posting's own save has no number: the posting gives it the next one of
// its draft series, kept beside the posted number; a numbered draft keeps its own, and a
// debit memo, numbered only when posted, gets none.
TEST_F(CrMemoPostingTest, ADraftWithoutANumberTakesOneOfItsSeriesWhenPosted) {
    const auto lastNo = [this](const std::string& series) {
        const std::string last = std::to_string(Value("SELECT LastNo FROM S_NoSeries WHERE Id = '" + series + "'").AsInteger());
        return std::string(10 - last.size(), '0') + last;
    };
    EXPECT_EQ(Value("SELECT PreAssignedNo FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = 'B1'").AsString(), lastNo("INV"));
    const struct {
        const char* name;
        int documentType;
        const char* subType;
        const char* draftNo;
        const char* series;
    } cases[] = {
        {"credit memo", 11, "SD-540", "", "CRM"},
        {"debit memo, whose drafts are not numbered", 12, "SD-530", "", nullptr},
        {"numbered credit memo", 11, "SD-540", "K-7", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Exec("DELETE FROM D_PurchaseLine WHERE Master_Id = 'C1'; DELETE FROM D_PurchHeader WHERE Id = 'C1'");
        ArrangeCrMemo(c.documentType, c.documentType == 12 ? 0 : 1, "", "V03", std::string("CN-") + c.name);
        Exec(std::string("UPDATE D_PurchHeader SET DocSubType_Id = '") + c.subType + "', DocumentNo = NULLIF('" + c.draftNo +
             "', ''), VendorInvoiceNo = 'DM-" + c.name + "' WHERE Id = 'C1'");
        if (c.documentType == 12)
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('C1', 'C1-1', 'DEMO', 1, 1, "
                 "'1008', 1, 1, 0.95, 20, 'DOM', 'VAT20')");
        // Posted lines keep their ids: each case's line is one of its own.
        Exec(std::string("UPDATE D_PurchaseLine SET Id = 'C1-") + c.name + "' WHERE Master_Id = 'C1'");
        const std::string drawnBefore = lastNo("CRM") + lastNo("DEBIT");
        TVariantArray keys;
        const int result = c.documentType == 12 ? Server().PostPurchase("C1", keys) : Server().PostPurchCrMemo("C1", keys, 0);
        ASSERT_EQ(result, 0) << Server().LastRefusalText();
        const std::string table = c.documentType == 12 ? "D_PurchInvoiceHeader" : "D_PurchCrMemoHeader";
        EXPECT_EQ(Value("SELECT PreAssignedNo FROM " + table + " WHERE Id = '" + keys.at(0).AsString() + "'").AsString(),
                  c.series == nullptr ? c.draftNo : lastNo(c.series));
        if (c.series == nullptr) {
            EXPECT_EQ(lastNo("CRM") + lastNo("DEBIT"), drawnBefore) << "nothing drawn";
        }
    }
}

TEST_F(CrMemoPostingTest, AMemoOutOfTheVATLedgerStaysOutOfIt) {
    ArrangeCrMemo(11, 1);
    Exec("UPDATE D_PurchHeader SET DoNotIncInVATLedger = 1 WHERE Id = 'C1'");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchCrMemo("C1", keys, 0), 0) << Server().LastRefusalText();
    const std::string posted = "'" + keys.at(0).AsString() + "'";
    EXPECT_EQ(Count("G_VATEntry", "Document_Id = " + posted + " AND DoNotIncInVATLedger = 1"),
              Count("G_VATEntry", "Document_Id = " + posted));
    EXPECT_GT(Count("G_VATEntry", "Document_Id = " + posted), 0);
    EXPECT_EQ(Value("SELECT NotIncludeVatLedger FROM D_PurchCrMemoHeader WHERE Id = " + posted).AsInteger(), 1);
}

// The credit memo posting looks for the vendor's number among credit memos, the invoice
// posting among invoices.
TEST_F(CrMemoPostingTest, AVendorsNumberIsRefusedTwiceOnlyAmongItsOwnKind) {
    for (const TGoldenCase& c : ReadGoldenCases("server/crmemo_posting_vendor_numbers.txt")) {
        SCOPED_TRACE(c.Name);
        const std::string number = c.Text("Number"), flags = std::to_string(c.Int("Annulled")) + ", " +
                                                               std::to_string(c.Int("Global")) + ")";
        const bool memo = c.Text("Posting") == "memo";
        if (c.Text("Posted") == "memo")
            Exec("INSERT INTO D_PurchCrMemoHeader (Id, Comp_Id, DocumentType, DocumentNo, Contragent_Id, VendorCreditMemoNo, "
                 "VendorInvoiceNo, Annul, IsGlobalCrMemo) VALUES ('PX', 'DEMO', 13, 'X', '" + c.Text("PostedVendor") +
                 "', '" + number + "', '" + number + "', " + flags);
        else
            Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocumentNo, Contragent_Id, VendorInvoiceNo, "
                 "Annul, IsGlobalInvoice) VALUES ('PX', 'DEMO', 6, 'X', '" + c.Text("PostedVendor") + "', '" + number + "', " +
                 flags);
        const char* open = memo ? "C1" : "B2";
        if (memo) {
            ArrangeCrMemo(11, 1, "", "V03", number);
        } else {
            Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
                 "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES "
                 "('B2', 'DEMO', 1, 'SD-520', 'V03', '" + number + "', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
                 "('B2', 'B2-1', 'DEMO', 1, 1, '1008', 1, 1, 0.95, 20, 'DOM', 'VAT20')");
        }
        TVariantArray keys;
        const int result = memo ? Server().PostPurchCrMemo(open, keys, 0) : Server().PostPurchase(open, keys);
        if (c.Has("Refusal")) {
            EXPECT_LT(result, 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Text("Refusal")));
            EXPECT_EQ(Count("D_PurchHeader", std::string("Id = '") + open + "'"), 1) << "the document stays open";
        } else {
            EXPECT_EQ(result, 0) << Server().LastRefusalText();
        }
        for (const char* table : {"D_PurchCrMemoHeader", "D_PurchInvoiceHeader"})
            Exec(std::string("DELETE FROM ") + table + " WHERE Id = 'PX'");
        // Posted lines keep the open lines' keys, which the next case uses again.
        Exec("DELETE FROM D_PurchCrMemoLine WHERE Id = 'C1-1'");
        Exec("DELETE FROM D_PurchInvoiceLine WHERE Id = 'B2-1'");
        Exec(std::string("DELETE FROM D_PurchaseLine WHERE Master_Id = '") + open + "'");
        Exec(std::string("DELETE FROM D_PurchHeader WHERE Id = '") + open + "'");
    }
}

// The invoice owes 11.40 (ten yoghurts at 0.95 and 20 % VAT); a memo for four takes off 4.56.
TEST_F(CrMemoPostingTest, ASetOffMemoLowersWhatTheInvoiceOwesUntilItIsAnnulled) {
    const std::string invoice = Value("SELECT Id FROM D_PurchInvoiceHeader").AsString();
    for (const TGoldenCase& c : ReadGoldenCases("server/crmemo_posting_set_off.txt")) {
        SCOPED_TRACE(c.Name);
        Exec("UPDATE G_ItemEntry SET RemainingQuantity = 10, Opened = 1 WHERE Line_Id = 'B1-1'");
        const std::string open = c.Text("InvoiceOpen");
        Exec("UPDATE G_ContragentEntry SET Remaining = -" + open + ", Remaining_ACY = -" + open + ", Opened = " +
             (c.Number("InvoiceOpen") > 0 ? "1" : "0") + " WHERE Document_Id = '" + invoice + "'");
        Exec("UPDATE D_PurchInvoiceHeader SET Remaining = " + open);
        ArrangeCrMemo(11, 4, invoice, c.Text("Vendor"));
        TVariantArray keys;
        const int result = Server().PostPurchCrMemo("C1", keys, 0);
        const auto owed = [&] { return Value("SELECT Remaining FROM D_PurchInvoiceHeader").AsFloat(); };
        EXPECT_NEAR(owed(), c.Number("InvoiceLeft"), 1e-9);
        EXPECT_NEAR(Value("SELECT -Remaining FROM G_ContragentEntry WHERE Document_Id = '" + invoice + "'").AsFloat(),
                    c.Number("InvoiceLeft"), 1e-9);
        if (c.Has("Refusal")) {
            EXPECT_LT(result, 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Text("Refusal")));
            EXPECT_EQ(Count("D_PurchCrMemoHeader"), 0);
            EXPECT_EQ(Count("G_ContragentEntryDetail"), 0);
        } else {
            ASSERT_EQ(result, 0) << Server().LastRefusalText();
            const std::string memo = keys[0].AsString();
            EXPECT_NEAR(Value("SELECT Remaining FROM D_PurchCrMemoHeader").AsFloat(), c.Number("MemoLeft"), 1e-9);
            EXPECT_NEAR(Value("SELECT Remaining FROM G_ContragentEntry WHERE Document_Id = '" + memo + "'").AsFloat(),
                        c.Number("MemoLeft"), 1e-9);
            Variant unapplied;
            EXPECT_LT(Server().AnnulDocument(invoice, 0, "", TDateTime::FromDate(2026, 12, 1), 1, unapplied), 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText("err_AnnulCrMemoApplied"));
            ASSERT_EQ(Server().AnnulDocument(memo, 2, "", TDateTime::FromDate(2026, 12, 1), 0, unapplied), 0)
                << Server().LastRefusalText();
            EXPECT_NEAR(owed(), c.Number("InvoiceOpen"), 1e-9);
            EXPECT_EQ(Value("SELECT Opened FROM G_ContragentEntry WHERE Document_Id = '" + invoice + "'").AsInteger(), 1);
            EXPECT_EQ(Count("G_ContragentEntryDetail"), 0);
            Exec("DELETE FROM G_ItemEntry WHERE Document_Id = '" + memo + "'");
            for (const char* table : {"G_ContragentEntry", "G_LEntry", "G_VATEntry"})
                Exec(std::string("DELETE FROM ") + table + " WHERE Document_Id = '" + memo + "'");
            Exec("DELETE FROM D_PurchCrMemoLine");
            Exec("DELETE FROM D_PurchCrMemoHeader");
        }
        Exec("DELETE FROM D_PurchaseLine WHERE Master_Id = 'C1'");
        Exec("DELETE FROM D_PurchHeader WHERE Id = 'C1'");
    }
}

// Protocols are made from posted invoices and posted credit memos, once each, and post as
// their kind: the VAT 20 % of 9.50 is 1.90 on the invoice and of 3.80 is 0.76 on the memo.
TEST_F(CrMemoPostingTest, AProtocolIsMadeOnceFromAPostedDocumentAndPostsAsItsKind) {
    const std::string invoice = Value("SELECT Id FROM D_PurchInvoiceHeader").AsString();
    ArrangeCrMemo(11, 4);
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchCrMemo("C1", keys, 0), 0) << Server().LastRefusalText();
    const std::string memo = keys[0].AsString();
    for (const TGoldenCase& c : ReadGoldenCases("server/crmemo_posting_protocols.txt")) {
        SCOPED_TRACE(c.Name);
        const int64_t protocols = Count("D_GlobalPurchHeader");
        TRequestResult answer;
        const std::string document = c.Text("From") == "memo" ? memo : invoice;
        ASSERT_EQ(Server().RequestValue(-1, "exec dbo." + c.Text("Procedure") + " 'DEMO', 'BG-SOF', '" + document + "', 'ADMIN'",
                                        "Quantity,Item_id", TFilter(), answer, false),
                  1);
        if (c.Has("Refusal")) {
            EXPECT_EQ(answer.Value().AsString(), "-1");
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Text("Refusal")));
            EXPECT_EQ(Count("D_GlobalPurchHeader"), protocols);
            continue;
        }
        const std::string protocol = answer.Value().AsString();
        EXPECT_EQ(Value("SELECT AppliesToDoc_Id FROM D_GlobalPurchHeader WHERE Id = '" + protocol + "'").AsString(),
                  document);
        EXPECT_NEAR(Value("SELECT VATValue FROM D_GlobalPurchHeader WHERE Id = '" + protocol + "'").AsFloat(), c.Number("VAT"), 1e-9);
        TVariantArray posted;
        EXPECT_LT(Server().PostPurchProtocol(protocol, 1 - c.Int("CrMemo"), posted), 0) << "posted as the other kind";
        ASSERT_EQ(Server().PostPurchProtocol(protocol, c.Int("CrMemo"), posted), 0) << Server().LastRefusalText();
        const double sign = c.Int("CrMemo") == 1 ? -1 : 1;
        EXPECT_NEAR(Value("SELECT SUM(Amount) FROM G_VATEntry WHERE Document_Id = '" + posted[0].AsString() + "'").AsFloat(),
                    sign * c.Number("VAT"), 1e-9);
    }
}

}  // namespace
}  // namespace tavrek::testing
