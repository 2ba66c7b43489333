#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "base/partner/ITavrekAPI.h"
#include "base/partner/TUblInvoice.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

std::string Invoice(const std::string& number, const std::string& lines, const std::string& extra = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<Invoice xmlns="urn:oasis:names:specification:ubl:schema:xsd:Invoice-2"
 xmlns:cac="urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2"
 xmlns:cbc="urn:oasis:names:specification:ubl:schema:xsd:CommonBasicComponents-2">
 <cbc:UBLVersionID>2.1</cbc:UBLVersionID>
 <cbc:ID>)" + number + R"(</cbc:ID>
 <cbc:IssueDate>2026-11-20</cbc:IssueDate>
 <cbc:DueDate>2026-12-20</cbc:DueDate>
 <cbc:InvoiceTypeCode>380</cbc:InvoiceTypeCode>
 <cbc:Note>Доставка по поръчка</cbc:Note>
 <cbc:DocumentCurrencyCode>EUR</cbc:DocumentCurrencyCode>
 <cac:OrderReference><cbc:ID>PO-77</cbc:ID></cac:OrderReference>
 <cac:PaymentMeans><cbc:PaymentMeansCode>30</cbc:PaymentMeansCode></cac:PaymentMeans>)" +
           extra + lines + "</Invoice>";
}

std::string Line(const std::string& id, const std::string& code, const std::string& quantity,
                 const std::string& price, const std::string& allowance = "") {
    return R"(<cac:InvoiceLine><cbc:ID>)" + id + R"(</cbc:ID>
 <cbc:InvoicedQuantity unitCode="H87">)" + quantity + R"(</cbc:InvoicedQuantity>
 <cbc:LineExtensionAmount currencyID="EUR">0</cbc:LineExtensionAmount>)" + allowance + R"(
 <cac:Item><cbc:Name>Артикул )" + code + R"(</cbc:Name>
  <cac:SellersItemIdentification><cbc:ID>)" + code + R"(</cbc:ID></cac:SellersItemIdentification>
  <cac:ManufacturersItemIdentification><cbc:ID>MP-)" + code + R"(</cbc:ID></cac:ManufacturersItemIdentification>
  <cac:ItemInstance><cbc:SerialID>SN-)" + id + R"(</cbc:SerialID></cac:ItemInstance>
  <cac:ClassifiedTaxCategory><cbc:ID>S</cbc:ID><cbc:Percent>20</cbc:Percent></cac:ClassifiedTaxCategory>
 </cac:Item>
 <cac:Price><cbc:PriceAmount currencyID="EUR">)" + price + R"(</cbc:PriceAmount></cac:Price>
</cac:InvoiceLine>)";
}

std::string WithIssueDate(std::string xml, const std::string& date) {
    const std::string tag = "<cbc:IssueDate>2026-11-20";
    xml.replace(xml.find(tag), tag.size(), "<cbc:IssueDate>" + date);
    return xml;
}

TEST(UblInvoice, ReadsHeaderAndLinesWhateverThePrefixes) {
    const std::string allowance =
        "<cac:AllowanceCharge><cbc:ChargeIndicator>false</cbc:ChargeIndicator>"
        "<cbc:Amount currencyID=\"EUR\">5</cbc:Amount></cac:AllowanceCharge>";
    std::string xml = Invoice("F-100", Line("1", "V-1", "3", "12.50") + Line("2", "V-2", "2", "25", allowance));
    const TUblInvoice invoice = TUblInvoice::ReadText(xml, "F-100.xml");
    EXPECT_EQ(invoice.DocumentNo, "F-100");
    EXPECT_EQ(invoice.DocumentDate, TDateTime::FromDate(2026, 11, 20));
    EXPECT_EQ(invoice.DueDate, TDateTime::FromDate(2026, 12, 20));
    EXPECT_EQ(invoice.Currency, "EUR");
    EXPECT_EQ(invoice.PayMethod, "30");
    EXPECT_EQ(invoice.OrderReference, "PO-77");
    ASSERT_EQ(invoice.Lines.size(), 2u);
    EXPECT_EQ(invoice.Lines[0].Code, "V-1");
    EXPECT_EQ(invoice.Lines[0].Measure_Id, "H87");
    EXPECT_EQ(invoice.Lines[0].SerialNo, "SN-1");
    EXPECT_EQ(invoice.Lines[0].PartNo, "MP-V-1");
    EXPECT_DOUBLE_EQ(invoice.Lines[0].Quantity, 3.0);
    EXPECT_DOUBLE_EQ(invoice.Lines[0].DirectUnitCost, 12.5);
    EXPECT_DOUBLE_EQ(invoice.Lines[0].VATPercent, 20.0);
    // an allowance of 5 on 2 x 25 is a 10 % discount
    EXPECT_DOUBLE_EQ(invoice.Lines[1].LineDiscount, 10.0);
}

TEST(UblInvoice, MalformedDocumentsAreRefusedWithTheirFileNamed) {
    const struct {
        const char* name;
        std::string xml;
        const char* problem;
    } cases[] = {
        {"not xml", "<Invoice><cbc:ID>1</cbc:ID>", "невалиден XML"},
        {"other document", "<Order><ID>1</ID></Order>", "Invoice"},
        {"no lines", Invoice("F-1", ""), "няма редове"},
        {"text quantity", Invoice("F-1", Line("1", "V-1", "три", "1")), "не е число"},
        {"no price", Invoice("F-1", "<cac:InvoiceLine><cbc:ID>1</cbc:ID><cbc:InvoicedQuantity>1</cbc:InvoicedQuantity>"
                                    "<cac:Item><cac:SellersItemIdentification><cbc:ID>V</cbc:ID>"
                                    "</cac:SellersItemIdentification></cac:Item></cac:InvoiceLine>"),
         "липсва цена"},
        {"bad date", WithIssueDate(Invoice("F-1", Line("1", "V-1", "1", "1")), "20.11.2026"), "не е дата"},
    };
    for (const auto& c : cases) {
        try {
            TUblInvoice::ReadText(c.xml, "broken.xml");
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const EPartnerError& e) {
            EXPECT_NE(std::string(e.what()).find("broken.xml"), std::string::npos) << c.name;
            EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

class FolderService : public ::testing::Test {
protected:
    FolderService() : folder_(fs::temp_directory_path() / ("tavrek-vendor-" + std::to_string(::getpid()))) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    ~FolderService() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }

    fs::path folder_;
};

TEST_F(FolderService, ListsReadableDocumentsAndReportsTheBrokenOnes) {
    Write("F-1.xml", Invoice("F-1", Line("1", "V-1", "1", "2")));
    Write("F-2.xml", "<Invoice>");
    Write("notes.txt", "not a document");
    auto api = GetITavrekAPI("file://" + folder_.string(), "u", "p");
    std::vector<std::string> problems;
    const TRequestResult documents = api->GetDocuments(problems);
    ASSERT_EQ(documents.Rows.size(), 1u);
    EXPECT_EQ(documents.ByName("DocumentNo").AsString(), "F-1");
    EXPECT_EQ(documents.ByName("Currency_Id").AsString(), "EUR");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("F-2.xml"), std::string::npos);
}

TEST_F(FolderService, ReadsTheRequestedLineColumnsUnderTheLineConditions) {
    Write("F-1.xml", Invoice("F-1", Line("1", "V-1", "3", "2") + Line("2", "V-2", "1", "4")));
    auto api = GetITavrekAPI(folder_.string(), "", "");
    TFilter filter;
    filter.Add("D_PurchHeader.Contragent_Id", "=", "CN1", "AND").Add("Code", "=", "V-2", "AND");
    filter.Add("D_PurchHeader.BusinessGroup_Id", "=", "BG1");
    const TRequestResult lines = api->GetDocumentLines("F-1", "Code,Quantity,DirectUnitCost_ACY,ReceivedQty", filter);
    ASSERT_EQ(lines.Rows.size(), 1u);
    EXPECT_EQ(lines.ByName("Code").AsString(), "V-2");
    EXPECT_DOUBLE_EQ(lines.ByName("DirectUnitCost_ACY").AsFloat(), 4.0);
    EXPECT_DOUBLE_EQ(lines.ByName("ReceivedQty").AsFloat(), 0.0);
    EXPECT_THROW(api->GetDocumentLines("F-9", "Code", {}), EPartnerError);
    EXPECT_THROW(api->GetDocumentLines("F-1", "Code,Password", {}), EPartnerError);
}

TEST_F(FolderService, RefusesAMissingFolderAndWrongCredentials) {
    EXPECT_THROW(GetITavrekAPI((folder_ / "none").string(), "u", "p"), EPartnerError);
    Write("credentials", "buyer\nsecret\n");
    EXPECT_THROW(GetITavrekAPI(folder_.string(), "buyer", "guess"), EPartnerError);
    EXPECT_NO_THROW(GetITavrekAPI(folder_.string(), "buyer", "secret"));
}

}  // namespace
}  // namespace tavrek
