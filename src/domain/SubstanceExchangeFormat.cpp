#include "domain/SubstanceExchangeFormat.h"

#include "domain/ModelFile.h"
#include "foundation/Errors.h"
#include "store/CsvReader.h"
#include "store/DataModuleKelvoADO.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString FormatName = u"kelvo-substances"_s;
const QString CodeField = u"SubstanceCode"_s;

// --- writing -----------------------------------------------------------------------------------------

QString NumberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// A stored value as file text: numbers in the C locale, booleans as 1/0 (CSV) or true/false (JSON).
QString CsvText(const QVariant& value, TFieldType type) {
    if (value.isNull()) return {};
    switch (type) {
    case TFieldType::Float:
        return NumberText(value.toDouble());
    case TFieldType::Integer:
    case TFieldType::SmallInt:
        return QString::number(value.toLongLong());
    case TFieldType::Boolean:
        return value.toBool() ? u"1"_s : u"0"_s;
    default:
        return value.toString();
    }
}

QString CsvCell(const QString& text) {
    static const QString special = u",;\"\r\n"_s;
    const bool quote = std::any_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }) ||
                       text != text.trimmed() || text.startsWith(u'#');
    if (!quote) return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString JsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString JsonText(const QVariant& value, TFieldType type) {
    if (value.isNull()) return u"null"_s;
    switch (type) {
    case TFieldType::Float:
    case TFieldType::Integer:
    case TFieldType::SmallInt:
        return CsvText(value, type);
    case TFieldType::Boolean:
        return value.toBool() ? u"true"_s : u"false"_s;
    default:
        return JsonString(value.toString());
    }
}

const TRecordSet& RecordSetOf(const TdmKelvoADO& dm, const QString& table) {
    if (table == dm.tblSubstancesMacro.tableName()) return dm.tblSubstancesMacro;
    if (table == dm.tblSubstancesPRZM.tableName()) return dm.tblSubstancesPRZM;
    return dm.tblSubstances;
}

// The stored row of each table of a substance, keyed by table.
struct TStoredSubstance {
    QHash<QString, QVariantMap> rows;
};

TStoredSubstance ReadStored(TdmKelvoADO& dm, const QString& code) {
    TStoredSubstance stored;
    for (const TTable* table : {&dm.tblSubstances, &dm.tblSubstancesMacro, &dm.tblSubstancesPRZM}) {
        const TSqlResult result = dm.dbKelvoADO.Select(
            u"SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table->tableName()), {code});
        QVariantMap row;
        if (!result.rows.isEmpty())
            for (qsizetype i = 0; i < result.columns.size(); ++i)
                row.insert(result.columns[i], result.rows[0][i]);
        stored.rows.insert(table->tableName(), row);
    }
    return stored;
}

QStringList AllCodes(TdmKelvoADO& dm) {
    QStringList codes;
    for (const TSqlRow& row : dm.dbKelvoADO.Select(u"SELECT SubstanceCode FROM Substances"_s).rows)
        codes << row[0].toString();
    std::sort(codes.begin(), codes.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return codes;
}

// The stored code as the library spells it; raises when there is none.
QString StoredCode(TdmKelvoADO& dm, const QString& code) {
    const TSqlResult found =
        dm.dbKelvoADO.Select(u"SELECT SubstanceCode FROM Substances WHERE SubstanceCode = ?"_s, {code});
    if (found.rows.isEmpty()) throw EKelvoError(u"Substance: "_s + code + u" not found"_s);
    return found.rows[0][0].toString();
}

// --- reading -----------------------------------------------------------------------------------------

QString Fail(const QString& fileName, const QString& where, const QString& what) {
    return u"%1, %2: %3"_s.arg(fileName, where, what);
}

TSubstanceFile ReadCsv(const QString& text, const QString& fileName) {
    TSubstanceFile file;
    file.fileName = fileName;
    qsizetype pos = 0;
    int line = 1;
    // Comment lines (the format line among them) and blank lines before the header.
    while (pos < text.size()) {
        const qsizetype end = text.indexOf(u'\n', pos);
        const QString current = text.mid(pos, end < 0 ? -1 : end - pos).trimmed();
        if (!current.isEmpty() && !current.startsWith(u'#')) break;
        pos = end < 0 ? text.size() : end + 1;
        ++line;
    }
    const qsizetype headerEnd = text.indexOf(u'\n', pos);
    const QString headerLine = text.mid(pos, headerEnd < 0 ? -1 : headerEnd - pos);
    // Comma-decimal spreadsheets separate with semicolons; field names hold neither sign.
    const bool semicolon = headerLine.contains(u';');
    const QChar separator = semicolon ? u';' : u',';
    file.detected = semicolon ? u"semicolon separated, decimal comma"_s : u"comma separated, decimal point"_s;
    QVector<TCsvRow> rows = SplitCsvRows(text.mid(pos), fileName, separator, line);
    if (rows.isEmpty()) throw EKelvoError(Fail(fileName, u"line %1"_s.arg(line), u"no header row"_s));
    for (const QString& name : rows.takeFirst().cells)
        file.fields << name.trimmed();
    for (const TCsvRow& row : std::as_const(rows)) {
        const QStringList& cells = row.cells;
        if (cells.size() == 1 && cells[0].trimmed().isEmpty()) continue;
        if (cells[0].trimmed().startsWith(u'#')) continue;
        if (cells.size() != file.fields.size())
            throw EKelvoError(Fail(fileName, u"line %1"_s.arg(row.line),
                                   u"%1 values where the header has %2 (read as %3)"_s.arg(cells.size())
                                       .arg(file.fields.size())
                                       .arg(file.detected)));
        TSubstanceRecord record;
        record.where = u"line %1"_s.arg(row.line);
        record.decimal = semicolon ? u',' : u'.';
        for (qsizetype i = 0; i < cells.size(); ++i)
            record.values.append({file.fields[i], cells[i].trimmed()});
        file.records << record;
    }
    return file;
}

TSubstanceFile ReadJson(const QByteArray& content, const QString& fileName) {
    TSubstanceFile file;
    file.fileName = fileName;
    file.json = true;
    file.detected = u"JSON"_s;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError) {
        const int line = static_cast<int>(content.left(error.offset).count('\n')) + 1;
        throw EKelvoError(Fail(fileName, u"line %1"_s.arg(line), error.errorString()));
    }
    const QJsonObject root = document.object();
    if (root.value(u"format"_s).toString() != FormatName)
        throw EKelvoError(Fail(fileName, u"$.format"_s, u"not a file of Kelvo substances"_s));
    if (root.value(u"version"_s).toInt() != SubstanceFileVersion)
        throw EKelvoError(Fail(fileName, u"$.version"_s,
                               u"version %1 is not one this Kelvo reads (%2)"_s.arg(
                                   root.value(u"version"_s).toVariant().toString())
                                   .arg(SubstanceFileVersion)));
    const QJsonValue substances = root.value(u"substances"_s);
    if (!substances.isArray()) throw EKelvoError(Fail(fileName, u"$.substances"_s, u"no list of substances"_s));
    const QJsonArray array = substances.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        TSubstanceRecord record;
        record.where = u"$.substances[%1]"_s.arg(i);
        if (!array[i].isObject()) throw EKelvoError(Fail(fileName, record.where, u"not an object"_s));
        const QJsonObject object = array[i].toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.value().isArray() || it.value().isObject())
                throw EKelvoError(Fail(fileName, record.where + u'.' + it.key(), u"not a single value"_s));
            record.values.append({it.key(), it.value().toVariant()});
            if (!file.fields.contains(it.key())) file.fields << it.key();
        }
        file.records << record;
    }
    return file;
}

} // namespace

QVector<TSubstanceColumn> SubstanceColumns(const TdmKelvoADO& dm) {
    QVector<TSubstanceColumn> columns;
    for (const TTable* table : {&dm.tblSubstances, &dm.tblSubstancesMacro, &dm.tblSubstancesPRZM})
        for (int i = 0; i < table->fieldCount(); ++i) {
            const TField& field = table->field(i);
            if (field.calculated()) continue;
            if (table != &dm.tblSubstances && field.fieldName() == CodeField) continue;
            columns.append({table->tableName(), field.fieldName()});
        }
    return columns;
}

QByteArray ExportSubstances(TdmKelvoADO& dm, const QStringList& codes, TSubstanceFileFormat format) {
    QStringList chosen;
    for (const QString& code : codes)
        chosen << StoredCode(dm, code);
    if (codes.isEmpty()) chosen = AllCodes(dm);
    const QVector<TSubstanceColumn> columns = SubstanceColumns(dm);
    QString text;
    if (format == TSubstanceFileFormat::Csv) {
        text += u"# %1 version %2\n"_s.arg(FormatName).arg(SubstanceFileVersion);
        QStringList header;
        for (const TSubstanceColumn& column : columns)
            header << column.field;
        text += header.join(u',') + u'\n';
    } else {
        text += u"{\n  \"format\": \"%1\",\n  \"version\": %2,\n  \"substances\": ["_s.arg(FormatName)
                    .arg(SubstanceFileVersion);
    }
    bool first = true;
    for (const QString& code : chosen) {
        const TStoredSubstance stored = ReadStored(dm, code);
        QStringList cells;
        for (const TSubstanceColumn& column : columns) {
            const QVariant value = stored.rows.value(column.table).value(column.field);
            const TFieldType type = RecordSetOf(dm, column.table).fieldByName(column.field).dataType();
            if (format == TSubstanceFileFormat::Csv)
                cells << CsvCell(CsvText(value, type));
            else
                cells << u"      %1: %2"_s.arg(JsonString(column.field), JsonText(value, type));
        }
        if (format == TSubstanceFileFormat::Csv)
            text += cells.join(u',') + u'\n';
        else
            text += (first ? u"\n    {\n"_s : u",\n    {\n"_s) + cells.join(u",\n"_s) + u"\n    }"_s;
        first = false;
    }
    if (format == TSubstanceFileFormat::Json) text += chosen.isEmpty() ? u"]\n}\n"_s : u"\n  ]\n}\n"_s;
    return text.toUtf8();
}

void ExportSubstancesToFile(TdmKelvoADO& dm, const QStringList& codes, TSubstanceFileFormat format,
                            const QString& fileName) {
    WriteWholeFile(fileName, ExportSubstances(dm, codes, format));
}

const TSubstanceValue* TSubstanceRecord::find(const QString& field) const {
    for (const TSubstanceValue& value : values)
        if (value.field == field) return &value;
    return nullptr;
}

QString TSubstanceFile::place(const TSubstanceRecord& record, const QString& field) const {
    return json ? record.where + u'.' + field : record.where + u", field "_s + field;
}

TSubstanceFile ReadSubstanceFile(const QByteArray& content, const QString& fileName) {
    QByteArray bytes = content;
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    const QString start = text.trimmed();
    if (start.startsWith(u'{')) return ReadJson(bytes, fileName);
    return ReadCsv(text, fileName);
}

TSubstanceFile ReadSubstanceFileFrom(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EKelvoError(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    return ReadSubstanceFile(file.readAll(), fileName);
}

TSubstanceFileFormat SubstanceFormatOfName(const QString& fileName) {
    return fileName.endsWith(u".json"_s, Qt::CaseInsensitive) ? TSubstanceFileFormat::Json
                                                             : TSubstanceFileFormat::Csv;
}
