#pragma once

#include <QDialog>
#include <memory>

#include "base/data/TClientDataSet.h"
#include "base/server/TRequestResult.h"

class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace tavrek::desktop {

class TDataSetModel;

// Lists the rows of a master data selector with a search box over every column; the
// chosen rows come back with all their columns.
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

private:
    std::unique_ptr<TClientDataSet> rows_;
    TDataSetModel* model_;
    QSortFilterProxyModel* proxy_;
    QLineEdit* search_;
    QTableView* view_;
};

}  // namespace tavrek::desktop
