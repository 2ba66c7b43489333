// VAT protocols posted and annulled on the company's engine: the VAT a protocol charges
// ourselves is a balanced ledger transaction of its own, and its annulment takes it back,
// whether from the protocol's own view or as the global document the posted invoice and credit
// memo views see in it.
#include <gtest/gtest.h>

#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class PurchProtocolPostingTest : public SqliteFixture {
protected:
    // VAT 20 % on 10.03 + 10.03 is 4.01 (not twice 2.01), VAT 9 % on 6.00 is 0.54.
    void AddProtocol(const std::string& id, int documentType, const std::string& subType) {
        Exec("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, "
             "VATBusPostGroup_Id, BusinessGroup_Id, VendorInvoiceNo) VALUES ('" + id + "', 'DEMO', " +
             std::to_string(documentType) + ", '" + subType + "', 'V03', 46345, 'DOM', 'BG-SOF', '77')");
        Exec("INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, TotalValue, "
             "TotalValue_LCY, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('" + id + "', '" + id + "-1', 'DEMO', 1, 1, '1008', 1, 10.03, 10.03, 20, 'DOM', 'VAT20'), "
             "('" + id + "', '" + id + "-2', 'DEMO', 2, 1, '1010', 1, 10.03, 10.03, 20, 'DOM', 'VAT20'), "
             "('" + id + "', '" + id + "-3', 'DEMO', 3, 2, '602', 1, 6.00, 6.00, 9, 'DOM', 'VAT9')");
    }

    double Sum(const std::string& table, const std::string& column, const std::string& where) {
        return Value("SELECT COALESCE(SUM(" + column + "), 0) FROM " + table + " WHERE " + where).AsFloat();
    }
};

TEST_F(PurchProtocolPostingTest, AProtocolPostsItsVATTransactionAndItsAnnulmentReversesIt) {
    const auto annul = [this](bool asGlobalDoc, const std::string& id, int crMemo, const std::string& description) {
        const TDateTime date = TDateTime::FromDate(2026, 11, 30);
        return asGlobalDoc ? Server().AnnulGlobalDoc(id, crMemo, description, date, 0)
                           : Server().AnnulPurchProtocol(id, crMemo, description, date);
    };
    for (const TGoldenCase& c : ReadGoldenCases("server/protocol_posting.txt")) {
        SCOPED_TRACE(c.Name);
        const std::string open = "P-" + c.Name, header = c.Text("Header");
        const int crMemo = c.Int("CrMemo");
        const double sign = c.Number("Sign");
        const bool asGlobalDoc = c.Int("AsGlobalDoc") == 1;
        AddProtocol(open, c.Int("DocumentType"), c.Text("SubType"));
        TVariantArray keys;
        ASSERT_EQ(Server().PostPurchProtocol(open, crMemo, keys), 0) << Server().LastRefusalText();
        const std::string doc = "Document_Id = '" + keys.at(0).AsString() + "'";
        const int64_t transaction =
            Value("SELECT TransactionNo FROM " + header + " WHERE Id = '" + keys.at(0).AsString() + "'")
                .AsInteger();
        EXPECT_GT(transaction, 0);
        EXPECT_EQ(Count("G_LEntry", doc + " AND TransactionNo = " + std::to_string(transaction)), 4);
        EXPECT_NEAR(Sum("G_LEntry", "Amount", doc), 0, 1e-9);
        EXPECT_NEAR(Sum("G_LEntry", "Amount", doc + " AND Account_Id = '4531'"), sign * 4.55, 1e-9);
        EXPECT_NEAR(Sum("G_LEntry", "Amount", doc + " AND Account_Id = '4539'"), -sign * 4.55, 1e-9);
        EXPECT_NEAR(Sum("G_VATEntry", "Amount", doc), sign * 4.55, 1e-9);
        EXPECT_EQ(Count("G_ItemEntry", doc) + Count("G_ContragentEntry", doc), 0) << "no stock, no debt to the vendor";

        EXPECT_LT(annul(asGlobalDoc, keys.at(0).AsString(), 1 - crMemo, ""), 0) << "not of that kind";
        ASSERT_EQ(annul(asGlobalDoc, keys.at(0).AsString(), crMemo, "грешка"), 0) << Server().LastRefusalText();
        EXPECT_NEAR(Sum("G_LEntry", "Amount", doc + " AND Account_Id = '4531'"), 0, 1e-9);
        EXPECT_NEAR(Sum("G_LEntry", "Amount", doc + " AND Account_Id = '4539'"), 0, 1e-9);
        EXPECT_NEAR(Sum("G_VATEntry", "Amount", doc), 0, 1e-9);
        EXPECT_EQ(Count(header, "Id = '" + keys.at(0).AsString() + "' AND Annul = 1"), 1);
        EXPECT_LT(annul(asGlobalDoc, keys.at(0).AsString(), crMemo, ""), 0) << "annulled once";
    }
}

// The global documents' annulment is no way round the checks of an ordinary one: a posted
// invoice that is no global document is not found by it, and stays as it was.
TEST_F(PurchProtocolPostingTest, AnOrdinaryInvoiceIsNoGlobalDocument) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
         "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES "
         "('B1', 'DEMO', 1, 'SD-520', 'V03', '9001', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
         "DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
         "('B1', 'B1-1', 'DEMO', 1, 1, '1008', 10, 1, 0.95, 9.50, 20, 'DOM', 'VAT20')");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase("B1", keys), 0) << Server().LastRefusalText();
    const int64_t entries = Count("G_LEntry");
    EXPECT_LT(Server().AnnulGlobalDoc(keys.at(0).AsString(), 0, "", TDateTime::FromDate(2026, 11, 30), 0), 0);
    EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText("err_AnnulDocumentNotFound"));
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "Annul = 0"), 1);
    EXPECT_EQ(Count("G_LEntry"), entries);
}

}  // namespace
}  // namespace tavrek::testing
