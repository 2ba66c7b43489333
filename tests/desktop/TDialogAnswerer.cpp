#include "TDialogAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <algorithm>

namespace tavrek::desktop::testing {

TDialogAnswerer::TDialogAnswerer() : timer_(new QTimer(this)) {
    timer_->setInterval(5);
    connect(timer_, &QTimer::timeout, this, &TDialogAnswerer::Poll);
    timer_->start();
}

TDialogAnswerer::~TDialogAnswerer() = default;

void TDialogAnswerer::Expect(TAnswer answer) { expected_.push_back(std::move(answer)); }

void TDialogAnswerer::ExpectMessage(QMessageBox::StandardButton button) {
    Expect([button](QWidget& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (box != nullptr && box->button(button) != nullptr) box->button(button)->click();
        else if (auto* plain = qobject_cast<QDialog*>(&dialog)) plain->reject();
    });
}

void TDialogAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // Dialogs live on the stack, so a new one may sit where the last one did: the mark,
    // not the address, tells them apart.
    if (modal == nullptr || !modal->isVisible() || modal->property("tavrekAnswered").toBool()) return;
    modal->setProperty("tavrekAnswered", true);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // Sorted, since the platform decides the order on screen.
        QList<int> codes;
        for (QAbstractButton* button : box->buttons()) codes << box->standardButton(button);
        std::sort(codes.begin(), codes.end());
        QStringList buttons;
        for (int code : codes) buttons << QString::number(code);
        shown_ << QStringLiteral("%1|%2|%3").arg(box->icon()).arg(box->text(), buttons.join(','));
    }
    if (expected_.empty()) {
        unexpected_ << modal->windowTitle();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        return;
    }
    TAnswer answer = std::move(expected_.front());
    expected_.pop_front();
    answer(*modal);
}

}  // namespace tavrek::desktop::testing
