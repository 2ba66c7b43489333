#include "desktop/TDbFieldControl.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

#include "base/errors/TELException.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/forms/TfBase.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "desktop/TColumnLayout.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

const QDate kNoDate(1899, 12, 30);
constexpr int kTypingPauseMs = 250;
constexpr int kNameWidth = 120;

// A date typed as a whole: Tab leaves the field instead of walking its day, month and year.
class TDateFieldEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

// A 0/1 field described as text still reads as a check box.
TFieldKind KindOf(const THeaderField& headerField) {
    return headerField.Kind == TFieldKind::fkText && IsFlagField(headerField.FieldName) ? TFieldKind::fkFlag
                                                                                         : headerField.Kind;
}

bool HasRecord(const TClientDataSet& dataSet) {
    return dataSet.Active() && (!dataSet.IsEmpty() || dataSet.State() == TDataSetState::dsInsert);
}

}  // namespace

TDbFieldControl::TDbFieldControl(TfBase& form, const THeaderField& headerField, QWidget* parent)
    : QObject(parent),
      form_(form),
      fieldName_(headerField.FieldName),
      dataSetName_(headerField.DataSet),
      kind_(KindOf(headerField)),
      index_(static_cast<size_t>(&headerField - form.Description.Fields.data())),
      label_(new QLabel(ToQ(headerField.Caption.empty() ? headerField.FieldName : headerField.Caption), parent)),
      editor_(CreateEditor(headerField, parent)) {
    label_->setBuddy(editor_);
    if (!headerField.Hint.empty()) {
        label_->setToolTip(ToQ(headerField.Hint));
        editor_->setToolTip(ToQ(headerField.Hint));
    }
    if (headerField.Width > 0) editor_->setMinimumWidth(headerField.Width);
    editor_->setObjectName(ToQ(headerField.ControlName.empty() ? headerField.FieldName : headerField.ControlName));
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
    const THeaderField* headerField = Spec();
    const TField* field = Field();
    return headerField != nullptr && field != nullptr && !headerField->ReadOnly && !field->ReadOnly &&
           (!form_.ReadOnly || !form_.SavesDataSet(dataSetName_)) && DataSet()->Active();
}

QWidget* TDbFieldControl::CreateEditor(const THeaderField& headerField, QWidget* parent) {
    switch (KindOf(headerField)) {
        case TFieldKind::fkFlag:
            check_ = new QCheckBox(parent);
            connect(check_, &QCheckBox::clicked, this, [this](bool checked) {
                const THeaderField* s = Spec();
                if (s != nullptr) Commit(ToQ(checked ? s->CheckedValue : s->UncheckedValue));
            });
            return check_;
        case TFieldKind::fkCombo:
            combo_ = new QComboBox(parent);
            connect(combo_, &QComboBox::activated, this, [this](int index) { Commit(combo_->itemData(index).toString()); });
            return combo_;
        case TFieldKind::fkDate:
            date_ = new TDateFieldEdit(parent);
            date_->setCalendarPopup(true);
            date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
            date_->setMinimumDate(kNoDate);
            date_->setSpecialValueText(QStringLiteral(" "));
            connect(date_, &QDateEdit::editingFinished, this, [this] {
                if (refreshing_) return;
                const QVariant shown = date_->date() == kNoDate ? QVariant() : QVariant(date_->date());
                // Leaving the edit is no change: only another date than the stored one is written,
                // so a form tabbed through has nothing to save.
                const TField* field = Field();
                if (field != nullptr && FromEditValue(shown, field->DataType()) == field->Value()) return;
                Commit(shown);
            });
            return date_;
        case TFieldKind::fkLookup: return CreateLookup(parent);
        case TFieldKind::fkText:
        case TFieldKind::fkNumber:
            line_ = new QLineEdit(parent);
            if (headerField.Kind == TFieldKind::fkNumber) line_->setAlignment(Qt::AlignRight);
            connect(line_, &QLineEdit::editingFinished, this, &TDbFieldControl::CommitText);
            if (headerField.TakesTextAsTyped) FilterAsTyped();
            return line_;
    }
    return nullptr;
}

// A search field narrows what the form shows as the text is typed, after a pause short
// enough to feel at once.
void TDbFieldControl::FilterAsTyped() {
    auto* pause = new QTimer(this);
    pause->setSingleShot(true);
    pause->setInterval(kTypingPauseMs);
    connect(line_, &QLineEdit::textEdited, pause, qOverload<>(&QTimer::start));
    connect(pause, &QTimer::timeout, this, &TDbFieldControl::CommitText);
}

// A value that cannot be changed does not look like an edit.
void TDbFieldControl::ShowEditable(bool editable) {
    if (line_ == nullptr || line_->isReadOnly() == !editable) return;
    line_->setReadOnly(!editable);
    QPalette palette = line_->palette();
    palette.setBrush(QPalette::Base, editable ? QApplication::palette().base() : QApplication::palette().window());
    line_->setPalette(palette);
    if (select_ != nullptr) select_->setVisible(editable);
}

QWidget* TDbFieldControl::CreateLookup(QWidget* parent) {
    auto* box = new QWidget(parent);
    line_ = new QLineEdit(box);
    auto* button = select_ = new QToolButton(box);
    button->setText(QStringLiteral("…"));
    button->setToolTip(QStringLiteral("Избор от списък (F2)"));
    // F2 opens the list from the field: Tab goes from field to field, not through the buttons.
    button->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    button->setObjectName(QStringLiteral("btnSelect"));
    name_ = new QLabel(box);
    name_->setObjectName(QStringLiteral("lblName"));
    name_->setMinimumWidth(kNameWidth);
    box->setFocusProxy(line_);
    layout->addWidget(line_);
    layout->addWidget(button);
    layout->addWidget(name_, 1);
    connect(line_, &QLineEdit::editingFinished, this, &TDbFieldControl::CommitText);
    connect(button, &QToolButton::clicked, this, &TDbFieldControl::OpenSelector);
    auto* choose = new QShortcut(QKeySequence(Qt::Key_F2), line_);
    choose->setContext(Qt::WidgetShortcut);
    connect(choose, &QShortcut::activated, this, &TDbFieldControl::OpenSelector);
    return box;
}

QString TDbFieldControl::ShownText() const {
    if (check_ != nullptr) {
        const THeaderField* headerField = Spec();
        if (headerField == nullptr) return {};
        return ToQ(check_->isChecked() ? headerField->CheckedValue : headerField->UncheckedValue);
    }
    if (combo_ != nullptr) return combo_->currentData().toString();
    if (date_ != nullptr) return date_->date() == kNoDate ? QString() : date_->text();
    return line_->text();
}

void TDbFieldControl::Refresh(bool force) {
    const THeaderField* headerField = Spec();
    if (headerField == nullptr) return;
    const bool editing = editor_->isAncestorOf(QApplication::focusWidget()) || editor_->hasFocus();
    if (editing && !force && (date_ != nullptr || combo_ != nullptr)) return;
    editor_->setVisible(headerField->Visible);
    label_->setVisible(headerField->Visible);
    const bool editable = Editable();
    if (line_ != nullptr) {
        // Typing in progress stays as typed until the user leaves the edit.
        if (!force && line_->hasFocus() && line_->isModified()) return;
        ShowEditable(editable);
    }
    editor_->setEnabled(editable || line_ != nullptr);
    TClientDataSet* dataSet = DataSet();
    TField* field = Field();
    const bool hasValue = field != nullptr && HasRecord(*dataSet);
    refreshing_ = true;
    ShowValue(*headerField, hasValue ? field->Value() : Variant());
    refreshing_ = false;
}

// A list of choices shows the names of the values its field names, the value being stored.
void TDbFieldControl::ShowChoice(const THeaderField& headerField, const Variant& value) {
    const QString text = value.IsNull() ? QString() : ToQ(value.AsString());
    QStringList values, names;
    for (const auto& [key, name] : ValueNamesOfFormat(headerField.DisplayFormat)) {
        values << QString::number(key);
        names << name;
    }
    for (const std::string& item : headerField.Items) {
        values << ToQ(item);
        names << ToQ(item);
    }
    if (!values.contains(text)) {
        values << text;
        names << text;
    }
    QStringList shown;
    for (int i = 0; i < combo_->count(); ++i) shown << combo_->itemData(i).toString();
    if (shown != values) {
        combo_->clear();
        for (qsizetype i = 0; i < values.size(); ++i) combo_->addItem(names[i], values[i]);
    }
    combo_->setCurrentIndex(static_cast<int>(values.indexOf(text)));
}

QString TDbFieldControl::FormatNumber(const THeaderField& headerField, const Variant& value) const {
    const TField* field = Field();
    const TFieldType type = field != nullptr ? field->DataType() : TFieldType::ftFloat;
    const TNumberKind kind = NumberKindOf(fieldName_, type);
    return DisplayText(value, type == TFieldType::ftString ? TFieldType::ftFloat : type, kind,
                       DecimalsOfFormat(headerField.DisplayFormat));
}

void TDbFieldControl::ShowValue(const THeaderField& headerField, const Variant& value) {
    switch (kind_) {
        case TFieldKind::fkFlag: check_->setChecked(!value.IsNull() && value.AsString() == headerField.CheckedValue); break;
        case TFieldKind::fkCombo: ShowChoice(headerField, value); break;
        case TFieldKind::fkDate:
            date_->setDate(value.IsNull() || value.IsEmpty() ? kNoDate : ToQDate(value.AsDateTime()));
            break;
        case TFieldKind::fkNumber: line_->setText(FormatNumber(headerField, value)); break;
        case TFieldKind::fkText:
        case TFieldKind::fkLookup: {
            const TField* field = Field();
            const QString text = field == nullptr ? QString()
                                                  : DisplayText(value, field->DataType(),
                                                                NumberKindOf(fieldName_, field->DataType()));
            // The same text set again would move the cursor of someone typing a search.
            if (line_->text() != text) line_->setText(text);
            if (name_ != nullptr) ShowMasterName(MasterName(value));
            break;
        }
    }
    if (line_ != nullptr) line_->setModified(false);
}

// The name beside a code is never cut: the label keeps room for all of it.
void TDbFieldControl::ShowMasterName(const QString& name) {
    if (name_->text() == name) return;
    name_->setText(name);
    name_->setToolTip(name);
    name_->setMinimumWidth(std::max(kNameWidth, name_->fontMetrics().horizontalAdvance(name) + 4));
}

// The name of the master row a key field holds, beside its code; read once per value.
QString TDbFieldControl::MasterName(const Variant& value) {
    TClientDataSet* dataSet = DataSet();
    const TLookupDefinition* lookup = dataSet == nullptr ? nullptr : form_.LookupOf(*dataSet, fieldName_);
    if (lookup == nullptr || value.IsEmpty()) return {};
    // A name the form shows in a field of its own is not repeated.
    for (const TLookupCopy& copy : lookup->Copies)
        if (copy.Column == "Name" && form_.Description.FindField(copy.Field) != nullptr) return {};
    const std::string key = value.AsString();
    if (key != namedKey_) {
        namedKey_ = key;
        const bool storesKey = EqualsIgnoreCase(lookup->Copies.back().Field, fieldName_);
        TRequestResult row;
        dm().Server().RequestValue(0, lookup->MasterTable, "Name",
                                   lookup->FilterBy(storesKey ? lookup->KeyColumn : lookup->CodeColumn, value), row);
        shownName_ = row.Empty() ? QString() : ToQ(row.Value(0, 0).AsString());
    }
    return shownName_;
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
    const bool number = field->DataType() == TFieldType::ftFloat || field->DataType() == TFieldType::ftInteger;
    const QString problem = number && value.typeId() == QMetaType::QString
                                ? NumberInputError(value.toString(), InputDecimals(NumberKindOf(fieldName_, field->DataType()),
                                                                                   DecimalsOfFormat(Spec()->DisplayFormat)))
                                : QString();
    if (!problem.isEmpty()) {
        MessageDlgEx(FromQ(problem), TMsgDlgType::mtError, mbOK);
        Refresh(true);
        return;
    }
    try {
        if (form_.EnterFieldValue(*dataSet, *field, FromEditValue(value, field->DataType())))
            form_.KeepLineEditedInHeader(*dataSet);
    } catch (const std::exception& e) {
        ReportBadInput(e.what());
    }
    Refresh(true);
    emit Edited();
}

void TDbFieldControl::ReportBadInput(const std::string& message) {
    const THeaderField* headerField = Spec();
    const std::string caption = headerField == nullptr || headerField->Caption.empty() ? fieldName_ : headerField->Caption;
    const std::string text = GetMessageText("err_InvalidFieldValue", "Невалидна стойност в поле \"%s\": %s");
    MessageDlgEx(FormatMessage(text, {caption, message}), TMsgDlgType::mtError, mbOK);
}

void TDbFieldControl::OpenSelector() {
    const THeaderField* headerField = Spec();
    TClientDataSet* dataSet = DataSet();
    if (headerField == nullptr || dataSet == nullptr || !Editable()) return;
    if (headerField->Selector.empty() && form_.LookupOf(*dataSet, fieldName_) == nullptr) return;
    // What the user typed only narrows the list: the field keeps its value until a row is chosen.
    const std::string typed = line_->isModified() ? FromQ(line_->text().trimmed()) : std::string();
    form_.RunGuarded(form_.OperationName(fieldName_ + ".Selector"), [&] { form_.SelectLookup(*headerField, typed); });
    Refresh(true);
    emit Edited();
}

}  // namespace tavrek::desktop
