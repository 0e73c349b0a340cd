#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/Connection.h"
#include "drift/Mitigation.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioDatabaseBuilder.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString fixtures = QString::fromUtf8(KELVO_TESTS_SOURCE_DIR) + u"/data/schema_v1/"_s;
const QString fixturesV3 = QString::fromUtf8(KELVO_TESTS_SOURCE_DIR) + u"/data/schema_v3/"_s;

const QStringList userTables = {u"Projects"_s,           u"Runs"_s,
                                u"Applications"_s,       u"ToxswaMap"_s,
                                u"MapxProject"_s,        u"ApplicationSchemes"_s,
                                u"ToxswaApplications"_s, u"SimulationParameters"_s};
const QStringList& referenceTables = ReferenceTables();

QString ReadText(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
    return QString::fromUtf8(f.readAll());
}

QByteArray FileHash(const QString& file) {
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The rows a query yields, each as one text, sorted: equal dumps mean equal rows.
QStringList Dump(const QString& file, const QString& sql) {
    TConnection c;
    c.Open(file);
    QStringList rows;
    for (const TSqlRow& row : c.Select(sql).rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << (v.isNull() ? u"<null>"_s : v.toString());
        rows << cells.join(u'|');
    }
    rows.sort();
    return rows;
}

QMap<QString, QStringList> DumpTables(const QString& file, const QStringList& tables) {
    QMap<QString, QStringList> dump;
    for (const QString& table : tables)
        dump.insert(table, Dump(file, u"SELECT * FROM \"%1\""_s.arg(table)));
    return dump;
}

// The rows of the substance tables and default patterns, split by whether the substance is locked.
QMap<QString, QStringList> DumpSubstances(const QString& file, bool locked) {
    const QString codes =
        u"SELECT SubstanceCode FROM Substances WHERE %1Locked"_s.arg(locked ? u""_s : u"NOT "_s);
    QMap<QString, QStringList> dump;
    for (const QString& table :
         {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s, u"SubstancexCropxLocation"_s})
        dump.insert(table, Dump(file, u"SELECT * FROM %1 WHERE SubstanceCode IN (%2)"_s.arg(table, codes)));
    return dump;
}

// The user's rows as a migration leaves them: every run without mitigation, at FOCUS Step 3.
QMap<QString, QStringList> AtStep3(QMap<QString, QStringList> rows) {
    for (QString& run : rows[u"Runs"_s])
        run += u"|<null>|<null>"_s;
    return rows;
}

QString MetaValue(const QString& file, const QString& key) {
    return Dump(file, u"SELECT Value FROM meta WHERE Key = '%1'"_s.arg(key)).value(0);
}

class ScenarioMigrationTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        programDir = InstallDir() + u"program/"_s;
        BuildScenarioDatabase(QString::fromUtf8(KELVO_DATA_SOURCE_DIR), TemplateFile());
        SetProgramDir(programDir);
    }
    void TearDown() override {
        SetProgramDir(QString());
        TInstallationTest::TearDown();
    }
    QString TemplateFile() const { return programDir + u"templates/data/kelvo_db.sqlite"_s; }

    // A database as Kelvo of schema version 1 left it: the version 1 schema, the predefined rows as that
    // Kelvo delivered them (a crop named otherwise, a drift row fewer, an example value and a default
    // pattern since corrected) and the rows the user made.
    void MakeVersion1Database() {
        QFile::remove(DatabaseFile());
        const QDir source(QString::fromUtf8(KELVO_DATA_SOURCE_DIR));
        BuildDatabaseFile(DatabaseFile(), [&](TConnection& c) {
            c.ExecuteScript(ReadText(fixtures + u"schema.sql"_s));
            c.BeginTrans();
            c.Execute(u"PRAGMA defer_foreign_keys = ON"_s);
            for (const QString& folder : {u"reference"_s, u"examples"_s})
                for (const QString& csv : QDir(source.filePath(folder)).entryList({u"*.csv"_s}, QDir::Files))
                    LoadCsvIntoTable(c, source.filePath(folder + u'/' + csv));
            c.Execute(u"UPDATE Crops SET Name = 'Maize (1)' WHERE CropCode = 'Maize'"_s);
            c.Execute(u"DELETE FROM Drift WHERE rowid = (SELECT MAX(rowid) FROM Drift)"_s);
            c.Execute(u"UPDATE Substances SET Kom = 1.5 WHERE SubstanceCode = 'EXAMPLE_P'"_s);
            c.Execute(u"UPDATE SubstancexCropxLocation SET DefRate = 9 WHERE SubstanceCode = 'EXAMPLE_P'"_s);
            c.ExecuteScript(ReadText(fixtures + u"user_rows.sql"_s));
            c.CommitTrans();
        });
    }

    // A database as Kelvo of schema version 3 left it, with the same rows the user made.
    void MakeVersion3Database() {
        QFile::remove(DatabaseFile());
        const QDir source(QString::fromUtf8(KELVO_DATA_SOURCE_DIR));
        BuildDatabaseFile(DatabaseFile(), [&](TConnection& c) {
            c.ExecuteScript(ReadText(fixturesV3 + u"schema.sql"_s));
            c.BeginTrans();
            c.Execute(u"PRAGMA defer_foreign_keys = ON"_s);
            for (const QString& folder : {u"reference"_s, u"examples"_s})
                for (const QString& csv : QDir(source.filePath(folder)).entryList({u"*.csv"_s}, QDir::Files))
                    LoadCsvIntoTable(c, source.filePath(folder + u'/' + csv));
            c.ExecuteScript(ReadText(fixtures + u"user_rows.sql"_s));
            c.CommitTrans();
        });
    }

    bool Open() {
        TdmKelvoADO dm;
        const bool open = dm.OpenDatabase();
        dm.CloseDatabase();
        return open;
    }

    QString programDir;
};

TEST_F(ScenarioMigrationTest, AnOlderDatabaseIsBackedUpAndMigratedKeepingEveryUserRow) {
    MakeVersion1Database();
    const auto userRows = DumpTables(DatabaseFile(), userTables);
    const auto userSubstances = DumpSubstances(DatabaseFile(), false);
    ASSERT_EQ(userRows[u"Runs"_s].size(), 2);
    ASSERT_EQ(userSubstances[u"SubstancexCropxLocation"_s].size(), 2);
    const QString backup = DatabaseFile() + u".v1.bak"_s;

    ASSERT_TRUE(Open());
    EXPECT_EQ(MetaValue(DatabaseFile(), u"SchemaVersion"_s), QString::number(ScenarioSchemaVersion));
    EXPECT_EQ(MetaValue(DatabaseFile(), u"ProgramVersion"_s), ProgramVersion());
    EXPECT_TRUE(QDateTime::fromString(MetaValue(DatabaseFile(), u"MigratedAt"_s), Qt::ISODate).isValid());
    EXPECT_EQ(DumpTables(DatabaseFile(), userTables), AtStep3(userRows));
    EXPECT_EQ(DumpSubstances(DatabaseFile(), false), userSubstances);
    EXPECT_EQ(DumpTables(DatabaseFile(), referenceTables), DumpTables(TemplateFile(), referenceTables));
    EXPECT_EQ(DumpSubstances(DatabaseFile(), true), DumpSubstances(TemplateFile(), true));
    EXPECT_EQ(Dump(DatabaseFile(), u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});
    EXPECT_EQ(Dump(DatabaseFile(), u"PRAGMA foreign_key_check"_s), QStringList());
    const QString indexes = u"SELECT name, tbl_name FROM sqlite_master WHERE type = 'index'"_s;
    EXPECT_EQ(Dump(DatabaseFile(), indexes), Dump(TemplateFile(), indexes));

    // The backup is the old database as it was.
    EXPECT_EQ(MetaValue(backup, u"SchemaVersion"_s), u"1"_s);
    EXPECT_EQ(Dump(backup, u"SELECT Name FROM Crops WHERE CropCode = 'Maize'"_s),
              QStringList{u"Maize (1)"_s});
    EXPECT_EQ(DumpTables(backup, userTables), userRows);

    // Opening it again changes nothing and makes no further backup.
    const QStringList files = QDir(InstallDir() + u"data"_s).entryList(QDir::Files);
    const auto everything = DumpTables(DatabaseFile(), userTables + referenceTables + QStringList{u"meta"_s});
    ASSERT_TRUE(Open());
    EXPECT_EQ(DumpTables(DatabaseFile(), userTables + referenceTables + QStringList{u"meta"_s}), everything);
    EXPECT_EQ(QDir(InstallDir() + u"data"_s).entryList(QDir::Files), files);
}

// The Step 4 columns arrive empty: the user's projects stay at Step 3, and take a mitigation afterwards.
TEST_F(ScenarioMigrationTest, ASchema3DatabaseKeepsItsProjectsAtStep3) {
    MakeVersion3Database();
    const auto userRows = DumpTables(DatabaseFile(), userTables);
    ASSERT_EQ(MetaValue(DatabaseFile(), u"SchemaVersion"_s), u"3"_s);

    ASSERT_TRUE(Open());
    EXPECT_EQ(MetaValue(DatabaseFile(), u"SchemaVersion"_s), u"4"_s);
    EXPECT_EQ(MetaValue(DatabaseFile() + u".v3.bak"_s, u"SchemaVersion"_s), u"3"_s);
    EXPECT_EQ(DumpTables(DatabaseFile(), userTables), AtStep3(userRows));
    EXPECT_EQ(Dump(DatabaseFile(), u"PRAGMA integrity_check"_s), QStringList{u"ok"_s});

    TdmKelvoADO dm;
    ASSERT_TRUE(dm.OpenDatabase());
    EXPECT_EQ(dm.MitigateRuns(4, TMitigation{10.0, 75}, u"focus_ditch"_s, {}), QStringList{u"00001d_pa"_s});
    dm.CloseDatabase();
    EXPECT_EQ(Dump(DatabaseFile(), u"SELECT RunID, BufferDistance, DriftReduction FROM Runs"_s),
              (QStringList{u"00001d_pa|10|75"_s, u"00002p_pa|<null>|<null>"_s}));
}

TEST_F(ScenarioMigrationTest, AFailedMigrationLeavesTheDatabaseAsItWasAndSaysSo) {
    MakeVersion1Database();
    const auto before = DumpTables(DatabaseFile(), userTables + referenceTables + QStringList{u"meta"_s});

    // No program database to take the predefined rows from: nothing is touched.
    QFile::remove(TemplateFile());
    EXPECT_FALSE(Open());
    EXPECT_EQ(ui.TakeTexts(),
              QStringList{u"%1 of schema version 1 cannot be brought to version %2: the program's "
                          u"scenario database %3 is missing. Nothing was changed."_s.arg(DatabaseFile())
                              .arg(ScenarioSchemaVersion)
                              .arg(TemplateFile())});
    EXPECT_EQ(DumpTables(DatabaseFile(), userTables + referenceTables + QStringList{u"meta"_s}), before);

    // A program database lacking the reference tables: the transaction is rolled back.
    BuildDatabaseFile(TemplateFile(), [](TConnection& c) { c.Execute(u"CREATE TABLE meta (Key, Value)"_s); });
    EXPECT_FALSE(Open());
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(u"%1 could not be brought from schema version 1 to %2 and was left as it "
                                    u"was (a backup is in %1.v1"_s.arg(DatabaseFile())
                                        .arg(ScenarioSchemaVersion)))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[0].contains(u"no such table: program.Locations"_s)) << shown[0].toStdString();
    EXPECT_EQ(DumpTables(DatabaseFile(), userTables + referenceTables + QStringList{u"meta"_s}), before);
}

TEST_F(ScenarioMigrationTest, ANewerDatabaseIsRefusedAndNeverDowngraded) {
    {
        TConnection c;
        c.Open(DatabaseFile());
        c.Execute(u"UPDATE meta SET Value = ? WHERE Key = 'SchemaVersion'"_s, {ScenarioSchemaVersion + 1});
    }
    const QByteArray hash = FileHash(DatabaseFile());
    EXPECT_FALSE(Open());
    EXPECT_EQ(ui.TakeTexts(),
              QStringList{
                  u"%1 has schema version %2, written by a newer Kelvo; this Kelvo (%3) reads schema version "
                  u"%4 and older. Open it with the newer Kelvo."_s.arg(DatabaseFile())
                      .arg(ScenarioSchemaVersion + 1)
                      .arg(ProgramVersion())
                      .arg(ScenarioSchemaVersion)});
    EXPECT_EQ(FileHash(DatabaseFile()), hash);
}

TEST_F(ScenarioMigrationTest, AForeignOrDamagedFileIsNamedAndNeverOverwritten) {
    const QString file = DatabaseFile();
    struct TCase {
        const char* name;
        std::function<void()> make;
        QString message;
    };
    const TCase cases[] = {
        {"a text file",
         [&] {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray("Substance list\n").repeated(400));
         },
         u"%1 is not a Kelvo scenario database"_s.arg(file)},
        {"another program's database",
         [&] { BuildDatabaseFile(file, [](TConnection& c) { c.Execute(u"CREATE TABLE t (x)"_s); }); },
         u"%1 is not a Kelvo scenario database"_s.arg(file)},
        {"a damaged database",
         [&] {
             ASSERT_TRUE(QFile::copy(TemplateFile(), file));
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.seek(4096 + 8); // the cells of the second page, the root of the meta table
             f.write(QByteArray(200, '\xA5'));
         },
         u"%1 is damaged: "_s.arg(file)},
        {"a database lacking a table and a column",
         [&] {
             ASSERT_TRUE(QFile::copy(TemplateFile(), file));
             TConnection c;
             c.Open(file);
             c.Execute(u"PRAGMA foreign_keys = OFF"_s);
             c.Execute(u"DROP TABLE Applications"_s);
             c.Execute(u"ALTER TABLE Substances DROP COLUMN Comment"_s);
         },
         u"%1 is damaged: missing column Substances.Comment, table Applications"_s.arg(file)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(file);
        c.make();
        const QByteArray hash = FileHash(file);
        EXPECT_FALSE(Open());
        const QStringList shown = ui.TakeTexts();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith(c.message)) << shown[0].toStdString();
        EXPECT_FALSE(shown[0].contains(u"Unable to"_s)) << shown[0].toStdString();
        EXPECT_EQ(FileHash(file), hash);
    }
}

} // namespace
