#pragma once

#include "foundation/Errors.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>
#include <functional>

class TRecordSet;

enum class TFieldType { String, Integer, SmallInt, Float, Boolean, DateTime };

// One column of a record set: its definition, and access to its value in the current row.
// Setting a value checks the range, runs the validate event (the field reads as its new value
// meanwhile; an exception refuses the value) and then the change event.
class TField {
public:
    TField(TRecordSet* recordSet, const QString& name, TFieldType type, int size);

    // Definition.
    const QString& fieldName() const { return m_name; }
    TFieldType dataType() const { return m_type; }
    int size() const { return m_size; }
    int index() const { return m_index; }
    TRecordSet& dataSet() const { return *m_recordSet; }
    bool isNumeric() const;
    bool isWholeNumber() const { return m_type == TFieldType::Integer || m_type == TFieldType::SmallInt; }

    TField& setRequired(bool required);
    bool required() const { return m_required; }
    // Lower and upper bound, checked when a value is set; none when both are 0.
    TField& setRange(double minValue, double maxValue);
    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }
    // Display and edit formats: "0.000"-style patterns, or "g4" for four significant digits.
    TField& setDisplayFormat(const QString& format);
    TField& setEditFormat(const QString& format);
    const QString& displayFormat() const { return m_displayFormat; }
    const QString& editFormat() const { return m_editFormat; }
    TField& setDisplayLabel(const QString& label);
    QString displayName() const { return m_label.isEmpty() ? m_name : m_label; }
    TField& setDisplayWidth(int width);
    int displayWidth() const { return m_displayWidth; }
    TField& setCalculated(bool calculated);
    bool calculated() const { return m_calculated; }
    // A read-only field is not edited by the user (code may still set it); calculated fields are read-only.
    TField& setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly || m_calculated; }

    // Events.
    std::function<void(TField&)> onChange;
    std::function<void(TField&)> onValidate;

    // Value in the current row.
    QVariant value() const;
    bool isNull() const;
    QString asString() const;
    int asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    QDateTime asDateTime() const;
    // The value as the user sees it (display format) or edits it (edit format).
    QString displayText() const;
    QString editText() const;

    void setValue(const QVariant& value);
    // Text as the user types it: numbers in the user's locale or with a decimal point; empty clears
    // a field that is not a text.
    void setAsString(const QString& text);
    void setAsInteger(int value) { setValue(value); }
    void setAsFloat(double value) { setValue(value); }
    void setAsBoolean(bool value) { setValue(value); }
    void setAsDateTime(const QDateTime& value) { setValue(value); }
    void clear() { setValue(QVariant()); }

    // Converts a value to this field's type (null stays null); raises the data layer's error
    // when it does not convert.
    QVariant convert(const QVariant& value) const;
    // Formats a value of this field as text (display, edit or plain).
    QString format(const QVariant& value, const QString& pattern) const;
    QString plainText(const QVariant& value) const;

private:
    friend class TRecordSet;
    void checkRange(const QVariant& value) const;
    EKelvoError NotFitting(const QVariant& value) const;
    // Refuses a text longer than the column holds.
    void checkLength(const QString& text) const;

    TRecordSet* m_recordSet;
    QString m_name;
    TFieldType m_type;
    int m_size;
    int m_index = -1;
    bool m_required = false;
    double m_min = 0;
    double m_max = 0;
    QString m_displayFormat;
    QString m_editFormat;
    QString m_label;
    int m_displayWidth = 0;
    bool m_calculated = false;
    bool m_readOnly = false;
    // The last display text with the value and decimal point it was made for: a move refreshes every
    // bound control several times over the same values.
    struct TShownText {
        QVariant value;
        QChar point;
        QString text;
    };
    mutable std::optional<TShownText> m_shown;
};

// Number text in the general format of the data layer's messages: 15 significant digits,
// "E" notation for very small or very large numbers (1E-6).
QString FormatGeneral(double value);
// Formats a number with a "0.0#"-style pattern ("g4" for four significant digits).
QString FormatFloat(const QString& pattern, double value);
