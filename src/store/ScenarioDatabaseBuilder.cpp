#include "store/ScenarioDatabaseBuilder.h"

#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/CsvReader.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <filesystem>

using namespace Qt::Literals::StringLiterals;

namespace {

// Day numbers count from 1 January of this non-leap year; reference dates carry it.
constexpr int referenceYear = 1999;

QString ReadText(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EKelvoError(u"Cannot read %1: %2"_s.arg(fileName, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

QStringList CsvFilesIn(const QString& dir) {
    QStringList files;
    for (const QString& name : QDir(dir).entryList({u"*.csv"_s}, QDir::Files, QDir::Name))
        files << QDir(dir).filePath(name);
    return files;
}

// Removes a database file and the companion files SQLite keeps next to it (only those when not whole).
void RemoveDatabaseFiles(const QString& file, bool whole = true) {
    if (whole) QFile::remove(file);
    for (const QString& suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(file + suffix);
}

QVariant DateCell(const QString& cell) {
    static const QRegularExpression dayMonth(u"^(\\d{1,2})-(\\d{1,2})$"_s);
    if (const auto m = dayMonth.match(cell); m.hasMatch()) {
        const QDate date(referenceYear, m.captured(2).toInt(), m.captured(1).toInt());
        if (date.isValid()) return QDateTime(date, QTime(0, 0)).toString(u"yyyy-MM-ddTHH:mm:ss"_s);
        return {};
    }
    const QDateTime dateTime = QDateTime::fromString(cell, Qt::ISODate);
    if (dateTime.isValid()) return dateTime.toString(u"yyyy-MM-ddTHH:mm:ss"_s);
    return {};
}

} // namespace

QVariant CsvCellValue(const QString& cell, const QString& declaredType) {
    if (cell.isEmpty()) return {};
    const QString type = declaredType.toUpper();
    bool ok = true;
    QVariant value;
    if (type.contains(u"BOOL"_s)) {
        const QString flag = cell.trimmed().toLower();
        ok = flag == u"true"_s || flag == u"false"_s || flag == u"1"_s || flag == u"0"_s;
        value = (flag == u"true"_s || flag == u"1"_s) ? 1 : 0;
    } else if (type.contains(u"DATE"_s) || type.contains(u"TIME"_s)) {
        value = DateCell(cell.trimmed());
        ok = value.isValid();
    } else if (type.contains(u"INT"_s)) {
        value = cell.trimmed().toLongLong(&ok);
    } else if (type.contains(u"REAL"_s)) {
        value = cell.trimmed().toDouble(&ok);
    } else {
        value = cell;
    }
    if (!ok) throw EKelvoError(u"'%1' is not a valid %2 value"_s.arg(cell, declaredType));
    return value;
}

void LoadCsvIntoTable(TConnection& connection, const QString& csvFile) {
    const QString table = QFileInfo(csvFile).completeBaseName();
    const TCsvTable csv = ReadCsvFile(csvFile);
    QHash<QString, QString> declared;
    for (const TConnection::TColumn& column : connection.TableColumns(table))
        declared.insert(column.name.toLower(), column.type);
    QStringList types;
    QStringList quotedColumns;
    for (const QString& name : csv.header) {
        if (!declared.contains(name.toLower()))
            throw EKelvoError(u"%1: table %2 has no column %3"_s.arg(csvFile, table, name));
        types << declared.value(name.toLower());
        quotedColumns << u"\"%1\""_s.arg(name);
    }
    const QString sql = u"INSERT INTO \"%1\" (%2) VALUES (%3)"_s.arg(
        table, quotedColumns.join(u", "_s), QStringList(csv.header.size(), u"?"_s).join(u", "_s));
    for (qsizetype r = 0; r < csv.rows.size(); ++r) {
        QVariantList values;
        for (qsizetype c = 0; c < csv.header.size(); ++c) {
            try {
                values << CsvCellValue(csv.rows[r][c], types[c]);
            } catch (const EKelvoError& e) {
                throw EKelvoError(
                    u"%1, row %2, column %3: %4"_s.arg(csvFile).arg(r + 1).arg(csv.header[c], e.Message()));
            }
        }
        try {
            connection.Execute(sql, values);
        } catch (const EKelvoError& e) {
            throw EKelvoError(u"%1, row %2: %3"_s.arg(csvFile).arg(r + 1).arg(e.Message()));
        }
    }
}

void BuildDatabaseFile(const QString& databaseFile, const std::function<void(TConnection&)>& fill) {
    if (!QDir().mkpath(QFileInfo(databaseFile).absolutePath()))
        throw EKelvoError(u"Cannot create the folder of %1"_s.arg(databaseFile));
    const QString partial = databaseFile + u".part"_s;
    RemoveDatabaseFiles(partial);
    try {
        TConnection connection;
        connection.Create(partial);
        fill(connection);
        connection.Close();
    } catch (...) {
        RemoveDatabaseFiles(partial);
        throw;
    }
    RemoveDatabaseFiles(databaseFile, false);
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(partial).toStdString(),
                            QFile::encodeName(databaseFile).toStdString(), error);
    RemoveDatabaseFiles(partial);
    if (error)
        throw EKelvoError(u"Cannot rename %1 to %2: %3"_s.arg(partial, databaseFile,
                                                              QString::fromLocal8Bit(error.message())));
}

void BuildScenarioDatabase(const QString& dataSourceDir, const QString& databaseFile) {
    const QDir source(dataSourceDir);
    const QString schema = ReadText(source.filePath(u"schema.sql"_s));
    const QStringList csvFiles =
        CsvFilesIn(source.filePath(u"reference"_s)) + CsvFilesIn(source.filePath(u"examples"_s));
    BuildDatabaseFile(databaseFile, [&](TConnection& connection) {
        connection.ExecuteScript(schema);
        connection.BeginTrans();
        // Examples refer to each other across tables; links are checked once everything is in.
        connection.Execute(u"PRAGMA defer_foreign_keys = ON"_s);
        for (const QString& csv : csvFiles)
            LoadCsvIntoTable(connection, csv);
        connection.CommitTrans();
    });
}
