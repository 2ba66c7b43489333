#include "desktop/TQtDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "base/errors/TELException.h"
#include "base/forms/Selectors.h"
#include "base/forms/TLookupDefinition.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "desktop/TAnnulDocumentDialog.h"
#include "desktop/TChangeCalculationDialog.h"
#include "desktop/TCurrencyRateDialog.h"
#include "desktop/TOptionDialog.h"
#include "desktop/TQuantityDialog.h"
#include "desktop/TSelectorDialog.h"
#include "desktop/TVendorItemsDialog.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

QStringList OptionLines(const std::string& options) {
    return ToQ(options).split(QRegularExpression(QStringLiteral("\\r?\\n")), Qt::SkipEmptyParts);
}

struct TButtonChoice {
    TMsgDlgButtons Flag;
    QMessageBox::StandardButton Button;
    const char* Text;
    int Result;
};

const TButtonChoice kButtons[] = {
    {mbYes, QMessageBox::Yes, "Да", mrYes},
    {mbNo, QMessageBox::No, "Не", mrNo},
    {mbOK, QMessageBox::Ok, "OK", mrOk},
    {mbCancel, QMessageBox::Cancel, "Отказ", mrCancel},
};

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::mtWarning: return QMessageBox::Warning;
        case TMsgDlgType::mtError: return QMessageBox::Critical;
        case TMsgDlgType::mtInformation: return QMessageBox::Information;
        case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString TitleOf(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::mtWarning: return QStringLiteral("Внимание");
        case TMsgDlgType::mtError: return QStringLiteral("Грешка");
        case TMsgDlgType::mtInformation: return QStringLiteral("Информация");
        case TMsgDlgType::mtConfirmation: return QStringLiteral("Потвърждение");
    }
    return {};
}

// A field's label starts as its name; another one was given by whoever described the rows.
bool Labelled(const TField& field) { return !field.DisplayLabel.empty() && field.DisplayLabel != field.FieldName(); }

// Columns are shown under the captions of the field descriptions; columns without one
// (keys, company) are left out, unless nothing is described at all.
void DescribeColumns(TClientDataSet& rows) {
    bool described = false;
    for (int i = 0; i < rows.FieldCount(); ++i) {
        TField& field = rows.Fields(i);
        const std::string caption = Labelled(field) ? field.DisplayLabel : FieldCaption(field.FieldName());
        field.Visible = !caption.empty();
        if (!caption.empty()) field.DisplayLabel = caption;
        described = described || !caption.empty();
    }
    if (!described)
        for (int i = 0; i < rows.FieldCount(); ++i) rows.Fields(i).Visible = true;
}

// A master table is shown by the columns a person reads, under their captions; a provided
// selector has described its own columns already.
bool ShowLookupColumns(const std::string& selector, TClientDataSet& rows) {
    for (int i = 0; i < rows.FieldCount(); ++i)
        if (Labelled(rows.Fields(i))) return false;
    const std::vector<TLookupColumn>& shown = ShownColumnsOf(selector);
    for (const TLookupColumn& column : shown)
        if (rows.FindField(column.Column) == nullptr) return false;
    for (int i = 0; i < rows.FieldCount(); ++i) rows.Fields(i).Visible = false;
    for (const TLookupColumn& column : shown) {
        TField& field = *rows.FindField(column.Column);
        field.Visible = true;
        field.DisplayLabel = column.Caption;
        field.DisplayWidth = column.Width;
    }
    return true;
}

}  // namespace

int TQtDialogs::MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    QMessageBox box(IconOf(type), TitleOf(type), ToQ(text), QMessageBox::NoButton, parent_);
    if (buttons == 0) buttons = mbOK;
    for (const TButtonChoice& button : kButtons)
        if (buttons & button.Flag) box.addButton(button.Button)->setText(QString::fromUtf8(button.Text));
    const bool canEscape = (buttons & (mbNo | mbCancel)) != 0 || buttons == mbOK;
    if (!canEscape) box.setEscapeButton(nullptr);
    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const TButtonChoice& button : kButtons)
        if (clicked == button.Button) return button.Result;
    return (buttons & mbNo) ? mrNo : mrCancel;
}

bool TQtDialogs::InputQuantity(const std::string& caption, double& value, double maximum) {
    TQuantityDialog dialog(ToQ(caption), value, maximum, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.Value();
    return true;
}

bool TQtDialogs::InputText(const std::string& caption, const std::string& prompt, std::string& value) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, ToQ(caption), ToQ(prompt), QLineEdit::Normal, ToQ(value), &ok);
    if (!ok) return false;
    value = FromQ(text);
    return true;
}

bool TQtDialogs::Select(const std::string& selector, const TFilter& filter, bool multiSelect, TRequestResult& chosen) {
    auto rows = std::make_unique<TClientDataSet>(selector);
    try {
        LoadSelectorRows(selector, filter, *rows);
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TQtDialogs.Select(" + selector + ")");
        const std::string text = GetMessageText("err_SelectorNotAvailable", "Списъкът за избор %s не може да се зареди");
        MessageDlgEx(FormatMessage(text, {selector}), TMsgDlgType::mtError, mbOK);
        return false;
    }
    if (!ShowLookupColumns(selector, *rows)) DescribeColumns(*rows);
    const std::string caption = FieldCaption(selector);
    TSelectorDialog dialog(QStringLiteral("Избор: %1").arg(ToQ(caption.empty() ? selector : caption)), std::move(rows),
                           multiSelect, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen = dialog.Chosen();
    return !chosen.Rows.empty();
}

bool TQtDialogs::SelectFile(const std::string& caption, const std::string& pattern, bool save, std::string& path) {
    const QString filter = pattern.empty() ? QString() : ToQ(pattern);
    const QString chosen = save ? QFileDialog::getSaveFileName(parent_, ToQ(caption), ToQ(path), filter)
                                : QFileDialog::getOpenFileName(parent_, ToQ(caption), ToQ(path), filter);
    if (chosen.isEmpty()) return false;
    path = FromQ(chosen);
    return true;
}

bool TQtDialogs::AnnulDocument(TDateTime& date, std::string& description) {
    TAnnulDocumentDialog dialog(ToQDate(date), ToQ(description), parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    date = FromQDate(dialog.Date());
    description = FromQ(dialog.Description());
    return true;
}

void TQtDialogs::ChangeCalculation(double due, double received) {
    TChangeCalculationDialog dialog(due, received, parent_);
    dialog.exec();
}

bool TQtDialogs::CurrencyRate(const std::string& currency, std::string& rate, bool readOnly) {
    TCurrencyRateDialog dialog(ToQ(currency), ToQ(rate), readOnly, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (!readOnly) rate = FromQ(dialog.Rate());
    return true;
}

int TQtDialogs::ChooseOption(const std::string& title, const std::string& options, const std::string& question) {
    TOptionDialog dialog(ToQ(title), OptionLines(options), ToQ(question), parent_);
    if (dialog.exec() != QDialog::Accepted) return -1;
    return dialog.Chosen();
}

int TQtDialogs::ChooseOptionWithFlag(const std::string& title, const std::string& options,
                                     const std::string& flagCaption, bool& flag, const std::string& question) {
    TOptionDialog dialog(ToQ(title), OptionLines(options), ToQ(question), parent_);
    QCheckBox& box = dialog.AddFlag(ToQ(flagCaption), flag);
    if (dialog.exec() != QDialog::Accepted) return -1;
    flag = box.isChecked();
    return dialog.Chosen();
}

bool TQtDialogs::MapVendorItems(const TRequestResult& lines, std::vector<std::string>& itemIds) {
    TVendorItemsDialog dialog(lines, [this](TRequestResult& item) { return Select("N_Item", TFilter(), false, item); },
                              parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    itemIds = dialog.ItemIds();
    return true;
}

}  // namespace tavrek::desktop
