#include "desktop/TFormHostWidget.h"

#include <QAction>
#include <algorithm>
#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/errors/TELException.h"
#include "base/forms/TfBase.h"
#include "base/forms/TWaitCursor.h"
#include "base/forms/TfBaseEditMasterDetail.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "desktop/TChartWidget.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TDbFieldControl.h"
#include "desktop/TExcelExport.h"
#include "desktop/TFlowLayout.h"
#include "desktop/TFormActions.h"
#include "desktop/TGridFooter.h"
#include "desktop/TGridView.h"
#include "desktop/TSidePanelWidget.h"
#include "desktop/TTotalsPanel.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

constexpr int kTickMs = 50;
constexpr int kActionSyncTicks = 10;

}  // namespace

TFormHostWidget::TFormHostWidget(std::unique_ptr<TfBase> form, QWidget* parent)
    : QWidget(parent), owned_(std::move(form)), form_(owned_.get()) {
    Build();
}

TFormHostWidget::TFormHostWidget(TfBase& form, QWidget* parent) : QWidget(parent), form_(&form) { Build(); }

TFormHostWidget::~TFormHostWidget() {
    // Models watch the form's datasets: they go before the form does.
    clock_->stop();
    for (TDbFieldControl* field : fields_) delete field;
    for (TGridEntry& grid : grids_) {
        delete grid.View;
        delete grid.Model;
    }
}

void TFormHostWidget::Build() {
    setObjectName(ToQ(form_->ClassName()));
    setWindowTitle(ToQ(form_->Description.Caption.empty() ? form_->ClassName() : form_->Description.Caption));
    actions_ = new TFormActions(form_->AcListBase, [this](const std::function<void()>& body) { Run(body); }, this);
    for (QAction* action : actions_->QActions()) addAction(action);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->addWidget(BuildToolBar());
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* main = new QWidget(splitter);
    auto* mainLayout = new QVBoxLayout(main);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->addWidget(BuildFields("", main));
    bool stretched = false;
    bool pagedGrid = false;
    for (const TFormPage& page : form_->Description.Pages) {
        if (page.Name.empty()) continue;
        if (pages_ == nullptr) pages_ = new QTabWidget(main);
        auto* tab = new QWidget(pages_);
        tab->setObjectName(ToQ(page.Name));
        auto* tabLayout = new QVBoxLayout(tab);
        tabLayout->addWidget(BuildFields(page.Name, tab));
        bool tabGrid = false;
        for (TGrid* grid : form_->Grids()) {
            if (!EqualsIgnoreCase(grid->Page, page.Name) || !ShowsGrid(*grid)) continue;
            if (TDataGrid* view = BuildGrid(*grid, tab)) {
                tabLayout->addWidget(WithCaption(*grid, *WithChartOfPage(page.Name, *view, tab), tab), 1);
                tabGrid = pagedGrid = true;
            }
        }
        if (!tabGrid) tabLayout->addStretch(1);
        pages_->addTab(tab, ToQ(page.Caption.empty() ? page.Name : page.Caption));
    }
    if (pages_ != nullptr) {
        mainLayout->addWidget(pages_, pagedGrid ? 1 : 0);
        connect(pages_, &QTabWidget::currentChanged, this, &TFormHostWidget::PageChosen);
    }
    stretched = pagedGrid;
    for (TGrid* grid : form_->Grids()) {
        if (!grid->Page.empty() || !ShowsGrid(*grid)) continue;
        if (TDataGrid* view = BuildGrid(*grid, main)) {
            mainLayout->addWidget(WithCaption(*grid, *view, main), 1);
            stretched = true;
        }
    }
    if (!stretched) mainLayout->addStretch(1);
    BuildTotals(main);
    if (totals_ != nullptr) mainLayout->addWidget(totals_);
    if (!grids_.empty()) AddExportAction();
    sidePanel_ = new TSidePanelWidget(form_->pFloat, [this](const std::function<void()>& body) { Run(body); }, splitter);
    // The side panel is never squeezed shut: its captions stay readable.
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    outer->addWidget(splitter, 1);
    clock_ = new QTimer(this);
    clock_->setInterval(kTickMs);
    connect(clock_, &QTimer::timeout, this, &TFormHostWidget::Tick);
    clock_->start();
    RefreshAll();
}

namespace {

// The popup menus of lines and documents open on a right click; the other menus of a form
// are its drop-down buttons.
bool IsButtonMenu(const TMenu& menu) {
    return !EqualsIgnoreCase(menu.Name, "pmDocument") && !EqualsIgnoreCase(menu.Name, "pmLine");
}

bool AnyItemVisible(const TMenuItem& menu) {
    return std::any_of(menu.Items().begin(), menu.Items().end(),
                       [](const auto& item) { return !item->Separator && item->Visible(); });
}

bool Holds(const TMenuItem& menu, const TAction& action) {
    return std::any_of(menu.Items().begin(), menu.Items().end(),
                       [&action](const auto& item) { return item->Action == &action || Holds(*item, action); });
}

}  // namespace

// The commands in the order of the form's actions; an action of a drop-down is in its menu
// only, and a drop-down led by an action (posting, with its variants) stands in its place.
// The drop-downs that lead with no action come last.
QWidget* TFormHostWidget::BuildToolBar() {
    auto* bar = toolBar_ = new QWidget(this);
    bar->setObjectName(QStringLiteral("commandBar"));
    new TFlowLayout(bar);
    std::vector<TMenu*> menus;
    for (TMenu* menu : form_->Menus())
        if (IsButtonMenu(*menu) && !menu->Items().empty()) menus.push_back(menu);
    for (const auto& action : form_->AcListBase.Actions()) {
        QAction* qaction = actions_->Find(*action);
        bar->addAction(qaction);
        const auto led = std::find_if(menus.begin(), menus.end(), [&](TMenu* m) { return m->ButtonAction == action.get(); });
        if (led != menus.end()) AddMenuButton(**led, qaction);
        else if (std::none_of(menus.begin(), menus.end(), [&](TMenu* m) { return Holds(*m, *action); }))
            AddActionButton(*qaction);
    }
    for (TMenu* menu : menus)
        if (menu->ButtonAction == nullptr || actions_->Find(*menu->ButtonAction) == nullptr) AddMenuButton(*menu, nullptr);
    return bar;
}

void TFormHostWidget::AddMenuButton(TMenu& menu, QAction* lead) {
    auto* button = new QToolButton(toolBar_);
    button->setAutoRaise(true);
    if (lead != nullptr) {
        button->setObjectName(lead->objectName());
        button->setDefaultAction(lead);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    } else {
        button->setObjectName(ToQ(menu.Name));
        button->setText(ToQ(menu.Caption().empty() ? menu.Name : menu.Caption()));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setPopupMode(QToolButton::InstantPopup);
    }
    button->setMenu(actions_->CreateMenu(menu, button));
    toolBar_->layout()->addWidget(button);
    menuButtons_.push_back({&menu, button, lead});
}

void TFormHostWidget::AddActionButton(QAction& action) {
    auto* button = new QToolButton(toolBar_);
    button->setObjectName(action.objectName());
    button->setDefaultAction(&action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setVisible(action.isVisible());
    connect(&action, &QAction::changed, button, [button, &action] { button->setVisible(action.isVisible()); });
    toolBar_->layout()->addWidget(button);
}

QWidget* TFormHostWidget::BuildFields(const std::string& page, QWidget* parent) {
    auto* area = new QWidget(parent);
    auto* layout = new QGridLayout(area);
    layout->setContentsMargins(4, 4, 4, 4);
    int index = 0;
    for (const THeaderField& headerField : form_->Description.Fields) {
        if (!EqualsIgnoreCase(headerField.Page, page)) continue;
        auto* control = new TDbFieldControl(*form_, headerField, area);
        connect(control, &TDbFieldControl::Edited, this, [this] {
            if (!running_) RefreshAll();
        });
        const int row = index / 2, column = (index % 2) * 2;
        layout->addWidget(&control->Label(), row, column);
        layout->addWidget(&control->Editor(), row, column + 1);
        fields_.push_back(control);
        ++index;
    }
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);
    area->setVisible(index > 0);
    return area;
}

bool TFormHostWidget::ShowsGrid(const TGrid& grid) const {
    if (!grid.Columns.empty()) return true;
    // A grid without columns is shown only where it is the form: a list with no header edits.
    return &grid == &form_->dbgMaster && form_->Description.Fields.empty();
}

TDataGrid* TFormHostWidget::BuildGrid(TGrid& grid, QWidget* parent) {
    TClientDataSet* dataSet = form_->FindDataSet(grid.DataSet);
    if (dataSet == nullptr) return nullptr;
    auto* model = new TDataSetModel(*dataSet, GridColumns(grid, *dataSet), this);
    model->SetReadOnly(grid.ReadOnly || form_->ReadOnly);
    model->OnError = [this](const QString& text) { ReportError(text); };
    model->OnEnterValue = [this, dataSet](TField& field, const Variant& value) {
        return form_->EnterFieldValue(*dataSet, field, value);
    };
    auto* view = new TDataGrid(*model, parent);
    view->setObjectName(ToQ(grid.Name));
    view->View().IsLookupColumn = [this, model](int column) {
        TClientDataSet& lines = model->DataSet();
        const TColumnLayout& layout = model->Columns().at(static_cast<size_t>(column));
        return !layout.ReadOnly && form_->LookupOf(lines, lines.Fields(layout.FieldIndex).FieldName()) != nullptr;
    };
    SetEntryColumns(grid, *view);
    connect(&view->View(), &TGridView::AppendRequested, this, [this, view] { AppendLine(*view); });
    connect(&view->View(), &TGridView::DeleteRequested, this, [this, view] { DeleteLine(*view); });
    connect(&view->View(), &TGridView::SelectorRequested, this,
            [this, view](const QModelIndex& index, const QString& typed) { ChooseInColumn(*view, index, typed); });
    view->View().setSelectionMode(grid.MultiSelect ? QAbstractItemView::ExtendedSelection
                                                   : QAbstractItemView::SingleSelection);
    view->View().setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&view->View(), &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        ShowLinePopup(*view, view->View().viewport()->mapToGlobal(pos));
    });
    connect(view->View().selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, &grid, view] { SyncSelection(grid, *view); });
    // Lines posted from the grid change header totals and action states.
    connect(model, &QAbstractItemModel::dataChanged, this, [this] {
        if (!running_) QTimer::singleShot(0, this, &TFormHostWidget::RefreshAll);
    });
    if (grid.OnDblClick) ConnectDblClick(grid, *view);
    grids_.push_back({&grid, view, model});
    return view;
}

// Every document with lines shows its totals under them, whichever page is in front.
void TFormHostWidget::BuildTotals(QWidget* parent) {
    auto* document = dynamic_cast<TfBaseEditMasterDetail*>(form_);
    if (document == nullptr || Grid(document->dbgDetail.Name) == nullptr) return;
    totals_ = new TTotalsPanel(document->Totals, parent);
}

void TFormHostWidget::ConnectDblClick(TGrid& grid, TDataGrid& view) {
    const auto open = [this, &grid] { Run([&grid] { grid.OnDblClick(); }); };
    connect(&view.View(), &QAbstractItemView::doubleClicked, this, open);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), &view.View());
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, open);
    }
}

// Tab and Enter stop at the cells the form names for entry; a grid that lets none of them be
// typed into stops at every editable cell.
void TFormHostWidget::SetEntryColumns(const TGrid& grid, TDataGrid& view) {
    std::vector<bool> entry;
    const TDataSetModel& model = view.Model();
    for (const TColumnLayout& column : model.Columns()) {
        const TField& field = model.DataSet().Fields(column.FieldIndex);
        entry.push_back(!column.ReadOnly && !field.ReadOnly &&
                        std::any_of(grid.EntryFields.begin(), grid.EntryFields.end(), [&field](const std::string& name) {
                            return EqualsIgnoreCase(name, field.FieldName());
                        }));
    }
    if (std::none_of(entry.begin(), entry.end(), [](bool stop) { return stop; })) return;
    view.View().IsEntryColumn = [entry](int column) {
        return column >= 0 && static_cast<size_t>(column) < entry.size() && entry[static_cast<size_t>(column)];
    };
}

std::vector<TDataGrid*> TFormHostWidget::Grids() const {
    std::vector<TDataGrid*> views;
    for (const TGridEntry& grid : grids_) views.push_back(grid.View);
    return views;
}

TDataGrid* TFormHostWidget::Grid(std::string_view name) const {
    for (const TGridEntry& grid : grids_)
        if (EqualsIgnoreCase(grid.Grid->Name, name)) return grid.View;
    return nullptr;
}

TDbFieldControl* TFormHostWidget::FieldControl(std::string_view fieldName) const {
    for (TDbFieldControl* field : fields_)
        if (EqualsIgnoreCase(field->FieldName(), fieldName)) return field;
    return nullptr;
}

bool TFormHostWidget::Editable(const TDataGrid& view) const { return !view.Model().ReadOnly() && !form_->ReadOnly; }

// A new line takes the form's new-line defaults; one that is still empty is not repeated.
// In a grid that takes no lines, a list's, Insert is the form's new document.
void TFormHostWidget::AppendLine(TDataGrid& view) {
    TClientDataSet& lines = view.Model().DataSet();
    if (!Editable(view)) {
        if (&lines == &form_->cdsMaster) Run([this] { form_->acInsertRecord.Execute(); });
        return;
    }
    if (!lines.Active()) return;
    if (lines.State() == TDataSetState::dsInsert && !lines.Modified()) return;
    form_->RunGuarded(form_->OperationName("AppendLine"), [&lines] { lines.Append(); });
    RefreshAll();
    TGridView& grid = view.View();
    grid.setFocus();
    grid.setCurrentIndex(grid.FirstEditable(view.Model().CurrentRow()));
}

void TFormHostWidget::DeleteLine(TDataGrid& view) {
    TClientDataSet& lines = view.Model().DataSet();
    if (!Editable(view) || !lines.Active() || (lines.IsEmpty() && lines.State() != TDataSetState::dsInsert)) return;
    form_->RunGuarded(form_->OperationName("DeleteLine"), [&lines] {
        if (lines.State() == TDataSetState::dsInsert) {
            lines.Cancel();
            return;
        }
        if (AskYesNoKey("que_DeleteLine", "Да бъде ли изтрит редът?")) lines.Delete();
    });
    RefreshAll();
}

void TFormHostWidget::ChooseInColumn(TDataGrid& view, const QModelIndex& index, const QString& typed) {
    TDataSetModel& model = view.Model();
    if (!Editable(view) || !index.isValid()) return;
    TClientDataSet& lines = model.DataSet();
    const std::string field = lines.Fields(model.Columns().at(static_cast<size_t>(index.column())).FieldIndex).FieldName();
    form_->RunGuarded(form_->OperationName(field + ".Selector"), [&] {
        model.MoveCursorToRow(index.row());
        if (form_->SelectFieldLookup(lines, field, FromQ(typed)) && lines.State() == TDataSetState::dsEdit) lines.Post();
    });
    RefreshAll();
    view.View().setFocus();
    view.View().setCurrentIndex(index);
}

void TFormHostWidget::SyncSelection(TGrid& grid, TDataGrid& view) {
    grid.SelectedRows.clear();
    if (!grid.MultiSelect) return;
    const TClientDataSet& dataSet = view.Model().DataSet();
    for (int raw : view.SelectedRawIndices()) grid.SelectedRows.push_back(dataSet.RawBookmark(raw));
}

void TFormHostWidget::ShowLinePopup(TDataGrid& grid, const QPoint& globalPos) {
    const bool lines = grid.objectName() == QStringLiteral("dbgDetail");
    TMenu& source = lines ? form_->pmLine : form_->pmDocument;
    QMenu menu(this);
    actions_->FillMenu(menu, source);
    if (!menu.isEmpty()) menu.addSeparator();
    exportGrid_ = &grid;
    menu.addAction(exportAction_);
    menu.exec(globalPos);
    exportGrid_ = nullptr;
}

void TFormHostWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (form_->pmDocument.Items().empty()) return;
    QMenu menu(this);
    actions_->FillMenu(menu, form_->pmDocument);
    menu.exec(event->globalPos());
}

// Taking the focus away closes a cell editor, which writes its text into the record. The focus
// comes back at once, to the grid of a cell editor, so that keys go on to it (Space marks the
// next row), and the window keeps it when a dialog the action opens closes: without it the
// main window gives it to the first window it holds, which comes to the front.
void TFormHostWidget::CommitPendingEdits() {
    QPointer<QWidget> focus = QApplication::focusWidget();
    if (focus == nullptr || !isAncestorOf(focus)) return;
    QPointer<QWidget> back = focus;
    for (QWidget* w = focus; w != this; w = w->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(w)) back = view;
    focus->clearFocus();
    if (back != nullptr) back->setFocus();
}

void TFormHostWidget::Run(const std::function<void()>& body) {
    if (running_) {
        body();
        return;
    }
    running_ = true;
    CommitPendingEdits();
    QPointer<TFormHostWidget> self(this);
    const bool wasNew = form_->cdsMaster.State() == TDataSetState::dsInsert;
    form_->RunGuarded(form_->OperationName("Execute"), body);
    if (self.isNull()) return;
    running_ = false;
    RefreshAll();
    // A new document is filled in from its first field, wherever the person clicked "Нов".
    if (!wasNew && form_->cdsMaster.State() == TDataSetState::dsInsert) FocusFirstField();
}

void TFormHostWidget::RefreshAll() {
    if (busy_ || form_->Closed()) return;
    for (TDbFieldControl* field : fields_) field->Refresh();
    actions_->Sync();
    for (const TMenuButton& shown : menuButtons_)
        shown.Button->setVisible(shown.Lead != nullptr ? shown.Lead->isVisible() : AnyItemVisible(*shown.Menu));
    form_->UpdateFooters();
    for (TGridEntry& grid : grids_) {
        grid.Model->SetReadOnly(grid.Grid->ReadOnly || form_->ReadOnly);
        grid.View->setVisible(grid.Grid->Visible);
        grid.View->setEnabled(grid.Grid->Enabled);
        for (int column = 0; column < grid.Model->columnCount(); ++column) {
            const TColumnLayout& headerField = grid.Model->Columns()[static_cast<size_t>(column)];
            if (!headerField.FooterAggregate.isEmpty()) continue;
            const std::string& name = grid.Model->DataSet().Fields(headerField.FieldIndex).FieldName();
            if (const TGridColumn* source = grid.Grid->FindColumn(name))
                grid.Model->SetFooterText(column, ToQ(source->FooterText));
        }
        // A document's totals come with its first record: a grid made on an empty form shows
        // its footer once the form has something to put in it.
        grid.View->Footer().setVisible(grid.View->Footer().HasContent());
        grid.View->Footer().update();
        if (grid.Grid->SelectedRows.empty() && grid.View->View().selectionModel()->selectedRows().size() > 1)
            grid.View->View().clearSelection();
        if (!grid.View->Editing()) grid.Model->RefreshCurrentRow();
    }
    if (totals_ != nullptr) totals_->Refresh();
    sidePanel_->Refresh();
    if (pages_ != nullptr) {
        for (int i = 0; i < pages_->count(); ++i)
            if (const TFormPage* page = form_->Description.FindPage(FromQ(pages_->widget(i)->objectName())))
                pages_->setTabVisible(i, page->Visible);
        ShowFormsPage();
    }
    for (TChartWidget* chart : charts_) chart->Refresh();
    const QString title = ToQ(form_->Description.Caption.empty() ? form_->ClassName() : form_->Description.Caption);
    if (title != windowTitle()) {
        setWindowTitle(title);
        emit FormTitleChanged(title);
    }
}

namespace {

// Tool buttons and page tabs take the focus on Tab, but typing goes to fields and grids.
bool TakesTyping(const QWidget& widget) {
    const bool command = qobject_cast<const QToolButton*>(&widget) != nullptr ||
                         qobject_cast<const QTabBar*>(&widget) != nullptr ||
                         qobject_cast<const QTabWidget*>(&widget) != nullptr;
    const auto* line = qobject_cast<const QLineEdit*>(&widget);
    return !command && (line == nullptr || !line->isReadOnly()) && (widget.focusPolicy() & Qt::TabFocus) &&
           widget.isVisible() && widget.isEnabled();
}

}  // namespace

// The document's own fields come first: panels of other data (the vendor's document, the
// filter of a list) are reached by Tab or a click.
void TFormHostWidget::FocusFirstField() {
    if (const TDbFieldControl* named = FieldControl(form_->Description.FirstField)) {
        QWidget* edit = named->Editor().focusProxy() != nullptr ? named->Editor().focusProxy() : &named->Editor();
        if (TakesTyping(*edit)) return edit->setFocus(Qt::OtherFocusReason);
    }
    QWidget* first = nullptr;
    for (QWidget* next = nextInFocusChain(); next != this; next = next->nextInFocusChain()) {
        if (!isAncestorOf(next) || !TakesTyping(*next)) continue;
        if (first == nullptr) first = next;
        if (OfMasterField(*next)) {
            first = next;
            break;
        }
    }
    if (first != nullptr) first->setFocus(Qt::OtherFocusReason);
}

bool TFormHostWidget::OfMasterField(const QWidget& widget) const {
    for (const TDbFieldControl* field : fields_)
        if (&field->Editor() == &widget || field->Editor().isAncestorOf(&widget))
            return field->DataSetName() == form_->cdsMaster.Name;
    return false;
}

void TFormHostWidget::SetBusy(bool busy) {
    if (busy_ == busy) return;
    busy_ = busy;
    toolBar_->setEnabled(!busy);
    for (TGridEntry& grid : grids_) grid.View->setEnabled(!busy && grid.Grid->Enabled);
    if (!busy) RefreshAll();
}

void TFormHostWidget::Tick() {
    if (busy_ || form_->Closed()) return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    bool fired = false;
    for (TTimer* timer : form_->Timers()) {
        auto it = std::find_if(timerStarts_.begin(), timerStarts_.end(), [timer](auto& e) { return e.first == timer; });
        if (!timer->Enabled) {
            if (it != timerStarts_.end()) timerStarts_.erase(it);
            continue;
        }
        if (it == timerStarts_.end()) {
            timerStarts_.emplace_back(timer, now);
            continue;
        }
        if (now - it->second < timer->Interval) continue;
        it->second = now;
        form_->RunGuarded(form_->OperationName(timer->Name + "Timer"), [timer] { timer->Fire(); });
        fired = true;
    }
    if (fired || ++ticks_ % kActionSyncTicks == 0) RefreshAll();
}

QWidget* TFormHostWidget::WithCaption(const TGrid& grid, QWidget& view, QWidget* parent) {
    if (grid.Caption.empty()) return &view;
    auto* frame = new QGroupBox(ToQ(grid.Caption), parent);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 2, 2, 2);
    view.setParent(frame);
    layout->addWidget(&view);
    return frame;
}

QWidget* TFormHostWidget::WithChartOfPage(const std::string& page, TDataGrid& view, QWidget* parent) {
    for (TChart& chart : form_->Description.Charts) {
        TClientDataSet* rows = form_->FindDataSet(chart.DataSet);
        if (!EqualsIgnoreCase(chart.Page, page) || rows == nullptr) continue;
        auto* splitter = new QSplitter(Qt::Horizontal, parent);
        view.setParent(splitter);
        splitter->addWidget(&view);
        auto* drawn = new TChartWidget(chart, *rows, splitter);
        splitter->addWidget(drawn);
        // The table is what a person reads first; the chart takes the room the columns leave.
        splitter->setStretchFactor(0, 2);
        splitter->setStretchFactor(1, 1);
        splitter->setSizes({1000, 500});
        connect(drawn, &TChartWidget::RowClicked, this, [this, &chart](int row) {
            Run([&chart, row] { chart.OnClick(row); });
        });
        charts_.push_back(drawn);
        return splitter;
    }
    return &view;
}

TChartWidget* TFormHostWidget::Chart(std::string_view name) const {
    for (TChartWidget* chart : charts_)
        if (EqualsIgnoreCase(FromQ(chart->objectName()), name)) return chart;
    return nullptr;
}

// The user chose a tab: the form hears which page is in front now.
void TFormHostWidget::PageChosen(int index) {
    if (showingPage_ || index < 0) return;
    form_->Description.ShownPage = FromQ(pages_->widget(index)->objectName());
    if (form_->Description.OnPageShown) Run([this] { form_->Description.OnPageShown(); });
}

// The form may bring a page to the front itself (a click that opens another view of it).
void TFormHostWidget::ShowFormsPage() {
    const std::string& wanted = form_->Description.ShownPage;
    if (wanted.empty() || EqualsIgnoreCase(FromQ(pages_->currentWidget()->objectName()), wanted)) return;
    for (int i = 0; i < pages_->count(); ++i)
        if (EqualsIgnoreCase(FromQ(pages_->widget(i)->objectName()), wanted)) {
            showingPage_ = true;
            pages_->setCurrentIndex(i);
            showingPage_ = false;
        }
}

// Every form that shows a grid writes what it shows to Excel: a command of its own and an
// entry of every grid's popup menu.
void TFormHostWidget::AddExportAction() {
    exportAction_ = new QAction(QIcon::fromTheme("x-office-spreadsheet"), QStringLiteral("Експорт в Excel"), this);
    exportAction_->setObjectName(QStringLiteral("acExportToExcel"));
    exportAction_->setToolTip(QStringLiteral("Записва показаните редове, колоните и сумите им във файл .xlsx"));
    connect(exportAction_, &QAction::triggered, this,
            [this] { ExportGridToExcel(exportGrid_ != nullptr ? *exportGrid_ : *ExportedGrid()); });
    toolBar_->addAction(exportAction_);
    AddActionButton(*exportAction_);
}

// The grid the person works in; else the one of the page in front; else the first shown.
TDataGrid* TFormHostWidget::ExportedGrid() const {
    for (const TGridEntry& grid : grids_)
        if (grid.View->isAncestorOf(QApplication::focusWidget())) return grid.View;
    for (const TGridEntry& grid : grids_)
        if (grid.View->isVisibleTo(this) && (pages_ == nullptr || pages_->currentWidget()->isAncestorOf(grid.View)))
            return grid.View;
    return grids_.front().View;
}

void TFormHostWidget::ExportGridToExcel(TDataGrid& view) {
    TDataSetModel& model = view.Model();
    TExcelHeading heading{windowTitle(), {}};
    for (const THeaderField& field : form_->Description.Fields) {
        TClientDataSet* dataSet = form_->FindDataSet(field.DataSet);
        if (dataSet == nullptr || !field.Visible || form_->SavesDataSet(dataSet->Name) || !dataSet->Active()) continue;
        const TField* value = dataSet->FindField(field.FieldName);
        const QString text = value == nullptr ? QString() : DisplayText(value->Value(), value->DataType(), TNumberKind::nkNone);
        if (!text.isEmpty()) heading.Filter.emplace_back(ToQ(field.Caption), text);
    }
    std::string path = FromQ(windowTitle()) + ".xlsx";
    if (!dm().Dialogs().SelectFile("Експорт в Excel", "Excel (*.xlsx)", true, path)) return;
    if (!QString::fromStdString(path).endsWith(".xlsx", Qt::CaseInsensitive)) path += ".xlsx";
    Run([&] {
        int rows = 0;
        try {
            TWaitCursor wait;
            // A list reads its rows as they are scrolled to: the file gets every one of them.
            if (model.DataSet().CanFetchMore()) model.DataSet().FetchAll();
            std::vector<int> columns;
            const QHeaderView& header = *view.View().horizontalHeader();
            for (int visual = 0; visual < header.count(); ++visual)
                if (!header.isSectionHidden(header.logicalIndex(visual))) columns.push_back(header.logicalIndex(visual));
            rows = ExportToExcel(path, heading, model, columns);
        } catch (const std::runtime_error& e) {
            MessageDlgEx(FormatMessage(GetMessageText("err_ExportToExcel", "Файлът %s не може да бъде записан: %s"), {path, e.what()}),
                         TMsgDlgType::mtError, mbOK);
            return;
        }
        MessageDlgEx(FormatMessage(GetMessageText("msg_ExportedToExcel", "Записани са %s реда в %s."), {std::to_string(rows), path}),
                     TMsgDlgType::mtInformation, mbOK);
    });
}

void TFormHostWidget::ReportError(const QString& text) {
    const std::string message = GetMessageText("err_GridEditRefused", "Промяната не може да бъде приета: %s");
    MessageDlgEx(FormatMessage(message, {FromQ(text)}), TMsgDlgType::mtError, mbOK);
}

}  // namespace tavrek::desktop
