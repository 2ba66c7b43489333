#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QLineEdit;

namespace tavrek::desktop {

// The annulment dialog: the date of the annulment (the caller proposes the posting date)
// and its reason.
class TAnnulDocumentDialog : public QDialog {
    Q_OBJECT
public:
    TAnnulDocumentDialog(const QDate& date, const QString& description, QWidget* parent = nullptr);

    QDate Date() const;
    QString Description() const;

private:
    QDateEdit* date_;
    QLineEdit* description_;
};

}  // namespace tavrek::desktop
