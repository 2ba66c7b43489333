#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include "server/db/TDbSession.h"
#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "TDialogAnswerer.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TfBase.h"
#include "base/session/Tdm.h"
#include "desktop/TClientApp.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TGridFooter.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"

namespace tavrek::desktop {
namespace {

using testing::TDialogAnswerer;

// The purchase invoice editor on the demo company, opened on an invoice of two lines.
class InvoiceEditorTest : public ::testing::Test {
protected:
    InvoiceEditorTest() {
        TClientOptions options;
        options.CompanyFile = folder.filePath("demo.tavrek");
        client = std::make_unique<TClientApp>(options);
        if (!client->Start()) throw std::runtime_error("the demo company did not open");
        client->Window().show();
        client->Server().Database().Exec(
            "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentNo) VALUES ('{INV}', 'DEMO', 1, 'T-1');"
            "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Code, Quantity, DirectUnitCost_ACY, "
            "TotalPrice, TotalValue, TotalValue_LCY) VALUES "
            "('{INV}', '{L1}', 'DEMO', 1, 'A', 1, 12.5, 12.5, 12.5, 12.5),"
            "('{INV}', '{L2}', 'DEMO', 2, 'B', 2, 3.0, 6.0, 6.0, 6.0)");
        TFormRequest request;
        request.ClassName = "TfEdPurchase";
        request.Filter.Add("D_PurchHeader.Id", "=", "{INV}");
        RequestForm(request);
        host = qobject_cast<TFormHostWidget*>(client->Window().Mdi().activeSubWindow()->widget());
    }

    ~InvoiceEditorTest() override {
        model().DataSet().CancelUpdates();
        host->Form().cdsMaster.CancelUpdates();
    }

    TDataSetModel& model() const { return host->Grid("dbgDetail")->Model(); }
    int Column(const QString& caption) const {
        for (int c = 0; c < model().columnCount(); ++c)
            if (model().headerData(c, Qt::Horizontal).toString() == caption) return c;
        return -1;
    }
    double LineValue(int row, const char* field) const {
        return model().DataSet().RawRecord(model().RawIndexOfRow(row))[model().DataSet().FieldByName(field).Index()].AsFloat();
    }

    QApplication& app = testing::TestApp();
    TSessionGuard guard;
    QTemporaryDir folder;
    // Cancels a dialog nobody expected (a company that failed to open, say) instead of hanging.
    TDialogAnswerer answerer;
    std::unique_ptr<TClientApp> client;
    TFormHostWidget* host = nullptr;
};

TEST_F(InvoiceEditorTest, TypingAQuantityUpdatesTheLineAndTheFooter) {
    ASSERT_EQ(model().rowCount(), 2);
    QTableView& view = host->Grid("dbgDetail")->View();
    view.setCurrentIndex(model().index(0, Column("Количество")));
    view.edit(view.currentIndex());
    auto* editor = view.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    testing::TypeText(*editor, "4");
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_DOUBLE_EQ(LineValue(0, "Quantity"), 4.0);
    EXPECT_DOUBLE_EQ(LineValue(0, "TotalPrice"), 50.0);
    const double total = LineValue(0, "TotalValue") + LineValue(1, "TotalValue");
    EXPECT_EQ(host->Grid("dbgDetail")->Footer().Text(Column("Без ДДС")), QString::number(total, 'f', 2));
    EXPECT_GT(total, 50.0);
    EXPECT_TRUE(answerer.Unexpected().isEmpty());
    for (const TErrorLogEntry& entry : guard.Session().ErrorLog().Entries())
        ADD_FAILURE() << entry.Operation << ": " << entry.Message;
}

TEST_F(InvoiceEditorTest, DeletionAnsweredNoLeavesTheDocumentUnchanged) {
    QAction* remove = nullptr;
    for (QAction* action : host->ToolBar().actions())
        if (action->objectName() == "acDeleteRecord") remove = action;
    ASSERT_NE(remove, nullptr);
    ASSERT_TRUE(remove->isEnabled());
    answerer.ExpectMessage(QMessageBox::No);
    remove->trigger();
    EXPECT_TRUE(answerer.AllAnswered());
    EXPECT_TRUE(answerer.Unexpected().isEmpty());
    EXPECT_EQ(host->Form().cdsMaster.RecordCount(), 1);
    EXPECT_EQ(host->Form().cdsMaster.ChangeCount(), 0);
    EXPECT_EQ(model().rowCount(), 2);
    EXPECT_EQ(model().DataSet().ChangeCount(), 0);
}

}  // namespace
}  // namespace tavrek::desktop
