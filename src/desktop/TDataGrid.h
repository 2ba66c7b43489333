#pragma once

#include <QWidget>
#include <vector>

class QTableView;

namespace tavrek::desktop {

class TDataSetModel;
class TGridFooter;

// A grid over a dataset model with its footer line. Rows are selected whole and several
// at once; the current row and the dataset's cursor follow each other.
class TDataGrid : public QWidget {
    Q_OBJECT
public:
    explicit TDataGrid(TDataSetModel& model, QWidget* parent = nullptr);

    QTableView& View() const { return *view_; }
    TDataSetModel& Model() const { return model_; }
    TGridFooter& Footer() const { return *footer_; }

    // Positions among all records of the selected rows, in row order; the current row
    // when nothing is selected.
    std::vector<int> SelectedRawIndices() const;
    // True while a cell editor is open: its text must not be overwritten by a refresh.
    bool Editing() const;

private:
    void FollowCursor(int row);
    void CurrentRowChanged(int row);

    TDataSetModel& model_;
    QTableView* view_;
    TGridFooter* footer_;
    bool following_ = false;
};

}  // namespace tavrek::desktop
