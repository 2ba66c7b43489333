#include "others/uEdPayment.h"

#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "base/util/Utils.h"
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

    TfEdPayment& PaymentFromInvoice() { return PaymentFrom(posted); }
    TfEdPayment& PaymentFrom(const std::string& invoice) {
        RequestForm(10220, {soNormal}, TFilter().Add("D_PurchInvoiceHeader.Id", "=", invoice), Variant(), Variant(),
                    nullptr, {});
        host.OpenForms().back()->AcListBase.Find("acGeneratePayment")->Execute();
        auto* payment = dynamic_cast<TfEdPayment*>(host.OpenForms().back());
        if (payment == nullptr) throw std::runtime_error("no payment form opened");
        return *payment;
    }

    double Remaining(const char* column = "Remaining") {
        return EntryOf(posted, column);
    }
    double EntryOf(const std::string& document, const char* column) {
        return Value(std::string("SELECT ") + column + " FROM G_ContragentEntry WHERE Document_Id = '" + document + "'")
            .AsFloat();
    }
    TfEdPayment& Paid(double amount) {
        TfEdPayment& payment = PaymentFromInvoice();
        payment.cdsMaster.FieldByName("Amount").SetAsFloat(amount);
        payment.acPostDocument.Execute();
        return payment;
    }
    // 10 x 5.00 USD at 0.92 euro to the dollar, an import whose VAT is not owed to the vendor:
    // 50.00 USD, 46.00 euro to pay.
    std::string PostDollarInvoice() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, PostingDate, DueDate, BusinessGroup_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, "
             "CntrPostingGroup_Id, PayMethod_Id, Currency_Id, CurrencyFactor, TotalValue, VATValue, TotalVAT, "
             "TotalValue_LCY, TotalVAT_LCY) SELECT '{D1}', 'DEMO', 1, 'SD-521', Id, 'US-77', 46200, 46200, 46260, "
             "'BG-SOF', VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, PayMethod_Id, 'USD', 0.92, 50, "
             "10, 60, 46, 55.2 FROM N_Contragent WHERE Id = 'V11';"
             "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, "
             "Quantity, DirectUnitCost_ACY, DirectUnitCost, TotalPrice, VATProdPostGroup_Id, GenProdPostGroup_Id, "
             "VATPercent, VATBaseAmount, TotalValue, VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, "
             "UnitCost_ACY, UnitCost_LCY, BusinessGroup_Id, VATBusPostGroup_Id, GenBusPostGroup_Id) SELECT '{D1}', "
             "'{D1-1}', 'DEMO', 1, 1, Code, Name, PurchMeasure_Id, 10, 5, 5, 50, VATProdPostGroup_Id, "
             "GenProdPostGroup_Id, 20, 50, 50, 10, 60, 46, 9.2, 55.2, 5, 4.6, 'BG-SOF', 'IMP', 'IMP' FROM N_Item "
             "WHERE Code = '1008' AND Comp_Id = 'DEMO'");
        TVariantArray keys;
        if (Server().PostPurchase("{D1}", keys) < 0) throw std::runtime_error(Server().LastRefusalText());
        return Value("SELECT Id FROM D_PurchInvoiceHeader WHERE Currency_Id = 'USD'").AsString();
    }
    std::vector<std::string> BooksDifferences() {
        return server::TBooksCheck([this](const std::string& sql, const TVariantArray& values) {
                   return server::SelectRows(Server().Database(), sql, values);
               })
            .Differences();
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
        const char* number;  // from the payment series, one after another
    } parts[] = {{38.11, 20.0, -18.11, "0000000001"}, {18.11, 18.11, 0.0, "0000000002"}};
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
        EXPECT_EQ(payment.cdsMaster.FieldByName("DocumentNo").AsString(), part.number);
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

// A dollar invoice is paid in dollars: each part's euro amount is taken at the invoice's
// rate, and the part that closes the entry takes the euro that are left, so no cent stays.
TEST_F(VendorPayment, ADollarInvoiceIsPaidInDollarsAtItsRate) {
    const std::string dollars = PostDollarInvoice();
    ASSERT_NEAR(EntryOf(dollars, "Remaining_ACY"), -50.0, 1e-9);
    const double euro = -EntryOf(dollars, "Remaining");
    const struct {
        double paid;
        double local;
    } parts[] = {{20.01, 18.41}, {29.99, RoundUp(euro - 18.41, 2)}};
    double left = 50.0;
    for (const auto& part : parts) {
        SCOPED_TRACE(part.paid);
        TfEdPayment& payment = PaymentFrom(dollars);
        EXPECT_EQ(payment.cdsMaster.FieldByName("Currency_Id").AsString(), "USD");
        EXPECT_DOUBLE_EQ(payment.cdsMaster.FieldByName("Amount").AsFloat(), left);
        payment.cdsMaster.FieldByName("Amount").SetAsFloat(part.paid);
        EXPECT_DOUBLE_EQ(payment.cdsMaster.FieldByName("Amount_LCY").AsFloat(), RoundUp(part.paid * 0.92, 2));
        payment.acPostDocument.Execute();
        ExpectNoErrors();
        left = RoundUp(left - part.paid, 2);
        EXPECT_NEAR(payment.cdsMaster.FieldByName("Amount_LCY").AsFloat(), part.local, 1e-9);
        EXPECT_NEAR(EntryOf(dollars, "Remaining_ACY"), -left, 1e-9);
        EXPECT_TRUE(BooksDifferences().empty());
    }
    EXPECT_NEAR(EntryOf(dollars, "Remaining"), 0.0, 1e-9);
    EXPECT_EQ(Count("G_LEntry", "Currency_Id = 'USD' AND DocumentType = 1 AND Amount_ACY = 20.01"), 1);
}

// Annulling a payment opens what it paid again and reverses its ledger transaction; what
// cannot be annulled is refused by the server and changes nothing.
TEST_F(VendorPayment, AnnulledPaymentOpensWhatItPaidAgain) {
    TfEdPayment& first = Paid(20.0);
    TfEdPayment& second = Paid(18.11);
    ASSERT_NEAR(Remaining(), 0.0, 1e-9);
    dialogs.ExpectMessage(mrYes, "анулирано");
    second.acAnnulDocument.Execute();
    ExpectNoErrors();
    EXPECT_NEAR(Remaining(), -18.11, 1e-9);
    EXPECT_EQ(Count("G_ContragentEntry", "Document_Id = '" + posted + "' AND Opened = 1"), 1);
    EXPECT_NEAR(Value("SELECT Remaining FROM D_PurchInvoiceHeader").AsFloat(), 18.11, 1e-9);
    EXPECT_EQ(second.cdsMaster.FieldByName("Annul").AsInteger(), 1);
    EXPECT_FALSE(second.acAnnulDocument.Enabled);
    EXPECT_NEAR(Value("SELECT SUM(Amount) FROM G_LEntry WHERE Document_Id = '" +
                      second.cdsMaster.FieldByName("Id").AsString() + "' AND Account_Id = '501'")
                    .AsFloat(),
                0.0, 1e-9);
    EXPECT_TRUE(BooksDifferences().empty());

    // The invoice annulled with its payments annuls the first one with it, its cash lines too.
    Variant output;
    ASSERT_EQ(Server().AnnulDocument(posted, 0, "грешка", TDateTime::Today(), 1, output), 0);
    EXPECT_TRUE(BooksDifferences().empty());
    const std::string firstId = first.cdsMaster.FieldByName("Id").AsString();
    EXPECT_NEAR(Value("SELECT SUM(Amount) FROM G_LEntry WHERE Document_Id = '" + firstId + "' AND Account_Id = '501'")
                    .AsFloat(),
                0.0, 1e-9);
    const std::pair<std::string, const char*> refused[] = {
        {"{NONE}", "err_PaymentNotPosted"},
        {second.cdsMaster.FieldByName("Id").AsString(), "err_PaymentAlreadyAnnulled"},
        {firstId, "err_PaymentAlreadyAnnulled"}};
    for (const auto& [id, key] : refused) {
        SCOPED_TRACE(key);
        const std::string logged = std::string("Message LIKE '%(") + key + ")'";
        const int64_t entries = Count("G_LEntry"), details = Count("G_ContragentEntryDetail"),
                      refusals = Count("S_ErrorLog", logged);
        TRequestResult result;
        Server().RequestValue(-1, "exec usp_AnnulVendorPayment 'DEMO', '" + id + "'", "Result,ErrMsg", TFilter(),
                              result);
        EXPECT_EQ(result.ByName("Result").AsInteger(), -1);
        EXPECT_EQ(Count("S_ErrorLog", logged), refusals + 1);
        EXPECT_EQ(Count("G_LEntry"), entries);
        EXPECT_EQ(Count("G_ContragentEntryDetail"), details);
    }
    EXPECT_EQ(Count("D_VendorPayment", "Id = '" + firstId + "' AND Annul = 1"), 1);
}

}  // namespace
}  // namespace tavrek::testing
