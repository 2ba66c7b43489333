#include <QAction>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"

namespace tavrek::desktop {
namespace {

const char* const kPostedInvoice =
    "header N_Contragent_Code=5003 DocSubType_Id=SD-520 VendorInvoiceNo=0000077001 DocumentDate=2026-11-20\n"
    "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
    "recalculate\n"
    "post\n";

void SignInThroughTheDialog(QWidget& dialog, const QString& password) {
    auto* user = dialog.findChild<QLineEdit*>("edUser");
    auto* typed = dialog.findChild<QLineEdit*>("edPassword");
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_TRUE(user != nullptr && typed != nullptr && buttons != nullptr);
    user->setText("buyer");
    typed->setText(password);
    buttons->button(QDialogButtonBox::Ok)->click();
}

// The buyer signs in at the login dialog, after one wrong password, posts an invoice and
// finds its annulment closed to him: disabled in the view, and refused by the server when
// called anyway.
class UsersJourney : public testing::DemoClientTest {};

TEST_F(UsersJourney, TheBuyerSignsInAndMayNotAnnulAnInvoice) {
    qputenv("TAVREK_LOGIN_DELAY_MS", "10");
    TClientOptions options = Options();
    options.User.clear();
    options.Password.clear();
    QString refusal;
    answerer.Expect([&](QWidget& dialog) {
        SignInThroughTheDialog(dialog, "demo-admin");
        auto* shown = dialog.findChild<QLabel*>("lblRefusal");
        ASSERT_TRUE(shown != nullptr && dialog.isVisible());
        refusal = shown->text();
        SignInThroughTheDialog(dialog, "demo-buyer");
    });
    StartClient({1280, 800}, options);
    EXPECT_TRUE(refusal.startsWith("Грешно потребителско име или парола")) << refusal.toStdString();
    auto* user = client->Window().statusBar()->findChild<QLabel*>("lblUser");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->text(), "Потребител: buyer");

    RunScenario(kPostedInvoice);
    TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(list, nullptr);
    TFormHostWidget* invoice = OpenRow(*list->Grid("dbgMaster"));
    ASSERT_NE(invoice, nullptr);
    QAction* annul = testing::ToolAction(*invoice, "acAnnulDocument");
    ASSERT_NE(annul, nullptr);
    EXPECT_FALSE(annul->isEnabled());
    EXPECT_TRUE(testing::ToolAction(*invoice, "acPrint")->isEnabled());

    const std::string posted = invoice->Form().cdsMaster.FieldByName("Id").AsString();
    Variant unapplied;
    EXPECT_LT(client->Server().AnnulDocument(posted, 6, "", TDateTime::FromDate(2026, 11, 30), 0, unapplied), 0);
    EXPECT_NE(client->Server().LastRefusalText().find("„анулиране“"), std::string::npos)
        << client->Server().LastRefusalText();
    EXPECT_EQ(server::SelectRows(client->Server().Database(),
                                 "SELECT COUNT(*) FROM D_PurchInvoiceHeader WHERE Id = ? AND COALESCE(Annul, 0) = 0",
                                 {posted})
                  .Value()
                  .AsInteger(),
              1);
    qunsetenv("TAVREK_LOGIN_DELAY_MS");
}

}  // namespace
}  // namespace tavrek::desktop
