#include "desktop/TMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include "base/errors/TELException.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TfBase.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TPdfPrinter.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

struct TGroupCaption {
    TFormGroup Group;
    const char* Caption;
};

const TGroupCaption kGroups[] = {
    {TFormGroup::fgDocuments, "Документи"},
    {TFormGroup::fgPostedDocuments, "Осчетоводени документи"},
    {TFormGroup::fgGlobalDocuments, "Глобални документи"},
    {TFormGroup::fgReplenishment, "Снабдяване"},
    {TFormGroup::fgLists, "Списъци"},
    {TFormGroup::fgSetup, "Настройки"},
    {TFormGroup::fgOtherPackages, "Номенклатури и справки"},
};

bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

TMainWindow::TMainWindow(QWidget* parent)
    : QMainWindow(parent), mdi_(new QMdiArea(this)), progress_(new QProgressBar(this)),
      progressCaption_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Tavrek — Покупки"));
    mdi_->setViewMode(QMdiArea::SubWindowView);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    purchaseMenu_ = menuBar()->addMenu(QStringLiteral("Покупки"));
    purchaseMenu_->setObjectName(QStringLiteral("mnPurchases"));
    QMenu* windows = menuBar()->addMenu(QStringLiteral("Прозорци"));
    windows->addAction(QStringLiteral("Каскада"), mdi_, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("Мозайка"), mdi_, &QMdiArea::tileSubWindows);
    windows->addAction(QStringLiteral("Затваряне на всички"), mdi_, &QMdiArea::closeAllSubWindows);
    statusBar()->addPermanentWidget(progressCaption_);
    statusBar()->addPermanentWidget(progress_);
    progress_->setMaximumWidth(200);
    progress_->hide();
    progressCaption_->hide();
    BuildPurchaseMenu();
    resize(1280, 800);
}

TMainWindow::~TMainWindow() {
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
            connect(action, &QAction::triggered, this, [this, className] { OpenForm(className); });
        }
    }
    if (purchaseMenu_->isEmpty()) purchaseMenu_->addAction(QStringLiteral("(няма регистрирани форми)"))->setEnabled(false);
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

void TMainWindow::ShowError(const std::string& text) {
    const std::string format = GetMessageText("err_FormNotOpened", "Формата не може да бъде отворена: %s");
    MessageDlgEx(FormatMessage(format, {text}), TMsgDlgType::mtError, mbOK);
}

std::vector<TFormHostWidget*> TMainWindow::Hosts() const {
    std::vector<TFormHostWidget*> hosts;
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (auto* host = qobject_cast<TFormHostWidget*>(window->widget())) hosts.push_back(host);
    for (const TModal& modal : modals_)
        if (auto* host = modal.Dialog->findChild<TFormHostWidget*>()) hosts.push_back(host);
    return hosts;
}

TFormHostWidget* TMainWindow::HostOf(const TfBase& form) const {
    for (TFormHostWidget* host : Hosts())
        if (&host->Form() == &form) return host;
    return nullptr;
}

TFormHostWidget* TMainWindow::ActiveHost() const {
    QMdiSubWindow* window = mdi_->activeSubWindow();
    if (window == nullptr && !mdi_->subWindowList().isEmpty()) window = mdi_->subWindowList().last();
    return window == nullptr ? nullptr : qobject_cast<TFormHostWidget*>(window->widget());
}

void TMainWindow::ShowForm(std::unique_ptr<TfBase> form) {
    auto* host = new TFormHostWidget(std::move(form));
    QMdiSubWindow* window = mdi_->addSubWindow(host);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(host->windowTitle());
    window->installEventFilter(this);
    connect(host, &TFormHostWidget::FormTitleChanged, window, &QWidget::setWindowTitle);
    window->resize(mdi_->size() * 0.9);
    window->show();
    mdi_->setActiveSubWindow(window);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    // A child window closed by the user closes its form first; the form's own Close ends
    // in CloseForm, which frees the window.
    if (event->type() == QEvent::Close) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        auto* host = window == nullptr ? nullptr : qobject_cast<TFormHostWidget*>(window->widget());
        if (host != nullptr && !host->Form().Closed()) {
            host->Run([host] { host->Form().Close(mrCancel); });
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
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
        if (auto* host = qobject_cast<TFormHostWidget*>(window->widget()))
            if (!host->Form().Closed()) forms.push_back(&host->Form());
    return forms;
}

void TMainWindow::CloseForm(TfBase& form) {
    for (const TModal& modal : modals_)
        if (modal.Form == &form) {
            modal.Dialog->done(form.ModalResult == mrOk ? QDialog::Accepted : QDialog::Rejected);
            return;
        }
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        auto* host = qobject_cast<TFormHostWidget*>(window->widget());
        if (host == nullptr || &host->Form() != &form) continue;
        window->removeEventFilter(this);
        window->hide();
        window->deleteLater();
        return;
    }
}

void TMainWindow::ActivateForm(TfBase& form) {
    for (QMdiSubWindow* window : mdi_->subWindowList())
        if (auto* host = qobject_cast<TFormHostWidget*>(window->widget()); host != nullptr && &host->Form() == &form)
            mdi_->setActiveSubWindow(window);
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
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmsszzz"));
    const QString path = QDir(PrintFolder()).filePath(ToQ(request.FormClass) + "-" + stamp + ".pdf");
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

void TMainWindow::closeEvent(QCloseEvent* event) {
    mdi_->closeAllSubWindows();
    QMainWindow::closeEvent(event);
}

}  // namespace tavrek::desktop
