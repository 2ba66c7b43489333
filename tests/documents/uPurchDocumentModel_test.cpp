#include "documents/uPurchDocumentModel.h"

#include "base/util/TVATTotals.h"
#include "calc/uPurchCallculations.h"
#include "global/uPurchGlobalDocCalc.h"
#include "support/DataSetBuilder.h"
#include "support/SessionTest.h"

namespace tavrek::testing {
namespace {

std::unique_ptr<TClientDataSet> Open(const std::string& name, const TPurchFieldList& fields) {
    auto dataSet = std::make_unique<TClientDataSet>(name);
    for (const TFieldDef& def : fields) dataSet->AddField(def.Name, def.Type);
    dataSet->CreateDataSet();
    return dataSet;
}

TEST(DocumentModel, KindCodesOfTheDocumentForms) {
    EXPECT_EQ((std::vector<int>{kDocKindPurchaseInvoice, kDocKindGlobalInvoice, kDocKindPostedPurchaseInvoice,
                                kDocKindPostedGlobalInvoice, kDocKindPurchCrMemo, kDocKindPostedPurchCrMemo,
                                kDocKindGlobalCrMemo, kDocKindPostedGlobalCrMemo, kDocKindPurchOrder,
                                kDocKindPurchOrderBuffer, kDocKindPostedPurchOrder, kDocKindPostedReceipt}),
              (std::vector<int>{1, 3, 6, 8, 11, 13, 15, 17, 22, 23, 24, 26}));
}

TEST(DocumentModel, DocumentsCarryTheFieldsTheirRulesRead) {
    struct TCase {
        TPurchDocument Document;
        std::vector<std::string> Header, Line;
    };
    using enum TPurchDocument;
    const std::vector<TCase> cases = {
        {pdInvoice, {"CheckStatus", "VendorInvoiceNo", "VATValue_LCY"}, {"DirectUnitCost_ACY", "OrderLine_Id"}},
        {pdOrder, {"DocStatus", "RequestedReceiptHour"}, {"QtyToReceive", "QtyToReceive_Base", "ConfirmPrice"}},
        {pdOrderBuffer, {"VendorShipmentNo"}, {"DirectUnitCost", "QtyToInvoice"}},
        {pdCrMemo, {"ToInvoiceNo", "NotIncludeVatLedger"}, {"InvDiscAmount"}},
        {pdGlobalInvoice, {"TotalVat", "VatValue"}, {"LineDiscount_percent", "Inv_DiscountAmount", "QtyPerUnit"}},
        {pdGlobalCrMemoProtocol, {"VendorCreditMemoDate", "DoNotIncInVatLedger"}, {"IndirectCost_percent"}},
        {pdPostedInvoice, {"Annul", "Remaining_ACY", "VendorInvoiceNo"}, {"UnitCost_LCY"}},
    };
    for (const TCase& c : cases) {
        auto header = Open("cdsMaster", PurchHeaderFields(c.Document));
        auto line = Open("cdsDetail", PurchLineFields(c.Document));
        for (const std::string& f : c.Header) EXPECT_NE(header->FindField(f), nullptr) << f;
        for (const std::string& f : c.Line) EXPECT_NE(line->FindField(f), nullptr) << f;
    }
    EXPECT_EQ(Open("d", PurchLineFields(pdGlobalProtocol))->FindField("Inv_DiscountAmount"), nullptr);
    EXPECT_EQ(Open("d", PurchHeaderFields(pdOffer))->FindField("CheckStatus"), nullptr);
}

// Every document computes a line and recalculates with its own field set; opening the
// datasets also proves that no field name repeats in any casing.
TEST_F(SessionTest, CalculationsRunOnEveryDocumentModel) {
    for (TPurchDocument document : PurchDocuments()) {
        auto header = Open("cdsMaster", PurchHeaderFields(document));
        auto line = Open("cdsDetail", PurchLineFields(document));
        const bool global = IsGlobalPurchDocument(document);
        AddRecord(*header, {{"Id", "H"}, {"CurrencyFactor", 1.0}});
        AddRecord(*line, {{"Id", "L"}, {"Quantity", 2.0}, {global ? "DirectUnitCost" : "DirectUnitCost_ACY", 5.0},
                          {"VATPercent", 20.0}});
        line->Edit();
        bool calculating = false;
        TVATTotals totals;
        if (global) {
            uPurchGlobalDocCalc::PurchGlobalLineDiscountOnChange(*header, *line, calculating);
            uPurchGlobalDocCalc::PurchGlobalReCalcDocumentExecute(*header, *line, calculating, totals);
        } else {
            uPurchCallculations::PurchLineDiscountOnChange(*header, *line, calculating);
            uPurchCallculations::PurchReCalcDocumentExecute(*header, *line, calculating, totals);
        }
        EXPECT_TRUE(LoggedOperations().empty()) << PurchDocumentName(document);
        EXPECT_NEAR(header->FieldByName("TotalVAT").AsFloat(), 12, 1e-9) << PurchDocumentName(document);
    }
}

class LineTotals : public SessionTest {
protected:
    std::unique_ptr<TClientDataSet> header = Open("cdsMaster", PurchHeaderFields(TPurchDocument::pdInvoice));
    std::unique_ptr<TClientDataSet> line = Open("cdsDetail", PurchLineFields(TPurchDocument::pdInvoice));

    LineTotals() {
        CreatePurchLineAggregates(*line);
        AddRecord(*header, {{"Id", "H"}});
        header->Edit();
    }

    void Append(int lineNo, double value) {
        line->Append();
        line->FieldByName("Line_No").SetAsInteger(PurchNextLineNo(*line));
        EXPECT_EQ(line->FieldByName("Line_No").AsInteger(), lineNo);
        for (const char* f : {"TotalValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"})
            line->FieldByName(f).SetAsFloat(value);
        line->Post();
        PurchCopyLineTotalsToHeader(*header, *line);
    }
};

TEST_F(LineTotals, HeaderFollowsTheLinesAndAnEmptyDocumentWritesZero) {
    Append(1, 10.25);
    Append(2, 4.75);
    Append(3, 1.0);
    EXPECT_DOUBLE_EQ(header->FieldByName("TotalValue").AsFloat(), 16.0);
    EXPECT_DOUBLE_EQ(header->FieldByName("TotalVAT_LCY").AsFloat(), 16.0);
    line->First();
    line->Next();
    line->Delete();
    Append(4, 0.0);  // largest number plus one, after a line in the middle went
    for (line->First(); !line->Eof();) line->Delete();
    PurchCopyLineTotalsToHeader(*header, *line);
    for (const char* f : {"TotalValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"})
        EXPECT_EQ(header->FieldByName(f).AsFloat(), 0.0) << f;
    EXPECT_EQ(PurchNextLineNo(*line), 1);
}

}  // namespace
}  // namespace tavrek::testing
