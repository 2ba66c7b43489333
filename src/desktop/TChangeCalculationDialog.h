#pragma once

#include <QDialog>

class QDoubleSpinBox;
class QLabel;

namespace tavrek::desktop {

// The change calculation at the cash desk: the amount due, what the vendor or the cashier
// handed over, and the change, recomputed as the amount is typed.
class TChangeCalculationDialog : public QDialog {
    Q_OBJECT
public:
    TChangeCalculationDialog(double due, double received, QWidget* parent = nullptr);

    QDoubleSpinBox& Received() const { return *received_; }
    QString ChangeText() const;

private:
    void ShowChange();

    double due_;
    QDoubleSpinBox* received_;
    QLabel* change_;
};

}  // namespace tavrek::desktop
