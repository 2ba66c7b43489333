#include "others/uEdPayment.h"

#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "frame/uPurchasePackage.h"
#include "others/uOthersBrowse.h"
#include "server/SqlValue.h"
#include "server/posting/TBooksCheck.h"

namespace tavrek::testing {
namespace {

// Payments made from the posted invoice of V03 (38.11 open) as a buyer makes them: the
// posted view's "Генериране на плащане" opens the payment on what is open.
class VendorPayment : public OthersFixture {
protected:
    VendorPayment() : posted(Value("SELECT Id FROM D_PurchInvoiceHeader").AsString()) { PurchasePackageStartup(); }
    ~VendorPayment() override { PurchasePackageShutdown(); }

    TfEdPayment& PaymentFromInvoice() {
        RequestForm(10220, {soNormal}, TFilter().Add("D_PurchInvoiceHeader.Id", "=", posted), Variant(), Variant(),
                    nullptr, {});
        host.OpenForms().back()->AcListBase.Find("acGeneratePayment")->Execute();
        auto* payment = dynamic_cast<TfEdPayment*>(host.OpenForms().back());
        if (payment == nullptr) throw std::runtime_error("no payment form opened");
        return *payment;
    }

    double Remaining() {
        return Value("SELECT Remaining FROM G_ContragentEntry WHERE Document_Id = '" + posted + "'").AsFloat();
    }
    std::vector<std::string> BooksDifferences() {
        return server::TBooksCheck([this](const std::string& sql, const TVariantArray& values) {
                   return server::SelectRows(Server().Database(), sql, values);
               })
            .Differences();
    }
    void ExpectNoErrors() {
        for (const TErrorLogEntry& entry : guard.Session().ErrorLog().Entries())
            ADD_FAILURE() << entry.Operation << ": " << entry.Message;
    }

    const std::string posted;
};

// Two parts pay the invoice off: each payment proposes what is still open, the vendor entry
// and the invoice follow, and the vendor's open entries (380) are empty at the end.
TEST_F(VendorPayment, TwoPartsPayTheInvoiceOffAndTheBooksStayWhole) {
    const struct {
        double proposed;
        double paid;
        double remaining;
    } parts[] = {{38.11, 20.0, -18.11}, {18.11, 18.11, 0.0}};
    for (const auto& part : parts) {
        SCOPED_TRACE(part.paid);
        TfEdPayment& payment = PaymentFromInvoice();
        EXPECT_DOUBLE_EQ(payment.cdsMaster.FieldByName("Amount").AsFloat(), part.proposed);
        EXPECT_EQ(payment.cdsMaster.FieldByName("Contragent_Id").AsString(), "V03");
        payment.cdsMaster.FieldByName("Amount").SetAsFloat(part.paid);
        payment.acPostDocument.Execute();
        ExpectNoErrors();
        EXPECT_NEAR(Remaining(), part.remaining, 1e-9);
        EXPECT_NEAR(Value("SELECT Remaining FROM D_PurchInvoiceHeader").AsFloat(), -part.remaining, 1e-9);
        EXPECT_EQ(payment.cdsMaster.FieldByName("Posted").AsInteger(), 1);
        EXPECT_TRUE(payment.ReadOnly);
        EXPECT_TRUE(BooksDifferences().empty());
    }
    EXPECT_EQ(Count("G_ContragentEntry", "Document_Id = '" + posted + "' AND Opened = 0"), 1);
    EXPECT_NEAR(Value("SELECT SUM(Amount) FROM G_ContragentEntryDetail").AsFloat(), 38.11, 1e-9);
    RequestForm(
        380, {soNormal},
        TFilter().Add("dv_ContragentEntry.Contragent_ID", "=", "V03", "AND").Add("dv_ContragentEntry.Opened", "=", 1),
        Variant(), Variant(), nullptr, {});
    EXPECT_TRUE(host.OpenForms().back()->cdsMaster.IsEmpty());
}

// More than is open is refused in the form before anything is stored, and by the server when
// another payment took the rest meanwhile: the ledgers stay as they were.
TEST_F(VendorPayment, APaymentLargerThanWhatIsOpenIsRefused) {
    TfEdPayment& tooMuch = PaymentFromInvoice();
    tooMuch.cdsMaster.FieldByName("Amount").SetAsFloat(38.12);
    dialogs.ExpectMessage(mrOk, "по-голяма от остатъка");
    tooMuch.acPostDocument.Execute();
    EXPECT_EQ(Count("D_VendorPayment"), 0);

    TfEdPayment& first = PaymentFromInvoice();
    TfEdPayment& second = PaymentFromInvoice();
    first.cdsMaster.FieldByName("Amount").SetAsFloat(30.0);
    first.acPostDocument.Execute();
    const int64_t entries = Count("G_LEntry");
    dialogs.ExpectMessage(mrOk, "по-голяма от остатъка за плащане по документа");
    second.acPostDocument.Execute();
    EXPECT_EQ(Count("G_LEntry"), entries);
    EXPECT_EQ(Count("D_VendorPayment", "Posted = 1"), 1);
    EXPECT_NEAR(Remaining(), -8.11, 1e-9);
    EXPECT_TRUE(BooksDifferences().empty());
}

}  // namespace
}  // namespace tavrek::testing
