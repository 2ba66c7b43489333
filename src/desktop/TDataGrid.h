#pragma once

#include <QWidget>
#include <vector>

#include "desktop/TGridView.h"


namespace tavrek::desktop {

class TDataSetModel;
class TGridFooter;

// A grid over a dataset model with its footer line. Rows are selected whole and several
// at once; the current row and the dataset's cursor follow each other. Cells are typed
// into through TCellEditorDelegate, lines added and removed with TGridView's keys.
class TDataGrid : public QWidget {
    Q_OBJECT
public:
    explicit TDataGrid(TDataSetModel& model, QWidget* parent = nullptr);

    TGridView& View() const { return *view_; }
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
    TGridView* view_;
    TGridFooter* footer_;
    bool following_ = false;
};

}  // namespace tavrek::desktop
