// Offers turned into orders and purchase invoices by the server, on the company's engine:
// the new document carries the offer's vendor, terms and priced lines, is numbered in its
// own series and points back at the offer; a refusal leaves offer and series as they were.
#include <gtest/gtest.h>

#include "base/data/TFilter.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class OfferConversionTest : public SqliteFixture {
protected:
    // A euro offer of V03 with two item lines and one account line, prices with VAT.
    void AddOffer(const std::string& id, const std::string& vendor = "V03", int lines = 3) {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, DocumentDate, "
             "Contragent_Id, Currency_Id, CurrencyFactor, PriceIncludingVAT, PayMethod_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, Comment, VendorOrderNo, TotalValue, TotalVAT, DocStatus) VALUES ('" + id +
             "', 'DEMO', 20, 'SD-500', 'OF-1', 46300, " + (vendor.empty() ? "NULL" : "'" + vendor + "'") +
             ", 'EUR', 1, 1, 'BANK', 'DOM', 'BG-SOF', 'до петък', 'VOF-77', 58.75, 70.5, 0)");
        const char* values[] = {
            "1, 1, '1008', 'Кисело мляко', 24, 0.95, 0, 22.80, 20",
            "2, 1, '1010', 'Сирене', 2.5, 9.80, 5, 23.27, 20",
            "3, 2, '602', 'Транспорт', 1, 12.68, 0, 12.68, 20",
        };
        for (int n = 0; n < lines; ++n)
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Quantity, "
                 "DirectUnitCost_ACY, LineDiscount, TotalValue, VATPercent) VALUES ('" + id + "', '" + id + "-" +
                 std::to_string(n + 1) + "', 'DEMO', " + values[n] + ")");
    }

    TRequestResult Convert(const std::string& id, const std::string& kind, const std::string& company = "DEMO") {
        TRequestResult answer;
        Server().RequestValue(-1, "exec dbo.usp_ConvertPurchOffer '" + company + "', '" + id + "','" + kind +
                                      "','BG-SOF','ADMIN'",
                              "Code,ErrMsg", TFilter(), answer);
        return answer;
    }

    std::string Text(const std::string& sql) { return Value(sql).AsString(); }
};

TEST_F(OfferConversionTest, AnOfferBecomesAnOrderOrAPurchaseWithItsLinesAndPointsBack) {
    const struct {
        const char* Kind;
        int DocumentType;
        const char* SubType;
        double OpenQuantity;  // of the first line, still to receive and to invoice
    } cases[] = {{"1", 22, "SD-510", 24}, {"2", 1, "SD-520", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kind);
        const std::string offer = std::string("OF-") + c.Kind;
        AddOffer(offer);
        const TRequestResult answer = Convert(offer, c.Kind);
        const std::string id = answer.ByName("Code").AsString();
        ASSERT_NE(id, "-1") << answer.ByName("ErrMsg").AsString();
        const std::string where = "Id = '" + id + "'";
        EXPECT_EQ(Count("D_PurchHeader", where + " AND DocumentType = " + std::to_string(c.DocumentType) +
                                             " AND DocSubType_Id = '" + c.SubType + "' AND AppliesToDoc_Id = '" + offer +
                                             "' AND Contragent_Id = 'V03' AND Currency_Id = 'EUR' AND PriceIncludingVAT = 1"
                                             " AND Comment = 'до петък' AND TotalVAT = 70.5 AND DocStatus = 0"),
                  1);
        EXPECT_EQ(Text("SELECT DocumentNo FROM D_PurchHeader WHERE " + where), "0000000001") << "the first of its series";
        EXPECT_TRUE(Value("SELECT VendorOrderNo FROM D_PurchHeader WHERE " + where).IsNull())
            << "the vendor's offer number is not the vendor's order number";
        EXPECT_EQ(Value("SELECT DocStatus FROM D_PurchHeader WHERE Id = '" + offer + "'").AsInteger(), 1);

        const std::string lines = "Master_Id = '" + id + "'";
        EXPECT_EQ(Count("D_PurchaseLine", lines), 3);
        EXPECT_EQ(Count("D_PurchaseLine", lines + " AND Line_No = 2 AND Code = '1010' AND Quantity = 2.5 AND "
                                                  "DirectUnitCost_ACY = 9.8 AND LineDiscount = 5 AND TotalValue = 23.27 "
                                                  "AND SrcLine_Id = '" + offer + "-2'"),
                  1);
        EXPECT_EQ(Count("D_PurchaseLine", lines + " AND Type = 2 AND Code = '602' AND Line_No = 3"), 1);
        EXPECT_DOUBLE_EQ(Value("SELECT QtyToReceive FROM D_PurchaseLine WHERE " + lines + " AND Line_No = 1").AsFloat(),
                         c.OpenQuantity);
        EXPECT_DOUBLE_EQ(Value("SELECT QtyToInvoice FROM D_PurchaseLine WHERE " + lines + " AND Line_No = 1").AsFloat(),
                         c.OpenQuantity);
        EXPECT_EQ(Count("D_PurchaseLine", "Master_Id = '" + offer + "'"), 3) << "the offer keeps its lines";

        const TRequestResult again = Convert(offer, c.Kind);
        EXPECT_EQ(again.ByName("Code").AsString(), "-1") << "an offer is converted once";
        EXPECT_EQ(Count("D_PurchHeader", "AppliesToDoc_Id = '" + offer + "'"), 1);
    }
}

TEST_F(OfferConversionTest, ARefusedConversionChangesNothing) {
    AddOffer("OF-OK");
    AddOffer("OF-DONE");
    Exec("UPDATE D_PurchHeader SET DocStatus = 1 WHERE Id = 'OF-DONE'");
    AddOffer("OF-NOVENDOR", "");
    AddOffer("OF-EMPTY", "V03", 0);
    AddOffer("ORDER-1");
    Exec("UPDATE D_PurchHeader SET DocumentType = 22 WHERE Id = 'ORDER-1'");
    for (const TGoldenCase& c : ReadGoldenCases("server/offer_conversion_refused.txt")) {
        SCOPED_TRACE(c.Name);
        const int64_t headers = Count("D_PurchHeader"), lines = Count("D_PurchaseLine");
        const TRequestResult answer = Convert(c.Text("Offer"), c.Text("Kind"), c.Has("Company") ? c.Text("Company") : "DEMO");
        EXPECT_EQ(answer.ByName("Code").AsString(), "-1");
        EXPECT_EQ(answer.ByName("ErrMsg").AsString(), Server().GetMessageText(c.Text("Key")));
        EXPECT_EQ(Count("D_PurchHeader"), headers);
        EXPECT_EQ(Count("D_PurchaseLine"), lines);
        EXPECT_EQ(Count("D_PurchHeader", "DocStatus = 1"), 1) << "only the converted offer is marked";
    }
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'ORDER'").AsInteger(), 0);
}

TEST_F(OfferConversionTest, WithoutASeriesNumberNothingIsWritten) {
    AddOffer("OF-1");
    Exec("UPDATE N_SubDocument SET Series_Id = 'NOSUCH' WHERE Id = 'SD-510'");
    const TRequestResult answer = Convert("OF-1", "1");
    EXPECT_EQ(answer.ByName("Code").AsString(), "-1");
    EXPECT_EQ(answer.ByName("ErrMsg").AsString(), Server().GetMessageText("err_GetSeriesNo"));
    EXPECT_EQ(Count("D_PurchHeader"), 1);
    EXPECT_EQ(Value("SELECT DocStatus FROM D_PurchHeader WHERE Id = 'OF-1'").AsInteger(), 0);
}

}  // namespace
}  // namespace tavrek::testing
