#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class TdmKelvoADO;

// The substance exchange file: one row (CSV) or object (JSON) per substance with every stored value of
// its Substances, Substance_Macro and Substance_PRZM rows, the metabolite scheme included (the parent's
// metabolite codes, scheme and PRZM fractions, each metabolite's MACRO conversion factor). Names are the
// column names; the two detail tables' SubstanceCode is the Substances one. Numbers are written in the
// C locale with the shortest text that reads back to the same double.

enum class TSubstanceFileFormat { Csv, Json };

inline constexpr int SubstanceFileVersion = 1;

// One column of the file: the table it is stored in and its name there.
struct TSubstanceColumn {
    QString table;
    QString field;
};

// The columns in file order: the Substances columns, then those of Substance_Macro and Substance_PRZM.
QVector<TSubstanceColumn> SubstanceColumns(const TdmKelvoADO& dm);

// The substances' rows as stored, in the order of the codes given (all substances by code when none).
// Raises EKelvoError naming a code that is not in the library.
QByteArray ExportSubstances(TdmKelvoADO& dm, const QStringList& codes, TSubstanceFileFormat format);
// Writes them to a file (complete or not at all).
void ExportSubstancesToFile(TdmKelvoADO& dm, const QStringList& codes, TSubstanceFileFormat format,
                            const QString& fileName);

// A value read from a file: where it stands (for messages) and what it says. A CSV cell is text; a
// JSON value keeps its JSON type (number, boolean, text, null).
struct TSubstanceValue {
    QString field;
    QVariant value;
};

struct TSubstanceRecord {
    // "line 4" or "$.substances[3]"
    QString where;
    QVector<TSubstanceValue> values;
    // The decimal separator of the numbers written as text (',' in semicolon-separated CSV).
    QChar decimal = u'.';
    const TSubstanceValue* find(const QString& field) const;
};

struct TSubstanceFile {
    QString fileName;
    // What was detected, for messages ("comma separated", "semicolon separated, decimal comma").
    QString detected;
    bool json = false;
    QStringList fields;
    QVector<TSubstanceRecord> records;
    // The place of a value in messages: "line 4, field Kom" or "$.substances[3].Kom".
    QString place(const TSubstanceRecord& record, const QString& field) const;
};

// Reads a file in either format (told apart by its first non-blank character). Raises EKelvoError,
// naming the file and the line or JSON path, on anything that is not such a file.
TSubstanceFile ReadSubstanceFile(const QByteArray& content, const QString& fileName);
TSubstanceFile ReadSubstanceFileFrom(const QString& fileName);

// The format a file name asks for (".json" or else CSV).
TSubstanceFileFormat SubstanceFormatOfName(const QString& fileName);
