#include "FuzzReaders.h"

#include "export/DataModuleMacroADO.h"
#include "export/PRZMSubstance.h"
#include "export/PRZMSubstanceFile.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/ModelVersions.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/Connection.h"
#include "store/ScenarioDatabaseBuilder.h"
#include "store/ScenarioSchema.h"
#include "ui/app/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

namespace {

class TRecordingInterface : public TUserInterface {
public:
    void Show(TMessageKind, const QString& text) override { messages << text; }
    bool Ask(TQuestionKind, const QString& text) override {
        messages << text;
        return false;
    }
    std::unique_ptr<TProgressWindow> CreateProgress(const QString&, int) override { return nullptr; }

    QStringList messages;
};

// What SetUpFuzzing makes; it lives as long as the process.
struct TFuzzPlace {
    QTemporaryDir dir;
    TRecordingInterface ui;
};
TFuzzPlace* place = nullptr;

QString Path(const QString& relativePath) {
    return place->dir.filePath(relativePath);
}

void Expect(bool kept, const QString& promise) {
    if (!kept) throw TFuzzFinding(promise);
}

QString WriteFile(const QString& relativePath, const QByteArray& bytes) {
    const QString path = Path(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw TFuzzFinding(u"cannot write the input to "_s + path);
    return QFileInfo(path).absoluteFilePath();
}

// The reader showed nothing beside what it raised.
void ExpectQuiet() {
    Expect(place->ui.messages.isEmpty(), u"messages shown: "_s + place->ui.messages.join(u" | "_s));
}

void ExpectNamed(const EKelvoError& e, const QString& file) {
    Expect(e.Message().contains(file), u"the message does not name %1: %2"_s.arg(file, e.Message()));
}

void ReadChmdat(const QByteArray& input) {
    WriteFile(u"wpic/chmdat.dat"_s, input);
    WriteFile(u"wpic/chmnum.dat"_s, "0\r\n");
    TPRZMSubstanceFile file(Path(u"wpic"_s));
    try {
        const auto records = file.ReadAll();
        Expect(records->Count() == input.size() / TPRZM_Substance::RecordSize,
               u"%1 records read from %2 bytes"_s.arg(records->Count()).arg(input.size()));
    } catch (const EKelvoError& e) {
        ExpectNamed(e, file.DataFileName());
        Expect(input.size() % TPRZM_Substance::RecordSize != 0 || e.Message().contains(u", record "_s),
               u"the message names no record: "_s + e.Message());
    }
    ExpectQuiet();
}

void ReadVersions(const QByteArray& input) {
    const QString path = WriteFile(u"versionnum.dat"_s, input);
    for (const TModel model : {TModel::Toxswa, TModel::Macro, TModel::Przm}) {
        const TModelVersions versions = ReadVersionFile(model, path);
        Expect(versions.installed, u"an existing version file reads as not installed"_s);
        for (const QString& value : {versions.model, versions.shell, versions.data})
            Expect(!value.contains(u'\n'), u"a version value holds a line break: "_s + value);
    }
    ExpectQuiet();
}

// A day text that reads gives a day of the reference year, and that day written back is the text.
void ReadDayText(const QByteArray& input) {
    const QString text = QString::fromUtf8(input);
    try {
        const int day = TextToDayNumber(text);
        Expect(day >= 1 && day <= 365, u"'%1' reads as day %2"_s.arg(text).arg(day));
        const QString back = DayNumberToText(day, QLocale::c());
        Expect(back.compare(text.rightJustified(6, u'0'), Qt::CaseInsensitive) == 0,
               u"'%1' reads as day %2, which is '%3'"_s.arg(text).arg(day).arg(back));
    } catch (const EKelvoError& e) {
        Expect(e.Message() == u"Invalid date. Use format dd-mmm (e.g. 12-sep)"_s, e.Message());
    }
    ExpectQuiet();
}

// A database with the scenario schema and no rows, for the reference data loads.
TConnection& CsvDatabase() {
    static TConnection* connection = [] {
        auto* c = new TConnection;
        QFile schema(QStringLiteral(KELVO_DATA_SOURCE_DIR) + u"/schema.sql"_s);
        if (!schema.open(QIODevice::ReadOnly)) throw TFuzzFinding(u"no schema.sql"_s);
        c->Create(Path(u"csv.sqlite"_s));
        c->ExecuteScript(QString::fromUtf8(schema.readAll()));
        return c;
    }();
    return *connection;
}

// The first byte picks the reference table; the rest is the CSV file of that table.
void ReadCsv(const QByteArray& input) {
    if (input.isEmpty()) return;
    const QStringList& tables = ReferenceTables();
    const QString table = tables[static_cast<unsigned char>(input[0]) % tables.size()];
    const QString path = WriteFile(u"csv/%1.csv"_s.arg(table), input.mid(1));
    TConnection& db = CsvDatabase();
    db.BeginTrans();
    try {
        LoadCsvIntoTable(db, path);
    } catch (const EKelvoError& e) {
        Expect(e.Message().startsWith(path), u"the message does not begin with the file: "_s + e.Message());
    }
    db.RollbackTrans();
    ExpectQuiet();
}

void ReadRichText(const QByteArray& input) {
    QTextDocument document;
    try {
        ReadRtf(input, &document);
    } catch (const EKelvoError& e) {
        const QRegularExpressionMatch line = QRegularExpression(u"^line (\\d+): "_s).match(e.Message());
        Expect(line.hasMatch() && line.captured(1).toInt() <= input.count('\n') + 1,
               u"the message names no line of the text: "_s + e.Message());
    }
    ExpectQuiet();
}

// The parts removed from a database: a whole table (an empty set) or some of its columns.
using TRemoved = QMap<QString, QSet<QString>>;

// Copies the program's database and removes tables and columns from the copy as the input says, in
// steps of three bytes (at most eight): the first byte odd drops the table, even the column; the next
// two pick it among the template's columns.
TRemoved DamagedCopy(const QString& templateFile, const QString& copy, const QByteArray& input) {
    QFile::remove(copy);
    QFile::remove(copy + u"-wal"_s);
    QFile::remove(copy + u"-shm"_s);
    QDir().mkpath(QFileInfo(copy).absolutePath());
    if (!QFile::copy(templateFile, copy)) throw TFuzzFinding(u"cannot copy "_s + templateFile);
    TRemoved removed;
    TConnection db;
    db.Open(copy);
    db.Execute(u"PRAGMA foreign_keys = OFF"_s);
    const TSqlResult columns =
        db.Select(u"SELECT t.name, c.name FROM sqlite_master t, pragma_table_info(t.name) c "
                  u"WHERE t.type = 'table' ORDER BY t.name, c.cid"_s);
    for (qsizetype i = 0; i + 2 < input.size() && i < 24; i += 3) {
        const int pick = (static_cast<unsigned char>(input[i + 1]) << 8) | static_cast<unsigned char>(input[i + 2]);
        const TSqlRow& row = columns.rows[pick % columns.rows.size()];
        const QString table = row[0].toString();
        const QString column = row[1].toString();
        if (removed.contains(table) && removed[table].isEmpty()) continue;
        if (input[i] & 1) {
            db.Execute(u"DROP TABLE \"%1\""_s.arg(table));
            removed[table].clear();
            continue;
        }
        if (removed.value(table).contains(column)) continue;
        try {
            db.Execute(u"ALTER TABLE \"%1\" DROP COLUMN \"%2\""_s.arg(table, column));
        } catch (const EKelvoError&) {
            // A key or indexed column cannot be dropped; renamed, it is as missing.
            try {
                db.Execute(u"ALTER TABLE \"%1\" RENAME COLUMN \"%2\" TO \"%2_gone\""_s.arg(table, column));
            } catch (const EKelvoError&) {
                continue; // the table's last column
            }
        }
        removed[table].insert(column);
    }
    db.Close();
    return removed;
}

// The message names the file and every part removed.
void ExpectDamageNamed(const QString& message, const QString& file, const TRemoved& removed) {
    Expect(message.contains(file + u" is damaged: missing "_s), u"not a damage message: "_s + message);
    for (auto part = removed.cbegin(); part != removed.cend(); ++part) {
        if (part.value().isEmpty())
            Expect(message.contains(u"table "_s + part.key()), u"table %1 not named: %2"_s.arg(part.key(), message));
        for (const QString& column : part.value())
            Expect(message.contains(u"column %1.%2"_s.arg(part.key(), column)),
                   u"column %1.%2 not named: %3"_s.arg(part.key(), column, message));
    }
}

void ReadMacroDatabase(const QByteArray& input) {
    TdmMacroADO macro;
    const QString file = QFileInfo(macro.DatabasePath()).absoluteFilePath();
    const TRemoved removed = DamagedCopy(ProgramFile(u"templates/MACRO/pest_focus.sqlite"_s), file, input);
    const bool opened = macro.OpenMacroDatabase();
    if (removed.isEmpty()) {
        Expect(opened, u"a whole MACRO database does not open"_s);
        for (TTable* table : {&macro.tblCompound, &macro.tblMetab, &macro.tblRun, &macro.tblApplications}) {
            table->open();
            Expect(table->active(), u"a table of a whole MACRO database does not open"_s);
        }
        ExpectQuiet();
        return;
    }
    Expect(!opened, u"a MACRO database lacking parts opens"_s);
    Expect(place->ui.messages.size() == 1, u"messages shown: "_s + place->ui.messages.join(u" | "_s));
    ExpectDamageNamed(place->ui.messages.takeFirst(), file, removed);
}

void ReadScenarioDatabase(const QByteArray& input) {
    const QString templateFile = ProgramFile(u"templates/data/kelvo_db.sqlite"_s);
    const QString file = QFileInfo(InstallationDir() + u"data/kelvo_db.sqlite"_s).absoluteFilePath();
    const TRemoved removed = DamagedCopy(templateFile, file, input);
    TConnection db;
    db.Open(file);
    try {
        PrepareScenarioDatabase(db, templateFile);
        Expect(removed.isEmpty(), u"a scenario database lacking parts was accepted"_s);
    } catch (const EKelvoError& e) {
        Expect(!removed.isEmpty(), u"a whole scenario database was refused: "_s + e.Message());
        Expect(e.Message().startsWith(file), u"the message does not begin with the file: "_s + e.Message());
        // Without its meta table it is no scenario database at all.
        if (!removed.contains(u"meta"_s)) ExpectDamageNamed(e.Message(), file, removed);
    }
    ExpectQuiet();
}

} // namespace

const std::vector<TFuzzReader>& FuzzReaders() {
    static const std::vector<TFuzzReader> readers = {
        {"chmdat", ReadChmdat},   {"versionfile", ReadVersions},    {"daytext", ReadDayText},
        {"csv", ReadCsv},         {"rtf", ReadRichText},            {"macrodb", ReadMacroDatabase},
        {"scenariodb", ReadScenarioDatabase},
    };
    return readers;
}

void RunFuzzReader(const TFuzzReader& reader, const QByteArray& input) {
    place->ui.messages.clear();
    reader.read(input);
}

const TFuzzReader& FuzzReader(const QString& name) {
    for (const TFuzzReader& reader : FuzzReaders())
        if (name == QLatin1StringView(reader.name)) return reader;
    throw TFuzzFinding(u"no fuzz reader "_s + name);
}

void SetUpFuzzing(int* argc, char*** argv) {
    if (place) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    if (!QCoreApplication::instance()) new QGuiApplication(*argc, *argv);
    place = new TFuzzPlace;
    SetInstallationDir(place->dir.filePath(u"kelvo-home"_s));
    SetProgramDir(QStringLiteral(KELVO_BUILT_INSTALL_DIR));
    InstallUserInterface(&place->ui);
}
