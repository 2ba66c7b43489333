#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "base/forms/TFormCatalogue.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class DemoFormCatalogueTest : public SqliteFixture {};

TEST_F(DemoFormCatalogueTest, TheCompanyKeepsTheCatalogueAndItsTemplatesNameCataloguedForms) {
    EXPECT_EQ(Count("S_FormCatalogue"), static_cast<int64_t>(FormCatalogue().size()));
    for (const TFormCatalogueEntry& entry : FormCatalogue())
        EXPECT_EQ(Value("SELECT ClassName FROM S_FormCatalogue WHERE FormNumber = " + std::to_string(entry.FormNumber))
                      .AsString(),
                  entry.ClassName);
    EXPECT_EQ(Count("S_CopyDocTemplateHeader", "SrcForm_Id NOT IN (SELECT FormNumber FROM S_FormCatalogue) OR "
                                               "TrgForm_Id NOT IN (SELECT FormNumber FROM S_FormCatalogue)"),
              0);
    const struct {
        const char* templateId;
        const char* source;
        const char* target;
    } cases[] = {{"CT-ORD-BUF", "TfEdPurchOrder", "TfEdPurchOrderBufer"},
                 {"CT-INV-CRM", "TfEdPostedPurchInvoice", "TfEdPurchCrMemo"},
                 {"CT-INV-PAY", "TfEdPostedPurchInvoice", "TfEdPayment"},
                 {"CT-CRM-PAY", "TfEdPostedPurchCrMemo", "TfEdPayment"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.templateId);
        const std::string of = "FROM S_CopyDocTemplateHeader h JOIN S_FormCatalogue f ON f.FormNumber = h.";
        const std::string where = " WHERE h.Id = '" + std::string(c.templateId) + "'";
        EXPECT_EQ(Value("SELECT f.ClassName " + of + "SrcForm_Id" + where).AsString(), c.source);
        EXPECT_EQ(Value("SELECT f.ClassName " + of + "TrgForm_Id" + where).AsString(), c.target);
    }
}

TEST_F(DemoFormCatalogueTest, HeadersComeNewestFirstOnePacketAtATime) {
    for (int i = 0; i < 7; ++i)
        Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocumentNo, DocumentDate) VALUES ('P" +
             std::to_string(i) + "', 'DEMO', 6, '" + std::to_string(100 + i) + "', " + std::to_string(46000 + i % 4) + ")");
    const TFilter filter = TFilter().Add("D_PurchInvoiceHeader.Comp_Id", "=", "DEMO");
    TClientDataSet ds;
    std::vector<std::string> numbers;
    int skip = 0;
    for (int fetched = 0; (fetched = Server().RequestDataPacket("D_PurchInvoiceHeader", filter, skip, 3, ds)) > 0;)
        skip += fetched;
    for (ds.First(); !ds.Eof(); ds.Next()) numbers.push_back(ds.FieldByName("DocumentNo").AsString());
    // Dates 46000..46003 repeat every four documents; the same date orders by number, descending.
    EXPECT_EQ(numbers, (std::vector<std::string>{"103", "106", "102", "105", "101", "104", "100"}));
    EXPECT_NE(ds.FindField("N_Contragent_Name"), nullptr);
}

}  // namespace
}  // namespace tavrek::testing
