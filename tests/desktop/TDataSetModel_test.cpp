#include <QAbstractItemModelTester>
#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <gtest/gtest.h>

#include <functional>

#include "QtTestApp.h"
#include "base/data/TClientDataSet.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TGridFooter.h"
#include "support/DataSetBuilder.h"

namespace tavrek::desktop {
namespace {

using tavrek::testing::AppendRecord;
using testing::TestApp;
using testing::TWarningCollector;

class DataSetModelTest : public ::testing::Test {
protected:
    DataSetModelTest() {
        TestApp();
        lines.AddField("Code", TFieldType::ftString);
        lines.AddField("Quantity", TFieldType::ftFloat);
        lines.AddField("UnitPrice", TFieldType::ftFloat);
        lines.AddField("Amount", TFieldType::ftFloat);
        lines.AddField("Marked", TFieldType::ftInteger);
        lines.CreateDataSet();
        lines.AddAggregate("SumAmount", "SUM(Amount)");
        // Stands in for a form's field handler: the grid must reach it through SetValue.
        lines.FieldByName("Quantity").OnChange = [this](TField& field) {
            lines.FieldByName("Amount").SetAsFloat(field.AsFloat() * lines.FieldByName("UnitPrice").AsFloat());
        };
        for (const char* code : {"A", "B", "C", "D"})
            AppendRecord(lines, {{"Code", code}, {"UnitPrice", 2.5}, {"Quantity", 1}, {"Marked", 0}});
        auto columns = DefaultColumns(lines);
        columns[3].FooterAggregate = "SumAmount";
        columns[4].Flag = true;
        model = std::make_unique<TDataSetModel>(lines, columns);
        model->OnError = [this](const QString& text) { errors.append(text); };
        tester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::Warning);
    }

    ~DataSetModelTest() override {
        tester.reset();
        model.reset();
    }

    // Codes as the model shows them, row by row, and as the dataset holds them.
    QStringList ShownCodes() const {
        QStringList codes;
        for (int row = 0; row < model->rowCount(); ++row) codes << model->index(row, 0).data().toString();
        return codes;
    }
    QStringList VisibleCodes() {
        QStringList codes;
        for (int i = 0; i < lines.RawRecordCount(); ++i)
            if (lines.RawRecordVisible(i)) codes << QString::fromStdString(lines.RawRecord(i)[0].AsString());
        return codes;
    }

    TWarningCollector warnings;
    TClientDataSet lines{"cdsDetail"};
    std::unique_ptr<TDataSetModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;
    QStringList errors;
};

struct TStep {
    const char* Name;
    std::function<void(TDataSetModel&, TClientDataSet&)> Run;
    QStringList Expected;
};

TEST_F(DataSetModelTest, GridAndDataSetStayInStep) {
    const auto index = [](TDataSetModel& m, int row, int column) { return m.index(row, column); };
    const std::vector<TStep> steps = {
        {"grid inserts in the middle", [](TDataSetModel& m, TClientDataSet&) { ASSERT_TRUE(m.insertRows(1, 1)); },
         {"A", "", "B", "C", "D"}},
        {"grid types a code into the new row",
         [&](TDataSetModel& m, TClientDataSet&) { ASSERT_TRUE(m.setData(index(m, 1, 0), "N")); },
         {"A", "N", "B", "C", "D"}},
        {"grid appends two rows", [](TDataSetModel& m, TClientDataSet&) { ASSERT_TRUE(m.insertRows(5, 2)); },
         {"A", "N", "B", "C", "D", "", ""}},
        {"grid deletes three rows", [](TDataSetModel& m, TClientDataSet&) { ASSERT_TRUE(m.removeRows(4, 3)); },
         {"A", "N", "B", "C"}},
        {"dataset deletes the first record",
         [](TDataSetModel&, TClientDataSet& ds) {
             ds.First();
             ds.Delete();
         },
         {"N", "B", "C"}},
        {"dataset inserts before the current record",
         [](TDataSetModel&, TClientDataSet& ds) {
             ds.Last();
             ds.Insert();
             ds.FieldByName("Code").SetAsString("X");
             ds.Post();
         },
         {"N", "B", "X", "C"}},
        {"dataset filter hides records",
         [](TDataSetModel&, TClientDataSet& ds) {
             ds.SetFilter("Code<>'B'");
             ds.SetFiltered(true);
         },
         {"N", "X", "C"}},
        {"a filtered edit that leaves the filter removes the row",
         [&](TDataSetModel& m, TClientDataSet&) { ASSERT_TRUE(m.setData(index(m, 1, 0), "B")); },
         {"N", "C"}},
        {"a filtered insert of a hidden record adds no row",
         [](TDataSetModel&, TClientDataSet& ds) {
             ds.Append();
             ds.FieldByName("Code").SetAsString("B");
             ds.Post();
         },
         {"N", "C"}},
        {"a filtered delete of a shown record",
         [](TDataSetModel& m, TClientDataSet&) { ASSERT_TRUE(m.removeRows(0, 1)); }, {"C"}},
        {"unfiltering shows every record",
         [](TDataSetModel&, TClientDataSet& ds) { ds.SetFiltered(false); }, {"B", "B", "C", "B"}},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Run(*model, lines);
        EXPECT_EQ(ShownCodes(), step.Expected);
        EXPECT_EQ(VisibleCodes(), step.Expected);
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_TRUE(warnings.Warnings().isEmpty()) << warnings.Warnings().join('\n').toStdString();
}

TEST_F(DataSetModelTest, EditRunsFieldHandlersAndUpdatesFooter) {
    TDataGrid grid(*model);
    ASSERT_TRUE(model->setData(model->index(2, 1), "4,5"));
    EXPECT_DOUBLE_EQ(lines.RawRecord(2)[3].AsFloat(), 11.25);
    EXPECT_EQ(model->index(2, 3).data().toString(), "11,25");
    EXPECT_EQ(grid.Footer().Text(3), "18,75");
    EXPECT_EQ(lines.State(), TDataSetState::dsBrowse);

    ASSERT_TRUE(model->setData(model->index(0, 4), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(lines.RawRecord(0)[4].AsInteger(), 1);
    EXPECT_EQ(model->index(0, 4).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(warnings.Warnings().isEmpty()) << warnings.Warnings().join('\n').toStdString();
}

TEST_F(DataSetModelTest, BadInputIsReportedAndChangesNothing) {
    EXPECT_FALSE(model->setData(model->index(1, 1), "две"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(lines.State(), TDataSetState::dsBrowse);
    EXPECT_DOUBLE_EQ(lines.RawRecord(1)[1].AsFloat(), 1.0);
    EXPECT_EQ(lines.ChangeCount(), 4);
}

TEST_F(DataSetModelTest, RecordBeingInsertedShowsAsLastRowUntilPostedOrCancelled) {
    TDataGrid grid(*model);
    lines.First();
    lines.Insert();
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(grid.View().currentIndex().row(), 4);
    ASSERT_TRUE(model->setData(model->index(4, 0), "Z"));
    EXPECT_EQ(lines.State(), TDataSetState::dsInsert);
    EXPECT_EQ(model->index(4, 0).data().toString(), "Z");
    lines.Post();
    EXPECT_EQ(ShownCodes(), (QStringList{"Z", "A", "B", "C", "D"}));
    lines.Append();
    EXPECT_EQ(model->rowCount(), 6);
    lines.Cancel();
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_TRUE(warnings.Warnings().isEmpty()) << warnings.Warnings().join('\n').toStdString();
}

TEST_F(DataSetModelTest, SelectionAndCursorFollowEachOther) {
    TDataGrid grid(*model);
    grid.View().selectionModel()->select(model->index(1, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid.View().selectionModel()->select(model->index(3, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(grid.SelectedRawIndices(), (std::vector<int>{1, 3}));
    grid.View().setCurrentIndex(model->index(2, 1));
    EXPECT_EQ(lines.RecNo(), 3);
    lines.First();
    EXPECT_EQ(grid.View().currentIndex().row(), 0);
}

}  // namespace
}  // namespace tavrek::desktop
