#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tavrek {
class IAppServer;
}

namespace tavrek::desktop {

// Asks for the user and password at start and signs in through the server; a refused
// login shows why and lets the person try again. Accepted once signed in.
class TLoginDialog : public QDialog {
    Q_OBJECT
public:
    TLoginDialog(IAppServer& server, const QString& user, const QString& company, QWidget* parent = nullptr);

    QLineEdit& UserEdit() const { return *user_; }
    QLineEdit& PasswordEdit() const { return *password_; }
    QLabel& Refusal() const { return *refusal_; }
    // Asks the user of a session the server ended to sign in again: the caption says why,
    // the user cannot be changed, and cancelling leaves the client as it is.
    void AskAgain(const QString& why);

private:
    void TrySignIn();

    IAppServer& server_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLabel* refusal_;
};

}  // namespace tavrek::desktop
