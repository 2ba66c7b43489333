#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "desktop/TVendorItemsDialog.h"

namespace tavrek::desktop {
namespace {

TRequestResult MissingLines() {
    return {{"Line", "VendorKey", "Description", "Quantity"},
            {{Variant("2"), Variant("Z-1"), Variant("Брашно ръжено"), Variant(5.0)},
             {Variant("3"), Variant("Z-2"), Variant("Захар"), Variant(1.0)}}};
}

TEST(VendorItemsDialogTest, EachLineGetsTheItemChosenByItsButtonAndUnchosenLinesStayEmpty) {
    testing::TestApp();
    for (const bool choose : {true, false}) {
        SCOPED_TRACE(choose);
        int asked = 0;
        TVendorItemsDialog dialog(MissingLines(), [&](TRequestResult& item) {
            ++asked;
            item = {{"Id", "Code", "Name"}, {{Variant("I3"), Variant("1003"), Variant("Брашно пълнозърнесто")}}};
            return choose;
        });
        ASSERT_EQ(dialog.Table().rowCount(), 2);
        EXPECT_EQ(dialog.Table().item(1, 1)->text(), QStringLiteral("Z-2"));
        auto* second = dialog.findChild<QPushButton*>("btnChooseItem1");
        ASSERT_NE(second, nullptr);
        QTest::mouseClick(second, Qt::LeftButton);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(dialog.ItemIds(), (std::vector<std::string>{"", choose ? "I3" : ""}));
        EXPECT_EQ(second->text(), choose ? QStringLiteral("1003 Брашно пълнозърнесто") : QStringLiteral("Избор..."));
    }
}

}  // namespace
}  // namespace tavrek::desktop
