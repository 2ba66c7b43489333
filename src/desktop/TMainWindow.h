#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "base/forms/IFormHost.h"

class QAction;
class QDate;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;

namespace tavrek::desktop {

class TFormHostWidget;

// The client's main window and the session's form host: the "Покупки" menu of the
// registered forms by group, forms as MDI child windows that open in front and inside the
// work area, the "Прозорци" menu over them, modal forms as dialogs, the hourglass,
// progress, the session in the status bar and printing to PDF. Every way a person closes
// a form asks about its unsaved changes first (TfBase::CloseByUser).
class TMainWindow : public QMainWindow, public IFormHost {
    Q_OBJECT
public:
    explicit TMainWindow(QWidget* parent = nullptr);
    ~TMainWindow() override;

    QMdiArea& Mdi() const { return *mdi_; }
    QMenu& PurchaseMenu() const { return *purchaseMenu_; }
    QMenu& WindowMenu() const { return *windowMenu_; }
    TFormHostWidget* HostOf(const TfBase& form) const;
    static TFormHostWidget* HostOf(const QMdiSubWindow* window);
    TFormHostWidget* ActiveHost() const;
    // Opens a registered form by class name or form number; false (after telling the user)
    // when it could not be opened.
    bool OpenForm(const std::string& classOrNumber);
    // What a menu command does: opens the form and, for an editor, starts a new document.
    bool OpenFromMenu(const std::string& classOrNumber);
    // Rebuilds the "Покупки" menu from the form registry.
    void BuildPurchaseMenu();
    // Closes every form as its user would, the one in front first; false when the user
    // kept one open (and the ones behind it).
    bool CloseAllForms();
    // Cascade and tile keep every window inside the work area.
    void CascadeWindows();
    void TileWindows();
    // The company, the user and the working date in the status bar.
    void ShowSession(const QString& company, const QString& user, const QDate& workDate);
    // Where printed documents go, and the last one written.
    QString PrintFolder() const;
    const QString& LastPrintedFile() const { return lastPrinted_; }

    void ShowForm(std::unique_ptr<TfBase> form) override;
    int ShowModal(TfBase& form) override;
    std::vector<TfBase*> OpenForms() override;
    void CloseForm(TfBase& form) override;
    void ActivateForm(TfBase& form) override;
    void SetWaitCursor(bool wait) override;
    void ShowProgress(const std::string& caption, int position, int total) override;
    void PrintDocument(const TPrintRequest& request) override;
    void FormChanged(TfBase& form) override;
    // On the status line: the person sees why the command did nothing.
    void ReportFailure(const std::string& message, const std::string& operation) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindowMenu();
    void ListWindows();
    // The work area, in the coordinates of its windows.
    QRect WorkArea() const;
    // Moves and shrinks a window until all of it is inside the work area.
    void FitIntoWorkArea(QMdiSubWindow& window);
    void PlaceNewWindow(QMdiSubWindow& window, QSize kept);
    std::vector<QMdiSubWindow*> ShownWindows() const;
    std::vector<TFormHostWidget*> Hosts() const;
    void SetBusy(bool busy);
    void ShowError(const std::string& text);

    QMdiArea* mdi_;
    QMenu* purchaseMenu_;
    QMenu* windowMenu_;
    std::vector<QAction*> windowCommands_;
    QProgressBar* progress_;
    QLabel* progressCaption_;
    struct TModal {
        TfBase* Form;
        class QDialog* Dialog;
    };
    std::vector<TModal> modals_;
    int waitDepth_ = 0;
    QString lastPrinted_;
};

}  // namespace tavrek::desktop
