#pragma once

#include <QObject>
#include <QVariant>
#include <string>

#include "base/forms/TFormDescription.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace tavrek {
class TfBase;
}

namespace tavrek::desktop {

// A labelled, data-aware edit of one header field: shows the field of the dataset's
// current record and hands what the user typed or chose to TField::SetValue, so the
// form's field handlers decide what follows. Text, number, date, flag (check box bound
// to the description's checked/unchecked values), lookup (text plus a selector) and
// combo fields.
class TDbFieldControl : public QObject {
    Q_OBJECT
public:
    // headerField is an element of form.Description.Fields.
    TDbFieldControl(TfBase& form, const THeaderField& headerField, QWidget* parent);

    const std::string& FieldName() const { return fieldName_; }
    const std::string& DataSetName() const { return dataSetName_; }
    QLabel& Label() const { return *label_; }
    QWidget& Editor() const { return *editor_; }
    // The text the edit shows now (check boxes: the stored value of their state).
    QString ShownText() const;

    // Shows the current value, unless the user is in the middle of editing it (force
    // shows it anyway).
    void Refresh(bool force = false);
    // Writes a value as if the user had entered it.
    void Commit(const QVariant& value);
    // Opens the selector of a lookup field.
    void OpenSelector();

signals:
    // A value went to the dataset; the form around it may have changed.
    void Edited();

private:
    const THeaderField* Spec() const;
    TClientDataSet* DataSet() const;
    TField* Field() const;
    bool Editable() const;
    QWidget* CreateEditor(const THeaderField& headerField, QWidget* parent);
    QWidget* CreateLookup(QWidget* parent);
    void FilterAsTyped();
    void ShowEditable(bool editable);
    void ShowValue(const THeaderField& headerField, const Variant& value);
    void ShowChoice(const THeaderField& headerField, const Variant& value);
    QString FormatNumber(const THeaderField& headerField, const Variant& value) const;
    void CommitText();
    void ReportBadInput(const std::string& message);
    QString MasterName(const Variant& value);
    void ShowMasterName(const QString& name);

    TfBase& form_;
    std::string fieldName_;
    std::string dataSetName_;
    TFieldKind kind_;
    size_t index_;
    // Set while the editor is created, so they come before editor_.
    QLineEdit* line_ = nullptr;
    QCheckBox* check_ = nullptr;
    QComboBox* combo_ = nullptr;
    QDateEdit* date_ = nullptr;
    QLabel* name_ = nullptr;
    QToolButton* select_ = nullptr;
    QLabel* label_;
    QWidget* editor_;
    bool refreshing_ = false;
    std::string namedKey_;
    QString shownName_;
};

}  // namespace tavrek::desktop
