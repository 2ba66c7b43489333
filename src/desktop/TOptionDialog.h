#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QListWidget;

namespace tavrek::desktop {

// A choice among a few options, one per line of a list; the first is proposed.
class TOptionDialog : public QDialog {
    Q_OBJECT
public:
    // The question (none when empty) stands above the options.
    TOptionDialog(const QString& title, const QStringList& options, const QString& question = {},
                  QWidget* parent = nullptr);

    int Chosen() const;
    QListWidget& Options() const { return *options_; }
    // A check box (chkFlag) under the options, checked as given.
    QCheckBox& AddFlag(const QString& caption, bool checked);

private:
    QListWidget* options_;
};

}  // namespace tavrek::desktop
