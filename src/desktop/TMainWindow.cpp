#include "desktop/TMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/errors/TELException.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TfBase.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TPdfPrinter.h"
#include "desktop/TWindowSettings.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

struct TGroupCaption {
    TFormGroup Group;
    const char* Caption;
};

const TGroupCaption kGroups[] = {
    {TFormGroup::fgDocuments, "&Документи"},
    {TFormGroup::fgPostedDocuments, "&Осчетоводени документи"},
    {TFormGroup::fgGlobalDocuments, "&Глобални документи"},
    {TFormGroup::fgReplenishment, "&Снабдяване"},
    {TFormGroup::fgLists, "Сп&исъци"},
    {TFormGroup::fgSetup, "&Настройки"},
    {TFormGroup::fgOtherPackages, "Но&менклатури и справки"},
    {TFormGroup::fgReports, "Спр&авки"},
};

bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

const QKeySequence kCloseKey(Qt::CTRL | Qt::Key_F4);

// New windows step down and right from the corner by a title bar each, eight steps at most.
constexpr int kCascadeSlots = 8;

int TitleBarStep(const QWidget& widget) {
    return std::max(widget.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &widget), 16);
}

}  // namespace

TMainWindow::TMainWindow(QWidget* parent)
    : QMainWindow(parent), mdi_(new QMdiArea(this)), progress_(new QProgressBar(this)),
      progressCaption_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Tavrek — Покупки"));
    mdi_->setViewMode(QMdiArea::SubWindowView);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->viewport()->installEventFilter(this);
    setCentralWidget(mdi_);
    purchaseMenu_ = menuBar()->addMenu(QStringLiteral("&Покупки"));
    purchaseMenu_->setObjectName(QStringLiteral("mnPurchases"));
    BuildWindowMenu();
    statusBar()->addPermanentWidget(progressCaption_);
    statusBar()->addPermanentWidget(progress_);
    progress_->setMaximumWidth(200);
    progress_->hide();
    progressCaption_->hide();
    BuildPurchaseMenu();
    resize(1280, 800);
}

TMainWindow::~TMainWindow() {
    mdi_->viewport()->removeEventFilter(this);
    for (QMdiSubWindow* window : mdi_->subWindowList()) window->removeEventFilter(this);
}

void TMainWindow::BuildPurchaseMenu() {
    purchaseMenu_->clear();
    for (const TGroupCaption& group : kGroups) {
        QMenu* sub = nullptr;
        for (const TFormClassInfo& info : FormRegistry().Classes()) {
            if (info.Group != group.Group) continue;
            if (sub == nullptr) sub = purchaseMenu_->addMenu(QString::fromUtf8(group.Caption));
            QAction* action = sub->addAction(ToQ(info.Caption.empty() ? info.ClassName : info.Caption));
            action->setObjectName(ToQ(info.ClassName));
            const std::string className = info.ClassName;
            connect(action, &QAction::triggered, this, [this, className] { OpenFromMenu(className); });
        }
    }
    if (purchaseMenu_->isEmpty()) purchaseMenu_->addAction(QStringLiteral("(няма регистрирани форми)"))->setEnabled(false);
}

// The commands are the main window's too, so that their keys work while the menu is closed;
// the open windows are listed each time the menu opens.
void TMainWindow::BuildWindowMenu() {
    windowMenu_ = menuBar()->addMenu(QStringLiteral("П&розорци"));
    windowMenu_->setObjectName(QStringLiteral("mnWindows"));
    const auto command = [this](const char* name, const char* caption, const QList<QKeySequence>& keys,
                                std::function<void()> run) {
        auto* action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, std::move(run));
        addAction(action);
        windowCommands_.push_back(action);
    };
    command("acCascade", "&Каскада", {}, [this] { CascadeWindows(); });
    command("acTile", "&Мозайка", {}, [this] { TileWindows(); });
    windowCommands_.push_back(nullptr);
    command("acNextWindow", "&Следващ прозорец", {QKeySequence(Qt::CTRL | Qt::Key_Tab)}, [this] {
        mdi_->activateNextSubWindow();
    });
    command("acPreviousWindow", "П&редишен прозорец",
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)},
            [this] { mdi_->activatePreviousSubWindow(); });
    command("acCloseWindow", "&Затвори", {kCloseKey}, [this] {
        if (QMdiSubWindow* window = mdi_->currentSubWindow()) window->close();
    });
    command("acCloseAllWindows", "Затвори в&сички", {}, [this] { CloseAllForms(); });
    connect(windowMenu_, &QMenu::aboutToShow, this, &TMainWindow::ListWindows);
    ListWindows();
}

void TMainWindow::ListWindows() {
    windowMenu_->clear();
    for (QAction* command : windowCommands_) {
        if (command == nullptr) windowMenu_->addSeparator();
        else windowMenu_->addAction(command);
    }
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (!windows.isEmpty()) windowMenu_->addSeparator();
    for (qsizetype i = 0; i < windows.size(); ++i) {
        QPointer<QMdiSubWindow> window = windows[i];
        QString caption = window->windowTitle().replace('&', QStringLiteral("&&"));
        if (i < 9) caption = QStringLiteral("&%1 %2").arg(i + 1).arg(caption);
        QAction* entry = windowMenu_->addAction(caption);
        entry->setObjectName(QStringLiteral("window%1").arg(i + 1));
        entry->setCheckable(true);
        entry->setChecked(window == mdi_->currentSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] {
            if (window.isNull()) return;
            if (window->isMinimized()) window->showNormal();
            mdi_->setActiveSubWindow(window);
        });
    }
}

bool TMainWindow::OpenForm(const std::string& classOrNumber) {
    TFormRequest request;
    if (IsNumber(classOrNumber)) request.FormNumber = std::stoi(classOrNumber);
    else request.ClassName = classOrNumber;
    const qsizetype before = mdi_->subWindowList().size();
    try {
        RequestForm(request);
    } catch (...) {
        const std::string message = CurrentExceptionMessage();
        TELException(message, "TMainWindow.OpenForm(" + classOrNumber + ")");
        ShowError(message);
        return false;
    }
    return mdi_->subWindowList().size() > before || request.Modal();
}

bool TMainWindow::OpenFromMenu(const std::string& classOrNumber) {
    const qsizetype before = mdi_->subWindowList().size();
    if (!OpenForm(classOrNumber)) return false;
    if (mdi_->subWindowList().size() == before) return true;
    // The newest window, also while the main window is not shown (a screenshot).
    // The new document's controls show what it starts with (a date), so leaving them keeps it.
    if (TFormHostWidget* host = HostOf(mdi_->subWindowList().back())) {
        host->Form().StartFromMenu();
        host->RefreshAll();
    }
    return true;
}

void TMainWindow::ShowError(const std::string& text) {
    const std::string format = GetMessageText("err_FormNotOpened", "Формата не може да бъде отворена: %s");
    MessageDlgEx(FormatMessage(format, {text}), TMsgDlgType::mtError, mbOK);
}

std::vector<TFormHostWidget*> TMainWindow::Hosts() const {
    std::vector<TFormHostWidget*> hosts;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (TFormHostWidget* host = HostOf(window)) hosts.push_back(host);
    for (const TModal& modal : modals_)
        if (auto* host = modal.Dialog->findChild<TFormHostWidget*>()) hosts.push_back(host);
    return hosts;
}

TFormHostWidget* TMainWindow::HostOf(const TfBase& form) const {
    for (TFormHostWidget* host : Hosts())
        if (&host->Form() == &form) return host;
    return nullptr;
}

TFormHostWidget* TMainWindow::HostOf(const QMdiSubWindow* window) {
    return window == nullptr ? nullptr : window->findChild<TFormHostWidget*>();
}

TFormHostWidget* TMainWindow::ActiveHost() const {
    QMdiSubWindow* window = mdi_->currentSubWindow();
    if (window == nullptr && !mdi_->subWindowList().isEmpty()) window = mdi_->subWindowList().last();
    return HostOf(window);
}

// A form larger than its window scrolls inside it, so that no window need be larger than
// the work area.
void TMainWindow::ShowForm(std::unique_ptr<TfBase> form) {
    auto* host = new TFormHostWidget(std::move(form));
    auto* scroller = new QScrollArea;
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    scroller->setWidget(host);
    QMdiSubWindow* window = mdi_->addSubWindow(scroller);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(host->windowTitle());
    window->installEventFilter(this);
    connect(host, &TFormHostWidget::FormTitleChanged, window, &QWidget::setWindowTitle);
    // The window's own menu would claim Ctrl+F4 as well: the key is the "Прозорци" menu's.
    for (QAction* action : window->systemMenu()->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeAll(kCloseKey) > 0) action->setShortcuts(keys);
    }
    PlaceNewWindow(*window, TWindowSettings::Restore(*host));
    window->show();
    window->raise();
    mdi_->setActiveSubWindow(window);
    // After the activation, which gives the focus to the window's first widget, a tab.
    QTimer::singleShot(0, host, &TFormHostWidget::FocusFirstField);
}

QRect TMainWindow::WorkArea() const {
    // Before the main window first shows, the area has its size but its viewport not yet.
    if (!mdi_->viewport()->isVisible()) {
        if (layout() != nullptr) layout()->activate();
        return {QPoint(0, 0), mdi_->contentsRect().size()};
    }
    return mdi_->viewport()->rect();
}

void TMainWindow::FitIntoWorkArea(QMdiSubWindow& window) {
    const QRect area = WorkArea();
    if (area.isEmpty() || window.isMaximized() || window.isMinimized()) return;
    QRect frame = window.geometry();
    frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
    if (frame != window.geometry()) window.setGeometry(frame);
}

void TMainWindow::PlaceNewWindow(QMdiSubWindow& window, QSize kept) {
    const QRect area = WorkArea();
    const QSize size = kept.isValid() ? kept : area.size() * 0.9;
    const int step = TitleBarStep(window) * static_cast<int>((ShownWindows().size()) % kCascadeSlots);
    window.setGeometry(QRect(area.topLeft() + QPoint(step, step), size));
    FitIntoWorkArea(window);
}

std::vector<QMdiSubWindow*> TMainWindow::ShownWindows() const {
    std::vector<QMdiSubWindow*> shown;
    for (QMdiSubWindow* window : mdi_->subWindowList(QMdiArea::StackingOrder))
        if (window->isVisible() && !window->isMinimized()) shown.push_back(window);
    return shown;
}

// Each window is as large as the steps of the others leave it, and at least two thirds of
// the area; the steps start again from the corner when they reach its edge.
void TMainWindow::CascadeWindows() {
    const std::vector<QMdiSubWindow*> windows = ShownWindows();
    if (windows.empty()) return;
    const QRect area = WorkArea();
    const int step = TitleBarStep(*this);
    const int others = static_cast<int>(windows.size()) - 1;
    const QSize size(std::max(area.width() - step * others, area.width() * 2 / 3),
                     std::max(area.height() - step * others, area.height() * 2 / 3));
    const int places = 1 + std::min((area.width() - size.width()) / step, (area.height() - size.height()) / step);
    for (size_t i = 0; i < windows.size(); ++i) {
        const int offset = step * (static_cast<int>(i) % places);
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        windows[i]->setGeometry(QRect(area.topLeft() + QPoint(offset, offset), size));
        windows[i]->raise();
    }
}

// Rows of equal windows, as many columns as rows or one more; the last row shares its width
// among the windows left for it.
void TMainWindow::TileWindows() {
    std::vector<QMdiSubWindow*> windows = ShownWindows();
    if (windows.empty()) return;
    const QRect area = WorkArea();
    const int count = static_cast<int>(windows.size());
    const int columns = static_cast<int>(std::ceil(std::sqrt(count)));
    const int rows = (count + columns - 1) / columns;
    for (int i = 0; i < count; ++i) {
        const int row = i / columns, column = i % columns;
        const int inRow = row == rows - 1 ? count - columns * row : columns;
        const QPoint topLeft(area.left() + column * area.width() / inRow, area.top() + row * area.height() / rows);
        const QPoint next(area.left() + (column + 1) * area.width() / inRow, area.top() + (row + 1) * area.height() / rows);
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        windows[i]->setGeometry(QRect(topLeft, next - QPoint(1, 1)));
    }
}

bool TMainWindow::CloseAllForms() {
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList(QMdiArea::StackingOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QPointer<TFormHostWidget> host = HostOf(*it);
        if (host.isNull() || host->Form().Closed()) continue;
        // The question comes in front of the form it is about.
        mdi_->setActiveSubWindow(*it);
        (*it)->close();
        if (!host.isNull() && !host->Form().Closed()) return false;
    }
    return true;
}

void TMainWindow::ShowSession(const QString& company, const QString& user, const QDate& workDate) {
    const std::pair<const char*, QString> parts[] = {
        {"lblCompany", QStringLiteral("Фирма: %1").arg(company)},
        {"lblUser", QStringLiteral("Потребител: %1").arg(user)},
        {"lblWorkDate", QStringLiteral("Работна дата: %1").arg(Bulgarian().toString(workDate, QStringLiteral("dd.MM.yyyy 'г.'")))},
    };
    int index = 0;
    for (const auto& [name, text] : parts) {
        auto* label = statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
        if (label == nullptr) {
            label = new QLabel(statusBar());
            label->setObjectName(QString::fromLatin1(name));
            statusBar()->insertPermanentWidget(index, label);
        }
        label->setText(text);
        ++index;
    }
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::Resize) {
        for (QMdiSubWindow* window : ShownWindows()) FitIntoWorkArea(*window);
        return false;
    }
    // A child window closed by the user (its button, Ctrl+F4, closing all) is closed by its
    // form as the user's close; the form's Close ends in CloseForm, which frees the window.
    if (event->type() == QEvent::Close) {
        TFormHostWidget* host = HostOf(qobject_cast<QMdiSubWindow*>(watched));
        if (host != nullptr && !host->Form().Closed()) {
            host->Run([host] { host->Form().CloseByUser(); });
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// F10 opens the menu bar; a form that has a command on F10 gets it first, as its shortcut.
void TMainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier && !menuBar()->actions().isEmpty()) {
        menuBar()->setActiveAction(menuBar()->actions().first());
        return;
    }
    QMainWindow::keyPressEvent(event);
}

int TMainWindow::ShowModal(TfBase& form) {
    QDialog dialog(this);
    auto* host = new TFormHostWidget(form, &dialog);
    dialog.setWindowTitle(host->windowTitle());
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* confirm = buttons->addButton(QStringLiteral("Потвърди"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Отказ"), QDialogButtonBox::RejectRole);
    // A selection form confirms through its own action, which hands the chosen rows over.
    connect(confirm, &QPushButton::clicked, host, [host, &form] {
        host->Run([&form] {
            TAction* select = form.AcListBase.Find("acSelect");
            // The other packages' selectors name theirs acSelectRecord.
            if (select == nullptr || !select->Visible) select = form.AcListBase.Find("acSelectRecord");
            if (select != nullptr && select->Visible) select->Execute();
            else form.Confirm();
        });
    });
    connect(cancel, &QPushButton::clicked, host, [host, &form] { host->Run([&form] { form.Close(mrCancel); }); });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(host, 1);
    layout->addWidget(buttons);
    dialog.resize(size() * 0.8);
    modals_.push_back({&form, &dialog});
    const int shown = dialog.exec();
    std::erase_if(modals_, [&form](const TModal& m) { return m.Form == &form; });
    delete host;
    if (form.ModalResult != mrNone) return form.ModalResult;
    return shown == QDialog::Accepted ? mrOk : mrCancel;
}

std::vector<TfBase*> TMainWindow::OpenForms() {
    std::vector<TfBase*> forms;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (TFormHostWidget* host = HostOf(window); host != nullptr && !host->Form().Closed())
            forms.push_back(&host->Form());
    return forms;
}

void TMainWindow::CloseForm(TfBase& form) {
    for (const TModal& modal : modals_)
        if (modal.Form == &form) {
            modal.Dialog->done(form.ModalResult == mrOk ? QDialog::Accepted : QDialog::Rejected);
            return;
        }
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        TFormHostWidget* host = HostOf(window);
        if (host == nullptr || &host->Form() != &form) continue;
        window->removeEventFilter(this);
        const bool ownSize = !window->isMaximized() && !window->isMinimized();
        TWindowSettings::Save(*host, ownSize ? window->size() : QSize());
        window->hide();
        window->deleteLater();
        return;
    }
}

void TMainWindow::ActivateForm(TfBase& form) {
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (TFormHostWidget* host = HostOf(window); host != nullptr && &host->Form() == &form) {
            if (window->isMinimized()) window->showNormal();
            mdi_->setActiveSubWindow(window);
        }
}

void TMainWindow::SetWaitCursor(bool wait) {
    if (wait) {
        if (waitDepth_++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            SetBusy(true);
        }
        return;
    }
    if (waitDepth_ == 0 || --waitDepth_ > 0) return;
    QApplication::restoreOverrideCursor();
    SetBusy(false);
}

void TMainWindow::ReportFailure(const std::string& message, const std::string&) {
    statusBar()->showMessage(ToQ(message), 30000);
}

void TMainWindow::SetBusy(bool busy) {
    for (TFormHostWidget* host : Hosts()) host->SetBusy(busy);
}

void TMainWindow::ShowProgress(const std::string& caption, int position, int total) {
    const bool shown = total > 0;
    progress_->setVisible(shown);
    progressCaption_->setVisible(shown && !caption.empty());
    if (!shown) return;
    progressCaption_->setText(ToQ(caption));
    progress_->setRange(0, total);
    progress_->setValue(position);
    // The walk runs on this thread: let the bar and the hourglass paint, but take no input.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TMainWindow::PrintFolder() const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("Tavrek"));
}

void TMainWindow::PrintDocument(const TPrintRequest& request) {
    QDir().mkpath(PrintFolder());
    // A file printed before may be open in a viewer: a second print gets a name of its own.
    QString name = TPdfPrinter::DocumentName(request);
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("-"));
    QString path = QDir(PrintFolder()).filePath(name + ".pdf");
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = QDir(PrintFolder()).filePath(QStringLiteral("%1 (%2).pdf").arg(name).arg(copy));
    TPdfPrinter::Render(request, path);
    lastPrinted_ = path;
    statusBar()->showMessage(QStringLiteral("Документът е записан в %1").arg(path), 10000);
    if (QGuiApplication::platformName() == QStringLiteral("offscreen")) return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        const std::string text = GetMessageText("msg_PrintSaved", "Документът е записан в %s");
        MessageDlgEx(FormatMessage(text, {FromQ(path)}), TMsgDlgType::mtInformation, mbOK);
    }
}

void TMainWindow::FormChanged(TfBase& form) {
    if (TFormHostWidget* host = HostOf(form)) host->RefreshAll();
}

// Quitting closes the forms as their user would: the first one kept open keeps the client.
void TMainWindow::closeEvent(QCloseEvent* event) {
    if (!CloseAllForms()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace tavrek::desktop
