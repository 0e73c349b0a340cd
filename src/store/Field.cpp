#include "store/Field.h"

#include "foundation/Errors.h"
#include "store/RecordSet.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// A value as an error text shows it: a long one cut to a few dozen characters.
QString Shown(const QString& text) {
    constexpr int MaxShown = 40;
    return text.size() <= MaxShown ? text : text.left(MaxShown) + u"..."_s;
}

// Rewrites C's exponent form ("1e-06") into the data layer's ("1E-6").
QString DelphiExponent(QString text) {
    const qsizetype e = text.indexOf(u'e');
    if (e < 0) return text;
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    const bool negative = exponent.startsWith(u'-');
    if (exponent.startsWith(u'-') || exponent.startsWith(u'+')) exponent.remove(0, 1);
    while (exponent.size() > 1 && exponent.startsWith(u'0'))
        exponent.remove(0, 1);
    return mantissa + u'E' + (negative ? u"-"_s : QString()) + exponent;
}

// A number held as a double is read directly; anything else goes through the variant's conversion.
double AsDouble(const QVariant& value) {
    return value.typeId() == QMetaType::Double ? *static_cast<const double*>(value.constData()) : value.toDouble();
}

QString GeneralDigits(double value, int precision) {
    if (value == 0) return u"0"_s;
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    QString text;
    if (exponent < -4 || exponent >= precision) {
        text = QString::number(value, 'e', precision - 1);
        const qsizetype e = text.indexOf(u'e');
        QString mantissa = text.left(e);
        if (mantissa.contains(u'.')) {
            while (mantissa.endsWith(u'0'))
                mantissa.chop(1);
            if (mantissa.endsWith(u'.')) mantissa.chop(1);
        }
        text = DelphiExponent(mantissa + text.mid(e));
    } else {
        text = QString::number(value, 'g', precision);
        if (text.contains(u'e')) text = DelphiExponent(text);
    }
    return text;
}

} // namespace

QString FormatGeneral(double value) { return GeneralDigits(value, 15); }

QString FormatFloat(const QString& pattern, double value) {
    const QChar point = QLocale().decimalPoint().at(0);
    if (pattern.startsWith(u'g')) {
        QString text = GeneralDigits(value, pattern.mid(1).toInt());
        return text.replace(u'.', point);
    }
    const qsizetype dot = pattern.indexOf(u'.');
    const QString intPattern = dot < 0 ? pattern : pattern.left(dot);
    const QString fracPattern = dot < 0 ? QString() : pattern.mid(dot + 1);
    const int minFrac = static_cast<int>(fracPattern.count(u'0'));
    const int maxFrac = static_cast<int>(fracPattern.size());
    const int minInt = static_cast<int>(intPattern.count(u'0'));

    QString text = QString::number(std::fabs(value), 'f', maxFrac);
    QString intPart = text;
    QString fracPart;
    if (const qsizetype p = text.indexOf(u'.'); p >= 0) {
        intPart = text.left(p);
        fracPart = text.mid(p + 1);
    }
    while (fracPart.size() > minFrac && fracPart.endsWith(u'0'))
        fracPart.chop(1);
    if (intPart == u"0"_s && minInt == 0) intPart.clear();
    while (intPart.size() < minInt)
        intPart.prepend(u'0');
    QString result = intPart;
    if (!fracPart.isEmpty()) result += point + fracPart;
    if (result.isEmpty()) result = u"0"_s;
    static const QRegularExpression nonZeroDigit(u"[1-9]"_s);
    const bool allZero = !result.contains(nonZeroDigit);
    if (value < 0 && !allZero) result.prepend(u'-');
    return result;
}

TField::TField(TRecordSet* recordSet, const QString& name, TFieldType type, int size)
    : m_recordSet(recordSet), m_name(name), m_type(type), m_size(size) {}

bool TField::isNumeric() const {
    return m_type == TFieldType::Integer || m_type == TFieldType::SmallInt || m_type == TFieldType::Float;
}

TField& TField::setRequired(bool required) {
    m_required = required;
    return *this;
}

TField& TField::setRange(double minValue, double maxValue) {
    m_min = minValue;
    m_max = maxValue;
    return *this;
}

TField& TField::setDisplayFormat(const QString& format) {
    m_displayFormat = format;
    m_shown.reset();
    return *this;
}

TField& TField::setEditFormat(const QString& format) {
    m_editFormat = format;
    return *this;
}

TField& TField::setDisplayLabel(const QString& label) {
    m_label = label;
    return *this;
}

TField& TField::setDisplayWidth(int width) {
    m_displayWidth = width;
    return *this;
}

TField& TField::setCalculated(bool calculated) {
    m_calculated = calculated;
    return *this;
}

TField& TField::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    return *this;
}

QVariant TField::value() const { return m_recordSet->fieldValue(*this); }

bool TField::isNull() const { return value().isNull(); }

QString TField::asString() const { return plainText(value()); }

int TField::asInteger() const {
    const QVariant v = value();
    if (v.isNull()) return 0;
    if (m_type == TFieldType::Float) return static_cast<int>(std::nearbyint(v.toDouble()));
    return convert(v).toInt();
}

double TField::asFloat() const {
    const QVariant v = value();
    if (v.isNull()) return 0;
    if (m_type == TFieldType::String) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            throw EKelvoError(u"'%1' is not a valid floating point value for field '%2'"_s.arg(
                Shown(v.toString()), displayName()));
        return d;
    }
    return v.toDouble();
}

bool TField::asBoolean() const {
    const QVariant v = value();
    if (v.isNull()) return false;
    if (m_type == TFieldType::Boolean) return v.toBool();
    TField probe(m_recordSet, m_name, TFieldType::Boolean, 0);
    return probe.convert(v).toBool();
}

QDateTime TField::asDateTime() const {
    const QVariant v = value();
    if (v.isNull()) return {};
    TField probe(m_recordSet, m_name, TFieldType::DateTime, 0);
    return probe.convert(v).toDateTime();
}

QString TField::displayText() const {
    const QVariant v = value();
    const QChar point = QLocale().decimalPoint().at(0);
    if (m_shown && m_shown->point == point && m_shown->value.typeId() == v.typeId() &&
        m_shown->value.isNull() == v.isNull() && m_shown->value == v)
        return m_shown->text;
    m_shown = TShownText{v, point, format(v, m_displayFormat)};
    return m_shown->text;
}

QString TField::editText() const { return format(value(), m_editFormat); }

void TField::setValue(const QVariant& value) { m_recordSet->setFieldValue(*this, value); }

void TField::setAsString(const QString& text) {
    if (text.isEmpty() && m_type != TFieldType::String) {
        clear();
        return;
    }
    setValue(text);
}

QVariant TField::convert(const QVariant& value) const {
    if (value.isNull()) return {};
    const bool isText = value.typeId() == QMetaType::QString;
    // The text without its surrounding blanks, read only by the branches that parse it.
    const auto text = [&value] { return QStringView(*static_cast<const QString*>(value.constData())).trimmed(); };
    switch (m_type) {
    case TFieldType::String: {
        if (isText) {
            checkLength(*static_cast<const QString*>(value.constData()));
            return value;
        }
        const QString s = value.typeId() == QMetaType::Bool ? (value.toBool() ? u"True"_s : u"False"_s)
                          : value.typeId() == QMetaType::Double ? FormatGeneral(value.toDouble())
                                                                 : value.toString();
        checkLength(s);
        return s;
    }
    case TFieldType::Integer:
    case TFieldType::SmallInt: {
        // A whole number fits when the column's type holds it: 16 bits for a small integer, else 32.
        const double limit = m_type == TFieldType::SmallInt ? 32767 : 2147483647;
        double d = 0;
        if (isText) {
            bool ok = false;
            d = static_cast<double>(text().toLongLong(&ok));
            if (!ok)
                throw EKelvoError(u"'%1' is not a valid integer value for field '%2'"_s.arg(
                    Shown(value.toString()), displayName()));
        } else {
            d = std::nearbyint(AsDouble(value));
        }
        if (!std::isfinite(d) || d > limit || d < -limit - 1) throw NotFitting(value);
        return static_cast<int>(d);
    }
    case TFieldType::Float: {
        if (isText) {
            // The user's form first (as numbers are shown), then the decimal point.
            QLocale user;
            user.setNumberOptions(QLocale::RejectGroupSeparator);
            bool ok = false;
            double d = user.toDouble(text(), &ok);
            if (!ok) d = text().toDouble(&ok);
            if (!ok && !std::isfinite(text().toDouble())) throw NotFitting(value);
            if (!ok)
                throw EKelvoError(u"'%1' is not a valid floating point value for field '%2'"_s.arg(
                    Shown(value.toString()), displayName()));
            if (!std::isfinite(d)) throw NotFitting(value);
            return d;
        }
        const double d = AsDouble(value);
        if (!std::isfinite(d)) throw NotFitting(value);
        return d;
    }
    case TFieldType::Boolean: {
        if (isText) {
            const QString t = text().toString().toLower();
            if (t == u"true"_s || t == u"yes"_s || t == u"1"_s) return true;
            if (t == u"false"_s || t == u"no"_s || t == u"0"_s) return false;
            throw EKelvoError(
                u"'%1' is not a valid boolean value for field '%2'"_s.arg(Shown(value.toString()), displayName()));
        }
        return value.toBool();
    }
    case TFieldType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime) return value;
        if (value.typeId() == QMetaType::QDate) return value.toDate().startOfDay();
        const QString stamp = value.toString().trimmed();
        QDateTime dt = QDateTime::fromString(stamp, Qt::ISODate);
        if (!dt.isValid()) dt = QDateTime::fromString(stamp, u"yyyy-MM-dd HH:mm:ss"_s);
        if (!dt.isValid()) throw EKelvoError(u"'%1' is not a valid date and time"_s.arg(Shown(value.toString())));
        return dt;
    }
    }
    return value;
}

void TField::checkLength(const QString& text) const {
    if (m_size > 0 && text.size() > m_size)
        throw EKelvoError(
            u"'%1' is too long for field '%2' (at most %3 characters)"_s.arg(Shown(text), displayName()).arg(m_size));
}

// Not-a-number, infinity and numbers beyond what the field's column holds.
EKelvoError TField::NotFitting(const QVariant& value) const {
    return EKelvoError(u"'%1' is not a valid value for field '%2'"_s.arg(
        Shown(value.typeId() == QMetaType::QString ? value.toString().trimmed() : value.toString()), displayName()));
}

void TField::checkRange(const QVariant& value) const {
    // A converted value is empty only as an invalid variant.
    if (!value.isValid() || (m_min == 0 && m_max == 0) || !isNumeric()) return;
    const double v = AsDouble(value);
    if (v >= m_min && v <= m_max) return;
    if (isWholeNumber())
        throw EKelvoError(u"%1 is not a valid value for field '%2'. The allowed range is %3 to %4"_s.arg(
            QString::number(value.toLongLong()), displayName(), QString::number(qint64(m_min)),
            QString::number(qint64(m_max))));
    throw EKelvoError(u"%1 is not a valid value for field '%2'. The allowed range is %3 to %4"_s.arg(
        FormatGeneral(v), displayName(), FormatGeneral(m_min), FormatGeneral(m_max)));
}

QString TField::plainText(const QVariant& value) const {
    if (value.isNull()) return {};
    switch (m_type) {
    case TFieldType::Float: return FormatGeneral(value.toDouble());
    case TFieldType::Boolean: return value.toBool() ? u"True"_s : u"False"_s;
    case TFieldType::DateTime: return value.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    default: return value.toString();
    }
}

QString TField::format(const QVariant& value, const QString& pattern) const {
    if (value.isNull()) return {};
    if (isNumeric() && !pattern.isEmpty()) return FormatFloat(pattern, value.toDouble());
    if (m_type == TFieldType::Float) return plainText(value).replace(u'.', QLocale().decimalPoint().at(0));
    // A date without a time of day is shown as a date.
    if (m_type == TFieldType::DateTime) {
        QDateTime stamp;
        try {
            stamp = convert(value).toDateTime();
        } catch (const EKelvoError&) {
            return plainText(value);
        }
        if (stamp.time() == QTime(0, 0)) return stamp.toString(u"yyyy-MM-dd"_s);
    }
    return plainText(value);
}
