#include <gtest/gtest.h>

#include <string>

#include "base/forms/TFormRequest.h"
#include "replenishment/uEdPurchOrderBufer.h"
#include "support/GoldenTable.h"
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
    const auto series = [](const std::string& id) { return id.empty() ? std::string("NULL") : "'" + id + "'"; };
    for (const TGoldenCase& c : ReadGoldenCases("replenishment/buffer_numbering.txt")) {
        SCOPED_TRACE(c.Name);
        Exec("UPDATE N_SubDocument SET Series_Id = " + series(c.Text("SubtypeSeries")) + " WHERE Id = 'SD-580'");
        Exec("UPDATE C_PurchasesSetup SET PurchOrderBuf_Series_Id = " + series(c.Text("SetupSeries")));
        EXPECT_EQ(SaveNewBuffer(c.Text("Typed")), c.Text("Expected"));
        EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
    }
    EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'BUF'").AsInteger(), 2) << "a typed number draws none";
    EXPECT_EQ(Count("D_PurchOrderBufHeader"), 5);
}

}  // namespace
}  // namespace tavrek::testing
