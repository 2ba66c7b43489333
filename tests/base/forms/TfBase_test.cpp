#include <gtest/gtest.h>

#include "base/forms/TfBase.h"
#include "support/SessionTest.h"

namespace tavrek::testing {
namespace {

class TellDocumentTest : public SessionTest {};

// The participle agrees with the kind's gender; the kind is the header's DocumentType.
TEST_F(TellDocumentTest, PostingsAnnulmentsAndGenerationsNameKindAndNumberAndRefusalsTheServersReason) {
    struct TCase {
        TDocumentDeed Deed;
        int DocumentType;
        const char* Number;
        bool Refused;
        const char* Reason;
        const char* Shown;
    };
    const TCase cases[] = {
        {TDocumentDeed::ddPosted, 26, "0000000002", false, "", "Доставка № 0000000002 е осчетоводена."},
        {TDocumentDeed::ddPosted, 30, "0000000007", false, "", "Авансово плащане № 0000000007 е осчетоводено."},
        {TDocumentDeed::ddPosted, 40, "0000000001", false, "", "Протокол № 0000000001 е осчетоводен."},
        {TDocumentDeed::ddAnnulled, 13, "0000000003", false, "", "Кредитно известие № 0000000003 е анулирано."},
        {TDocumentDeed::ddCreated, 41, "0000000004", false, "", "Протокол към кредитно известие № 0000000004 е създаден."},
        {TDocumentDeed::ddPosted, 99, "", false, "", "Документ е осчетоводен."},
        {TDocumentDeed::ddAnnulled, 6, "0000000005", true, "Има кредитно известие.",
         "Фактура № 0000000005 не е анулирана.\r\nИма кредитно известие."},
        {TDocumentDeed::ddPosted, 23, "", true, "", "Буфер на поръчка не е осчетоводен."},
    };
    for (const TCase& c : cases) {
        dialogs.ExpectMessage(mrOk);
        if (c.Refused) TfBase::TellDocumentRefused(c.Deed, c.DocumentType, c.Number, c.Reason);
        else TfBase::TellDocumentDone(c.Deed, c.DocumentType, c.Number);
    }
    ASSERT_EQ(dialogs.Shown().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(dialogs.Shown()[i].Text, cases[i].Shown);
        EXPECT_EQ(dialogs.Shown()[i].Type, cases[i].Refused ? TMsgDlgType::mtError : TMsgDlgType::mtInformation);
    }
}

}  // namespace
}  // namespace tavrek::testing
