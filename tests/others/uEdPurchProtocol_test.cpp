#include "others/uEdPurchProtocol.h"

#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "frame/uPurchasePackage.h"

namespace tavrek::testing {
namespace {

// VAT protocols generated from the posted invoice of V03 (9.50 and 24.50 charged at our own
// group's 20 % and 9 %: VAT 1.90 + 2.21) and from a posted credit memo of four of its yoghurts (3.80: VAT 0.76), as a buyer
// generates them from the posted views and posts them in the protocol editors.
class PurchProtocolEditors : public OthersFixture {
protected:
    PurchProtocolEditors() : invoice(Value("SELECT Id FROM D_PurchInvoiceHeader").AsString()) {
        PurchasePackageStartup();
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, ToInvoiceNo, "
             "VendorCreditMemoNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id) SELECT 'C1', 'DEMO', 11, 'SD-540', Id, '0000077001', 'CN-1', 46210, "
             "CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, 'BG-SOF' FROM N_Contragent WHERE Id = 'V03'");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) SELECT 'C1', 'C1-1', 'DEMO', 1, 1, "
             "'1008', 4, 1, 3.80, 20, VATBusPostGroup_Id, 'VAT20' FROM D_PurchHeader WHERE Id = 'C1'");
        TVariantArray keys;
        if (Server().PostPurchCrMemo("C1", keys, 0) < 0) throw std::runtime_error(Server().LastRefusalText());
        crMemo = keys[0].AsString();
    }
    ~PurchProtocolEditors() override { PurchasePackageShutdown(); }

    TfBase& Generate(int viewNumber, const char* header, const std::string& id, const char* action) {
        RequestForm(viewNumber, {soNormal}, TFilter().Add(std::string(header) + ".Id", "=", id), Variant(), Variant(),
                    nullptr, {});
        host.OpenForms().back()->AcListBase.Find(action)->Execute();
        return *host.OpenForms().back();
    }

    std::string invoice, crMemo;
};

TEST_F(PurchProtocolEditors, AProtocolOpensOnWhatWasGeneratedPostsAsItsKindAndIsMadeOnce) {
    const struct {
        const char* Name;
        int View;
        const char* Header;
        std::string Document;
        const char* Action;
        const char* ClassName;
        double VAT;
        const char* PostedFlag;
    } cases[] = {
        {"invoice", 10220, "D_PurchInvoiceHeader", invoice, "acGeneratePurchProtocol", "TfEdPurchProtocol", 4.11,
         "IsGlobalInvoice"},
        {"credit memo", 10190, "D_PurchCrMemoHeader", crMemo, "acGeneratePurchCrMemoProtocol",
         "TfEdPurchCrMemoProtocol", 0.76, "IsGlobalCrMemo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        dialogs.ExpectMessage(mrOk, "№ 0000000001 е създаден.");
        TfBase& protocol = Generate(c.View, c.Header, c.Document, c.Action);
        ASSERT_EQ(protocol.ClassName(), c.ClassName);
        ASSERT_EQ(protocol.cdsMaster.RecordCount(), 1);
        EXPECT_NEAR(protocol.cdsMaster.FieldByName("VATValue").AsFloat(), c.VAT, 1e-9);
        EXPECT_EQ(protocol.cdsMaster.FieldByName("AppliesToDoc_Id").AsString(), c.Document);
        dialogs.ExpectMessage(mrOk, "е осчетоводен.");
        protocol.acPostDocument.Execute();
        const std::string posted = std::string(c.Header) + " WHERE AppliesToDoc_Id = '" + c.Document + "' AND " +
                                   c.PostedFlag + " = 1";
        EXPECT_NEAR(Value("SELECT VATValue FROM " + posted).AsFloat(), c.VAT, 1e-9);
        EXPECT_EQ(Count("D_GlobalPurchHeader"), 0);
        EXPECT_TRUE(protocol.cdsMaster.IsEmpty());

        const size_t open = host.OpenForms().size();
        dialogs.ExpectMessage(mrOk, "грешка");
        Generate(c.View, c.Header, c.Document, c.Action);
        EXPECT_EQ(host.OpenForms().size(), open + 1) << "a second protocol opens nothing, only its view";
        EXPECT_EQ(Count("D_GlobalPurchHeader"), 0);
    }
    ExpectNoErrors();
}

}  // namespace
}  // namespace tavrek::testing
