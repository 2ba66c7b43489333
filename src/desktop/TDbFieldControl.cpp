#include "desktop/TDbFieldControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "base/errors/TELException.h"
#include "base/forms/Selectors.h"
#include "base/forms/TfBase.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

const QDate kNoDate(1899, 12, 30);

bool HasRecord(const TClientDataSet& dataSet) {
    return dataSet.Active() && (!dataSet.IsEmpty() || dataSet.State() == TDataSetState::dsInsert);
}

}  // namespace

TDbFieldControl::TDbFieldControl(TfBase& form, const THeaderField& spec, QWidget* parent)
    : QObject(parent),
      form_(form),
      fieldName_(spec.FieldName),
      dataSetName_(spec.DataSet),
      kind_(spec.Kind),
      index_(static_cast<size_t>(&spec - form.Description.Fields.data())),
      label_(new QLabel(ToQ(spec.Caption.empty() ? spec.FieldName : spec.Caption), parent)),
      editor_(CreateEditor(spec, parent)) {
    label_->setBuddy(editor_);
    if (spec.Width > 0) editor_->setMinimumWidth(spec.Width);
    editor_->setObjectName(ToQ(spec.FieldName));
    Refresh();
}

const THeaderField* TDbFieldControl::Spec() const {
    // A field may be shown twice (two datasets, two pages): the position tells them apart.
    const auto& fields = form_.Description.Fields;
    if (index_ < fields.size() && fields[index_].FieldName == fieldName_) return &fields[index_];
    return form_.Description.FindField(fieldName_);
}

TClientDataSet* TDbFieldControl::DataSet() const { return form_.FindDataSet(dataSetName_); }

TField* TDbFieldControl::Field() const {
    TClientDataSet* dataSet = DataSet();
    return dataSet == nullptr ? nullptr : dataSet->FindField(fieldName_);
}

bool TDbFieldControl::Editable() const {
    const THeaderField* spec = Spec();
    const TField* field = Field();
    return spec != nullptr && field != nullptr && !spec->ReadOnly && !field->ReadOnly && !form_.ReadOnly &&
           DataSet()->Active();
}

QWidget* TDbFieldControl::CreateEditor(const THeaderField& spec, QWidget* parent) {
    switch (spec.Kind) {
        case TFieldKind::fkFlag:
            check_ = new QCheckBox(parent);
            connect(check_, &QCheckBox::clicked, this, [this](bool checked) {
                const THeaderField* s = Spec();
                if (s != nullptr) Commit(ToQ(checked ? s->CheckedValue : s->UncheckedValue));
            });
            return check_;
        case TFieldKind::fkCombo:
            combo_ = new QComboBox(parent);
            connect(combo_, &QComboBox::activated, this, [this](int index) { Commit(combo_->itemText(index)); });
            return combo_;
        case TFieldKind::fkDate:
            date_ = new QDateEdit(parent);
            date_->setCalendarPopup(true);
            date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
            date_->setMinimumDate(kNoDate);
            date_->setSpecialValueText(QStringLiteral(" "));
            connect(date_, &QDateEdit::editingFinished, this, [this] {
                if (!refreshing_) Commit(date_->date() == kNoDate ? QVariant() : QVariant(date_->date()));
            });
            return date_;
        case TFieldKind::fkLookup: return CreateLookup(parent);
        case TFieldKind::fkText:
        case TFieldKind::fkNumber:
            line_ = new QLineEdit(parent);
            if (spec.Kind == TFieldKind::fkNumber) line_->setAlignment(Qt::AlignRight);
            connect(line_, &QLineEdit::editingFinished, this, &TDbFieldControl::CommitText);
            return line_;
    }
    return nullptr;
}

QWidget* TDbFieldControl::CreateLookup(QWidget* parent) {
    auto* box = new QWidget(parent);
    line_ = new QLineEdit(box);
    auto* button = new QToolButton(box);
    button->setText(QStringLiteral("…"));
    button->setToolTip(QStringLiteral("Избор от списък"));
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(line_);
    layout->addWidget(button);
    connect(line_, &QLineEdit::editingFinished, this, &TDbFieldControl::CommitText);
    connect(button, &QToolButton::clicked, this, &TDbFieldControl::OpenSelector);
    return box;
}

QString TDbFieldControl::ShownText() const {
    if (check_ != nullptr) {
        const THeaderField* spec = Spec();
        if (spec == nullptr) return {};
        return ToQ(check_->isChecked() ? spec->CheckedValue : spec->UncheckedValue);
    }
    if (combo_ != nullptr) return combo_->currentText();
    if (date_ != nullptr) return date_->date() == kNoDate ? QString() : date_->text();
    return line_->text();
}

void TDbFieldControl::Refresh(bool force) {
    const THeaderField* spec = Spec();
    if (spec == nullptr) return;
    const bool editing = editor_->isAncestorOf(QApplication::focusWidget()) || editor_->hasFocus();
    if (editing && !force && (date_ != nullptr || combo_ != nullptr)) return;
    editor_->setVisible(spec->Visible);
    label_->setVisible(spec->Visible);
    const bool editable = Editable();
    if (line_ != nullptr) {
        // Typing in progress stays as typed until the user leaves the edit.
        if (!force && line_->hasFocus() && line_->isModified()) return;
        line_->setReadOnly(!editable);
    }
    editor_->setEnabled(editable || line_ != nullptr);
    TClientDataSet* dataSet = DataSet();
    TField* field = Field();
    const bool hasValue = field != nullptr && HasRecord(*dataSet);
    refreshing_ = true;
    ShowValue(*spec, hasValue ? field->Value() : Variant());
    refreshing_ = false;
}

QString TDbFieldControl::FormatNumber(const THeaderField& spec, const Variant& value) const {
    const TField* field = Field();
    const TFieldType type = field != nullptr ? field->DataType() : TFieldType::ftFloat;
    const TNumberKind kind = NumberKindOf(fieldName_, type);
    return DisplayText(value, type == TFieldType::ftString ? TFieldType::ftFloat : type, kind,
                       DecimalsOfFormat(spec.DisplayFormat));
}

void TDbFieldControl::ShowValue(const THeaderField& spec, const Variant& value) {
    switch (kind_) {
        case TFieldKind::fkFlag: check_->setChecked(!value.IsNull() && value.AsString() == spec.CheckedValue); break;
        case TFieldKind::fkCombo: {
            const QString text = value.IsNull() ? QString() : ToQ(value.AsString());
            QStringList items;
            for (const std::string& item : spec.Items) items << ToQ(item);
            if (!items.contains(text)) items << text;
            QStringList shown;
            for (int i = 0; i < combo_->count(); ++i) shown << combo_->itemText(i);
            if (shown != items) {
                combo_->clear();
                combo_->addItems(items);
            }
            combo_->setCurrentText(text);
            break;
        }
        case TFieldKind::fkDate:
            date_->setDate(value.IsNull() || value.IsEmpty() ? kNoDate : ToQDate(value.AsDateTime()));
            break;
        case TFieldKind::fkNumber: line_->setText(FormatNumber(spec, value)); break;
        case TFieldKind::fkText:
        case TFieldKind::fkLookup: {
            const TField* field = Field();
            line_->setText(field == nullptr ? QString()
                                            : DisplayText(value, field->DataType(),
                                                          NumberKindOf(fieldName_, field->DataType())));
            break;
        }
    }
    if (line_ != nullptr) line_->setModified(false);
}

void TDbFieldControl::CommitText() {
    if (refreshing_ || !line_->isModified()) return;
    line_->setModified(false);
    Commit(line_->text());
}

void TDbFieldControl::Commit(const QVariant& value) {
    TClientDataSet* dataSet = DataSet();
    TField* field = Field();
    if (field == nullptr || !Editable()) {
        Refresh();
        return;
    }
    try {
        const Variant typed = FromEditValue(value, field->DataType());
        dataSet->Edit();
        field->SetValue(typed);
    } catch (const std::exception& e) {
        ReportBadInput(e.what());
    }
    Refresh(true);
    emit Edited();
}

void TDbFieldControl::ReportBadInput(const std::string& message) {
    const THeaderField* spec = Spec();
    const std::string caption = spec == nullptr || spec->Caption.empty() ? fieldName_ : spec->Caption;
    const std::string text = GetMessageText("err_InvalidFieldValue", "Невалидна стойност в поле \"%s\": %s");
    MessageDlgEx(FormatMessage(text, {caption, message}), TMsgDlgType::mtError, mbOK);
}

void TDbFieldControl::OpenSelector() {
    const THeaderField* spec = Spec();
    TClientDataSet* dataSet = DataSet();
    if (spec == nullptr || dataSet == nullptr || !Editable() || spec->Selector.empty()) return;
    TFilter filter;
    const QString typed = line_->text().trimmed();
    if (!spec->SelectorFilterField.empty() && !typed.isEmpty())
        filter.Add(spec->SelectorFilterField, "LIKE", "%" + FromQ(typed) + "%");
    const std::string from = spec->SelectorFields.empty() ? fieldName_ : spec->SelectorFields;
    const std::string to = spec->TargetFields.empty() ? fieldName_ : spec->TargetFields;
    form_.RunGuarded(form_.OperationName(fieldName_ + ".Selector"),
                     [&] { GetSelector(spec->Selector, filter, from, to, *dataSet); });
    Refresh(true);
    emit Edited();
}

}  // namespace tavrek::desktop
