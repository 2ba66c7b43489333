#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace tavrek {
class TAction;
class TfBase;
class TMenu;
struct TGrid;
}  // namespace tavrek

class QAction;
class QModelIndex;
class QTabWidget;
class QTimer;
class QToolButton;

namespace tavrek::desktop {

class TChartWidget;
class TDataGrid;
class TDataSetModel;
class TDbFieldControl;
class TFormActions;
class TSidePanelWidget;
class TTotalsPanel;

// Shows any form: its actions as tool buttons that wrap onto more rows, the form's button
// menus as drop-down buttons, the header fields as labelled data-aware
// edits, its pages as tabs, its grids with footers, its popup menus and its side panel.
// Every user action goes to the form (TField::SetValue, TAction::Execute) and the widget
// then shows the form's new state; the host itself decides nothing.
class TFormHostWidget : public QWidget {
    Q_OBJECT
public:
    // Owns the form (a child window) ...
    TFormHostWidget(std::unique_ptr<TfBase> form, QWidget* parent = nullptr);
    // ... or shows one it does not own (a modal form, which its caller keeps).
    TFormHostWidget(TfBase& form, QWidget* parent = nullptr);
    ~TFormHostWidget() override;

    TfBase& Form() const { return *form_; }
    TDataGrid* Grid(std::string_view name) const;
    TChartWidget* Chart(std::string_view name) const;
    TDbFieldControl* FieldControl(std::string_view fieldName) const;
    QTabWidget* Pages() const { return pages_; }
    // The command buttons; its actions() are every action of the form, also those shown
    // only in a drop-down menu.
    QWidget& ToolBar() const { return *toolBar_; }
    std::vector<TDataGrid*> Grids() const;
    TFormActions& Actions() const { return *actions_; }
    TSidePanelWidget* SidePanel() const { return sidePanel_; }
    // The totals under a document's lines; null for a form without lines.
    TTotalsPanel* Totals() const { return totals_; }

    // Commits what the user is typing, runs body (an action, a menu item), then refreshes.
    void Run(const std::function<void()>& body);
    // Brings every control in step with the form: values, actions, footers, panel, pages.
    void RefreshAll();
    // While a form walks a dataset: grids and tool buttons off.
    void SetBusy(bool busy);
    // Fires the form's timers that are due; the host's clock calls it.
    void Tick();
    // A form that comes up takes the keys: the first field (or grid) gets the focus, so that
    // its shortcuts work at once.
    void FocusFirstField();

signals:
    void FormTitleChanged(const QString& title);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Whether the widget edits a field of the form's own record.
    bool OfMasterField(const QWidget& widget) const;
    void Build();
    QWidget* BuildToolBar();
    void AddActionButton(QAction& action);
    // A drop-down button over a menu; with a lead action, a click on it runs that action.
    void AddMenuButton(TMenu& menu, QAction* lead);
    QWidget* BuildFields(const std::string& page, QWidget* parent);
    TDataGrid* BuildGrid(TGrid& grid, QWidget* parent);
    void BuildTotals(QWidget* parent);
    void SetEntryColumns(const TGrid& grid, TDataGrid& view);
    // Lists open the row under a double click or Enter.
    void ConnectDblClick(TGrid& grid, TDataGrid& view);
    bool ShowsGrid(const TGrid& grid) const;
    void ShowLinePopup(TDataGrid& grid, const QPoint& globalPos);
    void SyncSelection(TGrid& grid, TDataGrid& view);
    // Line entry from the grid's keys.
    void AppendLine(TDataGrid& view);
    void DeleteLine(TDataGrid& view);
    void ChooseInColumn(TDataGrid& view, const QModelIndex& index, const QString& typed);
    bool Editable(const TDataGrid& view) const;
    void CommitPendingEdits();
    void ReportError(const QString& text);
    // The grid in a frame titled with its caption, where it has one.
    static QWidget* WithCaption(const TGrid& grid, QWidget& view, QWidget* parent);
    // The grid of a page with the page's chart beside it, where the form draws one.
    QWidget* WithChartOfPage(const std::string& page, TDataGrid& view, QWidget* parent);
    void PageChosen(int index);
    void ShowFormsPage();
    void AddExportAction();
    TDataGrid* ExportedGrid() const;
    void ExportGridToExcel(TDataGrid& view);

    std::unique_ptr<TfBase> owned_;
    TfBase* form_;
    TFormActions* actions_ = nullptr;
    QWidget* toolBar_ = nullptr;
    struct TMenuButton {
        TMenu* Menu;
        QToolButton* Button;
        QAction* Lead;
    };
    std::vector<TMenuButton> menuButtons_;
    QTabWidget* pages_ = nullptr;
    TSidePanelWidget* sidePanel_ = nullptr;
    TTotalsPanel* totals_ = nullptr;
    std::vector<TDbFieldControl*> fields_;
    struct TGridEntry {
        TGrid* Grid;
        TDataGrid* View;
        TDataSetModel* Model;
    };
    std::vector<TGridEntry> grids_;
    std::vector<std::pair<const void*, qint64>> timerStarts_;
    QTimer* clock_ = nullptr;
    std::vector<TChartWidget*> charts_;
    QAction* exportAction_ = nullptr;
    TDataGrid* exportGrid_ = nullptr;  // the grid whose popup menu asked for the export
    bool showingPage_ = false;
    bool busy_ = false;
    bool running_ = false;
    int ticks_ = 0;
};

}  // namespace tavrek::desktop
