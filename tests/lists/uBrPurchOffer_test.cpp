#include <gtest/gtest.h>

#include "documents/uPurchDocumentModel.h"
#include "lists/uBrPurchOffer.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class PurchOfferList : public DocumentFormTest<TfBrPurchOffer> {
protected:
    PurchOfferList()
        : DocumentFormTest(PurchHeaderFields(TPurchDocument::pdOffer), {}, "D_PurchHeader", "") {}
};

TEST_F(PurchOfferList, PostingFromTheListDoesNothing) {
    Open({{"Id", "F1"}, {"DocSubType_Id", "S1"}, {"TotalVAT", 0.0}}, {});
    Form().acPostDocument.Execute();
    Form().acPostAndPrintDocument.Execute();
    EXPECT_TRUE(server.Calls().empty());
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(PurchOfferList, PrintingTakesThePrintFormsOfTheOffersSubtype) {
    Open({{"Id", "F1"}, {"DocSubType_Id", "S1"}}, {});
    server.OnRequestValue("S_PrintDocuments", Rows({"PF_Id", "Form_id", "Copies", "PF_Type", "Doc_Type"},
                                                   {{"PF9", "F9", 2, 1, 20}}));
    const TRequestResult forms = Form().GetPrintDocument();
    ASSERT_EQ(forms.Rows.size(), 1u);
    EXPECT_EQ(forms.ByName("PF_Id").AsString(), "PF9");
    const TServerCall call = server.CallsTo("RequestValue").at(0);
    const std::string filter = call.Args.at(3).AsString();
    EXPECT_NE(filter.find("S_PrintDocuments.SubDoc_Id"), std::string::npos) << filter;
    EXPECT_NE(filter.find("S1"), std::string::npos) << filter;
}

}  // namespace
}  // namespace tavrek::testing
