#include "desktop/ValueText.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>
#include <string_view>

#include "base/forms/TFormDescription.h"
#include "base/session/LocalData.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek::desktop {
namespace {

const QDate kEpoch(1899, 12, 30);

bool Contains(const std::string& lowerName, const char* part) { return lowerName.find(part) != std::string::npos; }

QString FormatQuantity(double value) {
    QString text = NumberText(value, 5);
    const QChar point = QLatin1Char(',');
    while (text.endsWith('0')) text.chop(1);
    if (text.endsWith(point)) text.chop(1);
    return text == "-0" ? QStringLiteral("0") : text;
}

// Typed numbers read with either separator; the group separators a shown number carries
// (a space, or the locale's no-break space) are dropped.
QString NormalizedNumber(const QString& text) {
    QString normalized = text.trimmed();
    normalized.replace(',', '.').remove(' ').remove(QChar(0x00A0)).remove(QChar(0x202F));
    return normalized;
}

}  // namespace

const QLocale& Bulgarian() {
    static const QLocale locale(QLocale::Bulgarian, QLocale::Bulgaria);
    return locale;
}

// The package writes numbers into messages and panels the same way, without Qt.
QString NumberText(double value, int decimals) { return ToQ(tavrek::NumberText(value, decimals)); }

QString DateText(const QDate& date) { return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString FlagText(const Variant& value) {
    if (value.IsNull() || value.IsEmpty()) return {};
    return value.AsFloat() != 0.0 ? QStringLiteral("Да") : QStringLiteral("Не");
}

TNumberKind NumberKindOf(const std::string& fieldName, TFieldType type) {
    if (type == TFieldType::ftInteger) return TNumberKind::nkInteger;
    if (type != TFieldType::ftFloat) return TNumberKind::nkNone;
    const std::string name = ToLowerAscii(fieldName);
    if (Contains(name, "price") || Contains(name, "cost")) return TNumberKind::nkUnitPrice;
    if (Contains(name, "quantity") || Contains(name, "qty") || Contains(name, "factor"))
        return TNumberKind::nkQuantity;
    return TNumberKind::nkAmount;
}

int DecimalsOf(TNumberKind kind) {
    switch (kind) {
        case TNumberKind::nkAmount: return LocalData().AmountDecimals;
        case TNumberKind::nkUnitPrice: return LocalData().UnitPriceDecimals;
        case TNumberKind::nkQuantity: return 5;
        default: return 0;
    }
}

QDate ToQDate(TDateTime value) { return kEpoch.addDays(static_cast<qint64>(std::floor(value.Serial()))); }

TDateTime FromQDate(const QDate& date) { return TDateTime(static_cast<double>(kEpoch.daysTo(date))); }

int DecimalsOfFormat(const std::string& displayFormat) {
    const size_t dot = displayFormat.find('.');
    if (displayFormat.empty() || (displayFormat[0] != '0' && displayFormat[0] != '#')) return -1;
    return dot == std::string::npos ? 0 : static_cast<int>(displayFormat.size() - dot - 1);
}

std::map<int64_t, QString> ValueNamesOfFormat(const std::string& displayFormat) {
    std::map<int64_t, QString> names;
    const std::string_view prefix = kValueNamesFormat;
    if (!displayFormat.starts_with(prefix)) return names;
    for (const QString& pair : ToQ(displayFormat.substr(prefix.size())).split(';', Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf('=');
        bool number = false;
        const int64_t value = pair.left(equals).trimmed().toLongLong(&number);
        if (equals > 0 && number) names[value] = pair.mid(equals + 1);
    }
    return names;
}

QString DisplayText(const Variant& value, TFieldType type, TNumberKind kind, int decimals) {
    if (value.IsNull()) return {};
    switch (type) {
        case TFieldType::ftFloat:
            if (decimals >= 0) return NumberText(value.AsFloat(), decimals);
            if (kind == TNumberKind::nkQuantity) return FormatQuantity(value.AsFloat());
            return NumberText(value.AsFloat(), DecimalsOf(kind));
        case TFieldType::ftInteger: return QString::number(value.AsInteger());
        case TFieldType::ftDateTime: return DateText(ToQDate(value.AsDateTime()));
        case TFieldType::ftBoolean: return FlagText(value);
        case TFieldType::ftString: return ToQ(value.AsString());
    }
    return {};
}

QVariant EditValue(const Variant& value, TFieldType type) {
    if (value.IsNull()) return type == TFieldType::ftString ? QVariant(QString()) : QVariant();
    switch (type) {
        case TFieldType::ftFloat: {
            QLocale editing = Bulgarian();
            editing.setNumberOptions(QLocale::OmitGroupSeparator);
            return editing.toString(value.AsFloat(), 'g', 15);
        }
        case TFieldType::ftInteger: return QString::number(value.AsInteger());
        case TFieldType::ftDateTime: return ToQDate(value.AsDateTime());
        case TFieldType::ftBoolean: return value.AsBoolean();
        case TFieldType::ftString: return ToQ(value.AsString());
    }
    return {};
}

Variant FromEditValue(const QVariant& value, TFieldType type) {
    if (!value.isValid() || value.isNull()) return {};
    if (value.typeId() == QMetaType::QDate) return value.toDate().isValid() ? Variant(FromQDate(value.toDate())) : Variant();
    if (value.typeId() == QMetaType::Double) return Variant(value.toDouble());
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        return Variant(static_cast<int64_t>(value.toLongLong()));
    if (value.typeId() == QMetaType::Bool) return Variant(value.toBool());
    const QString text = value.toString().trimmed();
    if (text.isEmpty() && type != TFieldType::ftString) return {};
    if (type == TFieldType::ftDateTime) {
        const QDate date = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
        return date.isValid() ? Variant(FromQDate(date)) : Variant(FromQ(text));
    }
    if (type == TFieldType::ftFloat || type == TFieldType::ftInteger) {
        return Variant(FromQ(NormalizedNumber(text)));
    }
    return Variant(FromQ(value.toString()));
}

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

std::string FromQ(const QString& text) { return text.toStdString(); }

QString NumberInputError(const QString& text, int decimals) {
    const QString normalized = NormalizedNumber(text);
    if (normalized.isEmpty()) return {};
    static const QRegularExpression number(QStringLiteral("^[-+]?(\\d+\\.?\\d*|\\.\\d+)$"));
    if (!number.match(normalized).hasMatch()) {
        const std::string pattern = GetMessageText("err_NotANumber", "\"%s\" не е число. Въведете число, например 12,50.");
        return ToQ(FormatMessage(pattern, {FromQ(text.trimmed())}));
    }
    const qsizetype dot = normalized.indexOf('.');
    const qsizetype typed = dot < 0 ? 0 : normalized.size() - dot - 1;
    if (decimals >= 0 && typed > decimals) {
        const std::string pattern = GetMessageText("err_TooManyDecimals",
                                                   "Числото \"%s\" има повече от %s знака след десетичната запетая.");
        return ToQ(FormatMessage(pattern, {FromQ(text.trimmed()), std::to_string(decimals)}));
    }
    return {};
}

int InputDecimals(TNumberKind kind, int formatDecimals) {
    if (kind == TNumberKind::nkNone) return -1;
    return formatDecimals >= 0 ? formatDecimals : DecimalsOf(kind);
}

}  // namespace tavrek::desktop
