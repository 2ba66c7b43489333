#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "base/forms/IFormHost.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;

namespace tavrek::desktop {

class TFormHostWidget;

// The client's main window and the session's form host: the "Покупки" menu of the
// registered forms by group, forms as MDI child windows, modal forms as dialogs, the
// hourglass, progress, and printing to PDF.
class TMainWindow : public QMainWindow, public IFormHost {
    Q_OBJECT
public:
    explicit TMainWindow(QWidget* parent = nullptr);
    ~TMainWindow() override;

    QMdiArea& Mdi() const { return *mdi_; }
    QMenu& PurchaseMenu() const { return *purchaseMenu_; }
    TFormHostWidget* HostOf(const TfBase& form) const;
    TFormHostWidget* ActiveHost() const;
    // Opens a registered form by class name or form number; false (after telling the user)
    // when it could not be opened.
    bool OpenForm(const std::string& classOrNumber);
    // Rebuilds the "Покупки" menu from the form registry.
    void BuildPurchaseMenu();
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

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<TFormHostWidget*> Hosts() const;
    void SetBusy(bool busy);
    void ShowError(const std::string& text);

    QMdiArea* mdi_;
    QMenu* purchaseMenu_;
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
