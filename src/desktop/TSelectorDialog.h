#pragma once

#include <QDialog>
#include <memory>

#include "base/data/TClientDataSet.h"
#include "base/server/TRequestResult.h"
#include "desktop/TColumnLayout.h"

class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace tavrek::desktop {

class TDataSetModel;

// Lists the rows of a master data selector, by their first column, with a search box over
// every column that filters as one types; Up/Down/PgUp/PgDn move through the rows from the
// box, Enter takes the current row. The chosen rows come back with all their columns.
class TSelectorDialog : public QDialog {
    Q_OBJECT
public:
    // Takes the rows to list; the dataset must be open.
    TSelectorDialog(const QString& caption, std::unique_ptr<TClientDataSet> rows, bool multiSelect,
                    QWidget* parent = nullptr);
    ~TSelectorDialog() override;

    QLineEdit& SearchBox() const { return *search_; }
    QTableView& View() const { return *view_; }
    int VisibleRows() const;
    TRequestResult Chosen() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SizeColumns(const std::vector<TColumnLayout>& columns);
    void Search(const QString& text);

    std::unique_ptr<TClientDataSet> rows_;
    TDataSetModel* model_;
    QSortFilterProxyModel* proxy_;
    QLineEdit* search_;
    QTableView* view_;
};

}  // namespace tavrek::desktop
