#include <gtest/gtest.h>

#include <string>

#include "base/forms/TFormRequest.h"
#include "replenishment/uEdPurchOrderBufer.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// A buffer typed in its editor on the demo company and saved: its number is drawn where the
// other open purchase documents draw theirs, the subtype's series before the purchases setup's.
class OrderBufferNumbering : public SqliteFixture {
protected:
    // A new buffer of vendor 5003 on the demo buffer subtype, with one free line, saved; its
    // stored number.
    std::string SaveNewBuffer(const std::string& typedNumber = "") {
        TfEdPurchOrderBufer form;
        TFormRequest request;
        form.Create(request);
        form.Show();
        form.acInsertRecord.Execute();
        form.cdsMaster.FieldByName("DocSubType_Id").SetAsString("SD-580");
        form.cdsMaster.FieldByName("Contragent_Id").SetAsString("V03");
        if (!typedNumber.empty()) form.cdsMaster.FieldByName("DocumentNo").SetAsString(typedNumber);
        form.cdsDetail.Append();
        form.cdsDetail.FieldByName("Type").SetAsInteger(1);
        form.cdsDetail.FieldByName("Code").SetAsString("1008");
        form.cdsDetail.FieldByName("Quantity").SetAsFloat(5);
        form.cdsDetail.Post();
        EXPECT_TRUE(form.SaveData());
        const std::string id = form.cdsMaster.FieldByName("Id").AsString();
        const Variant number = Value("SELECT DocumentNo FROM D_PurchOrderBufHeader WHERE Id = '" + id + "'");
        return number.IsNull() ? "" : number.AsString();
    }

    HeadlessFormHost host;
};

TEST_F(OrderBufferNumbering, ASavedBufferTakesTheNextNumberOfItsSeries) {
    Exec("UPDATE S_NoSeries SET LastNo = 41 WHERE Id = 'DOC'");
    const struct {
        const char* Case;
        const char* SubtypeSeries;  // empty: the subtype names none
        const char* SetupSeries;    // empty: a company from before buffers had a series
        const char* Typed;
        const char* Expected;
    } cases[] = {
        {"the subtype's series first", "DOC", "BUF", "", "0000000042"},
        {"the purchases setup's when the subtype has none", "", "BUF", "", "0000000001"},
        {"the next number of the same series", "", "BUF", "", "0000000002"},
        {"a typed number is kept", "", "BUF", "Б-77", "Б-77"},
        {"no series: saved without a number", "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Case);
        Exec(std::string("UPDATE N_SubDocument SET Series_Id = ") + (*c.SubtypeSeries ? "'" + std::string(c.SubtypeSeries) + "'" : "NULL") +
             " WHERE Id = 'SD-580'");
        Exec(std::string("UPDATE C_PurchasesSetup SET PurchOrderBuf_Series_Id = ") +
             (*c.SetupSeries ? "'" + std::string(c.SetupSeries) + "'" : "NULL"));
        EXPECT_EQ(SaveNewBuffer(c.Typed), c.Expected);
        EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
    }
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'BUF'").AsInteger(), 2) << "a typed number draws none";
    EXPECT_EQ(Count("D_PurchOrderBufHeader"), 5);
}

}  // namespace
}  // namespace tavrek::testing
