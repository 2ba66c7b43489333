#include "desktop/TLoginDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "base/server/IAppServer.h"
#include "base/session/TSignIn.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {

TLoginDialog::TLoginDialog(IAppServer& server, const QString& user, const QString& company, QWidget* parent)
    : QDialog(parent), server_(server), user_(new QLineEdit(user, this)), password_(new QLineEdit(this)),
      refusal_(new QLabel(this)) {
    setObjectName(QStringLiteral("dlgLogin"));
    setWindowTitle(tr("Вход в Tavrek — Покупки"));
    user_->setObjectName(QStringLiteral("edUser"));
    password_->setObjectName(QStringLiteral("edPassword"));
    password_->setEchoMode(QLineEdit::Password);
    refusal_->setObjectName(QStringLiteral("lblRefusal"));
    refusal_->setWordWrap(true);
    refusal_->setStyleSheet(QStringLiteral("color: #b00020"));
    refusal_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Вход"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Изход"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TLoginDialog::TrySignIn);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Фирма:"), new QLabel(company, this));
    layout->addRow(tr("Потребител:"), user_);
    layout->addRow(tr("Парола:"), password_);
    layout->addRow(refusal_);
    layout->addRow(buttons);
    setMinimumWidth(380);
    (user.isEmpty() ? user_ : password_)->setFocus();
}

void TLoginDialog::AskAgain(const QString& why) {
    setWindowTitle(why);
    // Said inside the dialog too: a window without a frame shows no title.
    refusal_->setText(why);
    refusal_->show();
    user_->setReadOnly(true);
    findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->setText(tr("Отказ"));
    password_->setFocus();
}

void TLoginDialog::TrySignIn() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int result = SignIn(server_, {}, FromQ(user_->text().trimmed()), FromQ(password_->text()));
    QApplication::restoreOverrideCursor();
    if (result == 0) {
        accept();
        return;
    }
    refusal_->setText(ToQ(server_.LastRefusalText()));
    refusal_->show();
    // The reason wraps over several lines: the dialog grows to show all of it.
    adjustSize();
    password_->clear();
    password_->setFocus();
}

}  // namespace tavrek::desktop
