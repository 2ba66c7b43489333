#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "desktop/TFormHostWidget.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"

namespace tavrek::desktop {
namespace {

// The purchase settings a buyer changes from the menu: the cost flags keep "False" when
// ticked, and a series typed on its page is kept for the company.
class SetupJourneyTest : public testing::DemoClientTest {
protected:
    SetupJourneyTest() { StartClient({1280, 800}); }

    std::string Stored(const char* field) {
        return server::SelectRows(client->Server().Database(),
                                  std::string("SELECT COALESCE(") + field + ", '') FROM C_PurchasesSetup WHERE Id = 'DEMO'")
            .Value()
            .AsString();
    }

    void Click(TFormHostWidget& host, const char* checkBox) {
        auto* box = host.findChild<QCheckBox*>(checkBox);
        ASSERT_NE(box, nullptr) << checkBox;
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
        QTest::qWait(10);
    }

    void ShowPage(TFormHostWidget& host, int page) {
        QTabBar* tabs = host.Pages()->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(page).center());
        QTest::qWait(10);
    }
};

TEST_F(SetupJourneyTest, TickedCostFlagsAreStoredAsFalseAndATypedSeriesIsKept) {
    TFormHostWidget* setup = OpenFromMenu("TfPurchasesSetup");
    ASSERT_NE(setup, nullptr);
    ASSERT_EQ(Stored("UpdateAVGUnitCost"), "True");
    const struct {
        const char* flag;
        const char* stored;
    } clicks[] = {{"UpdateAVGUnitCost", "False"}, {"Update_ItemDirectCost", "False"}, {"UpdateAVGUnitCost", "True"}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.flag);
        Click(*setup, click.flag);
        testing::TriggerAction(*setup, "acSave");
        EXPECT_EQ(Stored(click.flag), click.stored);
    }

    // An account is one of the company's chart: a code it does not have is refused and told.
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TypeIntoField(*setup, "AdvancePaymentAccount", "9999");
    ASSERT_FALSE(answerer.Shown().isEmpty());
    EXPECT_TRUE(answerer.Shown().back().contains("9999")) << answerer.Shown().back().toStdString();
    testing::TypeIntoField(*setup, "ProtocolTransitAccount", "503");
    testing::TriggerAction(*setup, "acSave");
    EXPECT_EQ(Stored("AdvancePaymentAccount"), "4091");
    EXPECT_EQ(Stored("ProtocolTransitAccount"), "503");
    // Every account's name beside its code is read whole.
    for (QLabel* name : setup->Pages()->widget(0)->findChildren<QLabel*>("lblName")) {
        SCOPED_TRACE(name->text().toStdString());
        EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
    }

    ShowPage(*setup, 1);
    const QWidget* twice = setup->findChild<QWidget*>("PostPurchCrMemoProt_Series_Id");
    ASSERT_NE(twice, nullptr);
    EXPECT_TRUE(twice->toolTip().contains("кредитни известия")) << "a caption that stands twice is told apart";
    testing::TypeIntoField(*setup, "PurchOrdImpSeries_id", "IMP-DEMO");
    testing::TriggerAction(*setup, "acSave");
    EXPECT_EQ(Stored("PurchOrdImpSeries_id"), "IMP-DEMO");
    EXPECT_EQ(Stored("Update_ItemDirectCost"), "False");
    for (const char* hidden : {"acInsertRecord", "acDeleteRecord", "acPostDocument"}) {
        QAction* action = testing::ToolAction(*setup, hidden);
        EXPECT_TRUE(action == nullptr || !action->isVisible()) << hidden;
    }
    Screenshot("purchases-setup.png");
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
