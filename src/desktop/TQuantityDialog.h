#pragma once

#include <QDialog>

class QDoubleSpinBox;

namespace tavrek::desktop {

// Asks for a quantity between 0 and a maximum, starting from a proposed value.
class TQuantityDialog : public QDialog {
    Q_OBJECT
public:
    TQuantityDialog(const QString& caption, double value, double maximum, QWidget* parent = nullptr);

    double Value() const;
    QDoubleSpinBox& Editor() const { return *editor_; }

private:
    QDoubleSpinBox* editor_;
};

}  // namespace tavrek::desktop
