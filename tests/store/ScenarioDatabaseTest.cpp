#include "foundation/Errors.h"
#include "store/Connection.h"
#include "store/CsvReader.h"
#include "store/ScenarioDatabaseBuilder.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString dataSourceDir = QString::fromUtf8(KELVO_DATA_SOURCE_DIR);

// A CSV file read without the system's reader: lines split on commas outside double quotes.
struct TPlainCsv {
    QStringList header;
    QVector<QStringList> rows;
};

QStringList SplitCsvLine(const QString& line) {
    static const QRegularExpression cell(u"(\"(?:[^\"]|\"\")*\"|[^,]*)(,|$)"_s);
    QStringList cells;
    qsizetype at = 0;
    while (at <= line.size()) {
        const auto m = cell.match(line, at, QRegularExpression::NormalMatch,
                                  QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch()) break;
        QString text = m.captured(1);
        if (text.startsWith(u'"')) text = text.mid(1, text.size() - 2).replace(u"\"\""_s, u"\""_s);
        cells << text;
        if (m.captured(2).isEmpty()) break;
        at = m.capturedEnd(0);
    }
    return cells;
}

TPlainCsv ReadPlainCsv(const QString& fileName) {
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << fileName.toStdString();
    TPlainCsv csv;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    csv.header = SplitCsvLine(lines.first());
    for (qsizetype i = 1; i < lines.size(); ++i)
        csv.rows << SplitCsvLine(lines[i]);
    return csv;
}

QStringList CsvFiles(const QString& folder) {
    QStringList files;
    const QDir dir(dataSourceDir + u'/' + folder);
    for (const QString& name : dir.entryList({u"*.csv"_s}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

QString TableOf(const QString& csvFile) {
    return QFileInfo(csvFile).completeBaseName();
}

// Whether a stored value is what a CSV cell of a column of this declared type stands for.
::testing::AssertionResult CellMatches(const QString& cell, const QString& type, const QVariant& stored) {
    auto fail = [&] {
        return ::testing::AssertionFailure() << "cell '" << cell.toStdString() << "' (" << type.toStdString()
                                             << ") stored as '" << stored.toString().toStdString() << "'";
    };
    if (cell.isEmpty()) return stored.isNull() ? ::testing::AssertionSuccess() : fail();
    if (stored.isNull()) return fail();
    if (type == u"BOOLEAN"_s)
        return stored.toInt() == (cell == u"true"_s ? 1 : 0) ? ::testing::AssertionSuccess() : fail();
    if (type == u"DATETIME"_s) {
        const QStringList dayMonth = cell.split(u'-');
        const QString expected = u"1999-%1-%2T00:00:00"_s.arg(dayMonth[1], dayMonth[0]);
        return stored.toString() == expected ? ::testing::AssertionSuccess() : fail();
    }
    if (type == u"INTEGER"_s || type == u"SMALLINT"_s || type == u"REAL"_s)
        return std::abs(stored.toDouble() - cell.toDouble()) <= 1e-12 * std::abs(cell.toDouble())
                   ? ::testing::AssertionSuccess()
                   : fail();
    return stored.toString() == cell ? ::testing::AssertionSuccess() : fail();
}

class ScenarioDatabaseTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        db.Open(DatabaseFile());
    }
    void TearDown() override {
        db.Close();
        TInstallationTest::TearDown();
    }

    QStringList ColumnNames(const QString& table) {
        QStringList names;
        for (const TConnection::TColumn& column : db.TableColumns(table))
            names << column.name;
        return names;
    }
    int Count(const QString& sql, const QVariantList& params = {}) {
        return db.Select(sql, params).rows.value(0).value(0).toInt();
    }

    TConnection db;
};

TEST_F(ScenarioDatabaseTest, EveryTableHoldsItsCsvRowsCellByCell) {
    const QStringList files = CsvFiles(u"reference"_s) + CsvFiles(u"examples"_s);
    ASSERT_EQ(files.size(), 15);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const TPlainCsv csv = ReadPlainCsv(file);
        const QString table = TableOf(file);
        QHash<QString, QString> types;
        for (const TConnection::TColumn& column : db.TableColumns(table))
            types.insert(column.name, column.type);
        QStringList quoted;
        for (const QString& name : csv.header)
            quoted << u"\"%1\""_s.arg(name);
        const TSqlResult stored =
            db.Select(u"SELECT %1 FROM \"%2\" ORDER BY rowid"_s.arg(quoted.join(u", "_s), table));
        ASSERT_EQ(stored.rows.size(), csv.rows.size());
        for (qsizetype r = 0; r < csv.rows.size(); ++r) {
            ASSERT_EQ(csv.rows[r].size(), csv.header.size()) << "row " << r + 1;
            for (qsizetype c = 0; c < csv.header.size(); ++c)
                EXPECT_TRUE(CellMatches(csv.rows[r][c], types.value(csv.header[c]), stored.rows[r][c]))
                    << "row " << r + 1 << ", column " << csv.header[c].toStdString();
        }
    }
}

TEST_F(ScenarioDatabaseTest, TablesFromCsvHaveTheHeaderAsColumnOrder) {
    for (const QString& file : CsvFiles(u"reference"_s) + CsvFiles(u"examples"_s)) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(ColumnNames(TableOf(file)), ReadPlainCsv(file).header);
    }
}

TEST_F(ScenarioDatabaseTest, EmptyCellsAreNullAndCropDatesLieIn1999) {
    // The eleven crop rows without dates (grass/alfalfa, citrus, olives).
    EXPECT_EQ(
        Count(u"SELECT COUNT(*) FROM CropsxLocations WHERE EmergenceDate IS NULL AND HarvestDate IS NULL"_s),
        11);
    EXPECT_EQ(Count(u"SELECT COUNT(*) FROM CropsxLocations WHERE IrrigationUsed = ''"_s), 0);
    EXPECT_GT(Count(u"SELECT COUNT(*) FROM CropsxLocations WHERE IrrigationUsed IS NULL"_s), 0);
    EXPECT_EQ(Count(u"SELECT COUNT(*) FROM Substances WHERE MetSubCode2 IS NULL"_s), 2);

    const TSqlResult dates = db.Select(u"SELECT EmergenceDate, HarvestDate FROM CropsxLocations "
                                       u"WHERE EmergenceDate IS NOT NULL OR HarvestDate IS NOT NULL"_s);
    ASSERT_EQ(dates.rows.size(), 125);
    for (const TSqlRow& row : dates.rows)
        for (const QVariant& date : row) {
            const QDateTime parsed = QDateTime::fromString(date.toString(), u"yyyy-MM-ddTHH:mm:ss"_s);
            EXPECT_TRUE(parsed.isValid()) << date.toString().toStdString();
            EXPECT_EQ(parsed.date().year(), 1999);
            EXPECT_EQ(parsed.time(), QTime(0, 0));
        }
    const TSqlResult winterCereals = db.Select(
        u"SELECT EmergenceDate, HarvestDate FROM CropsxLocations WHERE LocationCode = ? AND CropCode = ?"_s,
        {u"D1"_s, u"Cereals, winter"_s});
    ASSERT_EQ(winterCereals.rows.size(), 1);
    EXPECT_EQ(winterCereals.rows[0][0].toString(), u"1999-09-25T00:00:00"_s);
    EXPECT_EQ(winterCereals.rows[0][1].toString(), u"1999-09-04T00:00:00"_s);
}

TEST_F(ScenarioDatabaseTest, BoundTablesKeepTheirColumnOrderAndTypes) {
    struct TCase {
        QString table;
        QStringList columns; // name and declared type, in table order
    };
    const TCase cases[] = {
        {u"Projects"_s,
         {u"ProjectID INTEGER"_s, u"Name TEXT"_s, u"Description TEXT"_s, u"Path TEXT"_s,
          u"SubstanceCode TEXT"_s, u"CreationDate DATETIME"_s, u"ModificationDate DATETIME"_s}},
        {u"Runs"_s,
         {u"RunID VARCHAR(15)"_s,
          u"ProjectID INTEGER"_s,
          u"LocationCode VARCHAR(3)"_s,
          u"CropCode VARCHAR(35)"_s,
          u"WaterbodyCode VARCHAR(50)"_s,
          u"Name VARCHAR(50)"_s,
          u"CreationDate DATETIME"_s,
          u"ModificationDate DATETIME"_s,
          u"AppMethod VARCHAR(20)"_s,
          u"NumberOfApps INTEGER"_s,
          u"FirstDayYrApp INTEGER"_s,
          u"LastDayYrApp INTEGER"_s,
          u"MinIntervalApps INTEGER"_s,
          u"ApplicationSchemeID SMALLINT"_s,
          u"Selected VARCHAR(3)"_s,
          u"ModelStatus TEXT"_s,
          u"CropNr VARCHAR(3)"_s,
          u"VolgNr VARCHAR(15)"_s,
          u"FirstDayYrAppJulian VARCHAR(12)"_s,
          u"LastDayYrAppJulian VARCHAR(12)"_s,
          u"Remark TEXT"_s,
          u"Locked BOOLEAN"_s, u"BufferDistance REAL"_s, u"DriftReduction SMALLINT"_s}},
        {u"Applications"_s,
         {u"ApplicationNr SMALLINT"_s, u"RunID VARCHAR(15)"_s, u"Rate REAL"_s, u"CAM VARCHAR(30)"_s,
          u"Depi REAL"_s, u"Perc REAL"_s}},
        {u"SubstancexCropxLocation"_s,
         {u"SubstanceCode VARCHAR(20)"_s, u"CropCode VARCHAR(35)"_s, u"LocationCode VARCHAR(3)"_s,
          u"CropNr VARCHAR(3)"_s, u"DefAppMethod VARCHAR(20)"_s, u"DefNumberOfApps INTEGER"_s,
          u"DefMinIntervalApps INTEGER"_s, u"DefFirstDayYrApp INTEGER"_s, u"DefLastDayYrApp INTEGER"_s,
          u"DefRate REAL"_s, u"Locked BOOLEAN"_s}},
        {u"ToxswaMap"_s,
         {u"MapID INTEGER"_s, u"Name TEXT"_s, u"Description TEXT"_s, u"CreationDate DATETIME"_s,
          u"Focus BOOLEAN"_s}},
        {u"MapxProject"_s, {u"MapID INTEGER"_s, u"ProjectID INTEGER"_s}},
        {u"ApplicationSchemes"_s,
         {u"ApplicationSchemeID INTEGER"_s, u"Name TEXT"_s, u"Locked BOOLEAN"_s,
          u"EndDistanceDrift INTEGER"_s, u"EndDistanceLatEntry INTEGER"_s, u"RatioUpstreamBound REAL"_s,
          u"opInputUpstreamBound INTEGER"_s, u"RatioInfiltration REAL"_s, u"ThicknessSedEroAdded REAL"_s}},
        {u"ToxswaApplications"_s,
         {u"SchemeID INTEGER"_s, u"ApplicationNr INTEGER"_s, u"Rate REAL"_s, u"CAM VARCHAR(30)"_s,
          u"Depi REAL"_s, u"Perc REAL"_s, u"SprayDrift INTEGER"_s, u"PercOfRate REAL"_s,
          u"DriftDeposition REAL"_s}},
        {u"SimulationParameters"_s,
         {u"RunID VARCHAR(15)"_s, u"StartDate DATETIME"_s, u"EndDate DATETIME"_s,
          u"opLatEntryModel INTEGER"_s, u"nrOfHydrologyCurves INTEGER"_s, u"LatEntryFile TEXT"_s,
          u"ThicknessSedimentOutput REAL"_s}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        QStringList actual;
        for (const TSqlRow& row : db.Select(u"SELECT name, type FROM pragma_table_info(?)"_s, {c.table}).rows)
            actual << row[0].toString() + u' ' + row[1].toString();
        EXPECT_EQ(actual, c.columns);
    }
    // The substance tables: as many columns as listed, led by SubstanceCode, ending where the list ends.
    EXPECT_EQ(ColumnNames(u"Substances"_s).size(), 35);
    EXPECT_EQ(ColumnNames(u"Substances"_s).at(29), u"TemRefTraSed"_s);
    EXPECT_EQ(ColumnNames(u"Substance_Macro"_s).size(), 16);
    EXPECT_EQ(ColumnNames(u"Substance_Macro"_s).at(14), u"candeg"_s);
    EXPECT_EQ(ColumnNames(u"Substance_PRZM"_s).size(), 45);
    EXPECT_EQ(ColumnNames(u"Substance_PRZM"_s).at(39), u"mwght"_s);
    EXPECT_EQ(
        db.Select(u"SELECT Value FROM meta WHERE Key = ?"_s, {u"SchemaVersion"_s}).rows.value(0).value(0),
        QVariant(QString::number(ScenarioSchemaVersion)));
}

TEST_F(ScenarioDatabaseTest, SubstanceCodesAreUniqueRegardlessOfCase) {
    EXPECT_THROW(
        db.Execute(u"INSERT INTO Substances (SubstanceCode, IsParent) VALUES (?, ?)"_s, {u"example_p"_s, 1}),
        EKelvoError);
    EXPECT_THROW(db.Execute(u"INSERT INTO Substance_Macro (SubstanceCode) VALUES (?)"_s, {u"Example_M1"_s}),
                 EKelvoError);
    EXPECT_EQ(Count(u"SELECT COUNT(*) FROM Substances WHERE SubstanceCode = ?"_s, {u"example_p"_s}), 1);
    db.Execute(u"INSERT INTO Substances (SubstanceCode, IsParent) VALUES (?, ?)"_s, {u"EXAMPLE_P2"_s, 1});

    // A default pattern may repeat the four identifying values: the record rules guard new rows.
    const QString copy =
        u"INSERT INTO SubstancexCropxLocation SELECT * FROM SubstancexCropxLocation WHERE rowid = 1"_s;
    db.Execute(copy);
    EXPECT_EQ(Count(u"SELECT COUNT(*) FROM SubstancexCropxLocation"_s), 10);
}

TEST_F(ScenarioDatabaseTest, DeletingARowRemovesItsDependentRows) {
    db.Execute(u"INSERT INTO Projects (ProjectID, Name) VALUES (?, ?)"_s, {7, u"P7"_s});
    for (const QString& run : {u"00001d_pa"_s, u"00001d_m1"_s}) {
        db.Execute(u"INSERT INTO Runs (RunID, ProjectID) VALUES (?, ?)"_s, {run, 7});
        for (int nr = 1; nr <= 2; ++nr)
            db.Execute(u"INSERT INTO Applications (ApplicationNr, RunID, Rate) VALUES (?, ?, ?)"_s,
                       {nr, run, 1.0});
    }
    db.Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (?, ?, ?)"_s, {4, u"P7"_s, 1});
    db.Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (?, ?)"_s, {4, 7});
    db.Execute(u"INSERT INTO ApplicationSchemes (ApplicationSchemeID, Name) VALUES (?, ?)"_s, {9, u"S9"_s});
    db.Execute(u"INSERT INTO ToxswaApplications (SchemeID, ApplicationNr) VALUES (?, ?)"_s, {9, 1});

    struct TCase {
        QString deleteSql;
        QVariant key;
        QString leftSql; // counts the dependent rows that must be gone
        QVariantList leftParams;
    };
    const TCase cases[] = {
        {u"DELETE FROM Runs WHERE RunID = ?"_s,
         u"00001d_m1"_s,
         u"SELECT COUNT(*) FROM Applications WHERE RunID = ?"_s,
         {u"00001d_m1"_s}},
        {u"DELETE FROM Projects WHERE ProjectID = ?"_s,
         7,
         u"SELECT (SELECT COUNT(*) FROM Runs) + (SELECT COUNT(*) FROM Applications)"_s,
         {}},
        {u"DELETE FROM ToxswaMap WHERE MapID = ?"_s, 4, u"SELECT COUNT(*) FROM MapxProject"_s, {}},
        {u"DELETE FROM ApplicationSchemes WHERE ApplicationSchemeID = ?"_s,
         9,
         u"SELECT COUNT(*) FROM ToxswaApplications"_s,
         {}},
        {u"DELETE FROM Substances WHERE SubstanceCode = ?"_s,
         u"example_m1"_s,
         u"SELECT (SELECT COUNT(*) FROM Substance_Macro WHERE SubstanceCode = ?) + "
         u"(SELECT COUNT(*) FROM Substance_PRZM WHERE SubstanceCode = ?)"_s,
         {u"EXAMPLE_M1"_s, u"EXAMPLE_M1"_s}},
        {u"DELETE FROM Substances WHERE SubstanceCode = ?"_s,
         u"EXAMPLE_P"_s,
         u"SELECT (SELECT COUNT(*) FROM SubstancexCropxLocation) + (SELECT COUNT(*) FROM Substance_Macro) + "
         u"(SELECT COUNT(*) FROM Substance_PRZM)"_s,
         {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.deleteSql.toStdString());
        ASSERT_GT(Count(c.leftSql, c.leftParams), 0);
        EXPECT_EQ(db.Execute(c.deleteSql, {c.key}), 1);
        EXPECT_EQ(Count(c.leftSql, c.leftParams), 0);
    }
    // An application needs its run.
    EXPECT_THROW(
        db.Execute(u"INSERT INTO Applications (ApplicationNr, RunID) VALUES (?, ?)"_s, {1, u"nope"_s}),
        EKelvoError);
}

TEST_F(ScenarioDatabaseTest, ExampleSubstancesAreLockedAndCompleteForExport) {
    const TSqlResult substances = db.Select(
        u"SELECT SubstanceCode, IsParent, Locked, subSource, MetSubCode1 FROM Substances ORDER BY rowid"_s);
    ASSERT_EQ(substances.rows.size(), 2);
    struct TExpected {
        QString code;
        int isParent;
        QString metabolite;
    };
    const TExpected expected[] = {{u"EXAMPLE_P"_s, 1, u"EXAMPLE_M1"_s}, {u"EXAMPLE_M1"_s, 0, QString()}};
    for (int i = 0; i < 2; ++i) {
        const TSqlRow& row = substances.rows[i];
        EXPECT_EQ(row[0].toString(), expected[i].code);
        EXPECT_EQ(row[1].toInt(), expected[i].isParent);
        EXPECT_EQ(row[2].toInt(), 1) << "locked";
        EXPECT_EQ(row[3].toInt(), 1) << "subSource";
        EXPECT_EQ(row[4].isNull(), expected[i].metabolite.isEmpty());
        EXPECT_EQ(row[4].toString(), expected[i].metabolite);
    }
    EXPECT_EQ(Count(u"SELECT icombo3 FROM Substance_PRZM WHERE SubstanceCode = ?"_s, {u"EXAMPLE_P"_s}), 2);

    // The completeness rule: the leading columns of each table hold values (Kom and Koc may be empty
    // only with detailed sorption).
    struct TTable {
        QString name;
        int testedColumns;
    };
    for (const TTable& table :
         {TTable{u"Substances"_s, 30}, TTable{u"Substance_Macro"_s, 15}, TTable{u"Substance_PRZM"_s, 40}}) {
        const QStringList columns = ColumnNames(table.name);
        for (const QString& code : {u"EXAMPLE_P"_s, u"EXAMPLE_M1"_s}) {
            const TSqlRow row =
                db.Select(u"SELECT * FROM \"%1\" WHERE SubstanceCode = ?"_s.arg(table.name), {code})
                    .rows.value(0);
            ASSERT_EQ(row.size(), columns.size()) << code.toStdString();
            for (int i = 0; i < table.testedColumns; ++i)
                EXPECT_FALSE(row[i].isNull()) << table.name.toStdString() << "." << columns[i].toStdString()
                                              << " of " << code.toStdString();
        }
    }

    // Every value inside the range its field accepts.
    struct TRange {
        QString table;
        QString column;
        double min;
        double max;
    };
    const TRange ranges[] = {
        {u"Substances"_s, u"MolMass"_s, 10, 9999.99},
        {u"Substances"_s, u"MolEntVap"_s, -1e6, 1e6},
        {u"Substances"_s, u"SlbWatRef"_s, 1e-6, 2e6},
        {u"Substances"_s, u"TemRefSlb"_s, 0, 40},
        {u"Substances"_s, u"MolEntSlb"_s, -1e6, 1e6},
        {u"Substances"_s, u"Kom"_s, 0, 1e7},
        {u"Substances"_s, u"KomSus"_s, 0, 1e7},
        {u"Substances"_s, u"KocSus"_s, 0, 17240000},
        {u"Substances"_s, u"ExpFreSus"_s, 0.1, 2},
        {u"Substances"_s, u"ConLiqRefSus"_s, 0.01, 100},
        {u"Substances"_s, u"KomSed"_s, 0, 1e7},
        {u"Substances"_s, u"KocSed"_s, 0, 17240000},
        {u"Substances"_s, u"ExpFreSed"_s, 0.1, 2},
        {u"Substances"_s, u"ConLiqRefSed"_s, 0.01, 100},
        {u"Substances"_s, u"KomSol"_s, 0, 1e7},
        {u"Substances"_s, u"KocSol"_s, 0, 17240000},
        {u"Substances"_s, u"MolEntTra"_s, 0, 1e6},
        {u"Substances"_s, u"DT50WatRef"_s, 0.1, 1000},
        {u"Substances"_s, u"TemRefTraWat"_s, 0, 40},
        {u"Substances"_s, u"DT50SedRef"_s, 0.1, 1000},
        {u"Substances"_s, u"TemRefTraSed"_s, 0, 40},
        {u"Substance_Macro"_s, u"halflife"_s, 0, 1000},
        {u"Substance_Macro"_s, u"vap"_s, 0, 250000},
        {u"Substance_Macro"_s, u"VpTemp"_s, 0, 40},
        {u"Substance_Macro"_s, u"diffusion"_s, 0, 0.0002},
        {u"Substance_Macro"_s, u"fext"_s, 0, 0.5},
        {u"Substance_Macro"_s, u"candeg"_s, 0, 1000},
        {u"Substance_PRZM"_s, u"fextrc"_s, 0, 5},
    };
    for (const TRange& range : ranges)
        for (const TSqlRow& row :
             db.Select(u"SELECT \"%1\" FROM \"%2\""_s.arg(range.column, range.table)).rows) {
            EXPECT_GE(row[0].toDouble(), range.min) << range.column.toStdString();
            EXPECT_LE(row[0].toDouble(), range.max) << range.column.toStdString();
        }

    // The metabolite's MACRO fraction is the parent's PRZM molar fraction times the molar mass ratio.
    const double molarFraction =
        db.Select(u"SELECT dtr121a FROM Substance_PRZM WHERE SubstanceCode = ?"_s, {u"EXAMPLE_P"_s})
            .rows[0][0]
            .toDouble();
    const double massFraction =
        db.Select(u"SELECT fconvert FROM Substance_Macro WHERE SubstanceCode = ?"_s, {u"EXAMPLE_M1"_s})
            .rows[0][0]
            .toDouble();
    EXPECT_GT(molarFraction, 0);
    EXPECT_NEAR(massFraction, molarFraction * 200.0 / 300.0, 0.0005);
}

TEST_F(ScenarioDatabaseTest, ExampleDefaultPatternsAreLockedAndValid) {
    const TSqlResult patterns =
        db.Select(u"SELECT SubstanceCode, CropCode, LocationCode, CropNr, DefAppMethod, DefNumberOfApps, "
                  u"DefMinIntervalApps, "
                  u"DefFirstDayYrApp, DefLastDayYrApp, DefRate, Locked FROM SubstancexCropxLocation"_s);
    ASSERT_FALSE(patterns.rows.isEmpty());
    for (const TSqlRow& p : patterns.rows) {
        SCOPED_TRACE((p[1].toString() + u" at "_s + p[2].toString()).toStdString());
        EXPECT_EQ(p[0].toString(), u"EXAMPLE_P"_s);
        EXPECT_EQ(
            Count(
                u"SELECT COUNT(*) FROM CropsxLocations WHERE LocationCode = ? AND CropCode = ? AND CropNr = ?"_s,
                {p[2], p[1], p[3]}),
            1);
        EXPECT_EQ(Count(u"SELECT COUNT(*) FROM ApplicationMethods WHERE Method = ?"_s, {p[4]}), 1);
        const int n = p[5].toInt(), interval = p[6].toInt(), first = p[7].toInt(), last = p[8].toInt();
        EXPECT_GE(first, 1);
        EXPECT_LE(last, 366);
        const int wrap = first < last ? 0 : 365;
        EXPECT_GE(last + wrap - first, 30 + (n - 1) * interval);
        EXPECT_GT(p[9].toDouble(), 0);
        EXPECT_EQ(p[10].toInt(), 1);
    }
}

TEST(CsvReaderTest, ParsesQuotedFieldsAndRefusesBrokenRows) {
    const TCsvTable table =
        ParseCsv(u"\uFEFFa,b,c\r\n\"x, y\",\"say \"\"hi\"\"\",\r\n\r\n1,,3\n"_s, u"t.csv"_s);
    EXPECT_EQ(table.header, (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    ASSERT_EQ(table.rows.size(), 2);
    EXPECT_EQ(table.rows[0], (QStringList{u"x, y"_s, u"say \"hi\""_s, QString()}));
    EXPECT_EQ(table.rows[1], (QStringList{u"1"_s, QString(), u"3"_s}));

    struct TCase {
        QString text;
        QString message;
    };
    const TCase broken[] = {
        {u"a,b\n1,2,3\n"_s, u"t.csv, line 2: 3 cells where the header has 2"_s},
        {u"a,b\n1,2\n\"open,3\n"_s, u"t.csv, line 3: unclosed quote"_s},
        {QString(), u"t.csv: no header row"_s},
    };
    for (const TCase& c : broken) {
        try {
            ParseCsv(c.text, u"t.csv"_s);
            ADD_FAILURE() << "accepted " << c.text.toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(CsvReaderTest, CellsBecomeValuesOfTheColumnType) {
    struct TCase {
        QString cell;
        QString type;
        QVariant expected; // invalid: refused
        bool refused;
    };
    const TCase cases[] = {
        {QString(), u"INTEGER"_s, QVariant(), false},
        {QString(), u"VARCHAR(20)"_s, QVariant(), false},
        {u"true"_s, u"BOOLEAN"_s, 1, false},
        {u"false"_s, u"BOOLEAN"_s, 0, false},
        {u"yes"_s, u"BOOLEAN"_s, QVariant(), true},
        {u"05-05"_s, u"DATETIME"_s, u"1999-05-05T00:00:00"_s, false},
        {u"1-3"_s, u"DATETIME"_s, u"1999-03-01T00:00:00"_s, false},
        {u"2003-04-09T10:20:30"_s, u"DATETIME"_s, u"2003-04-09T10:20:30"_s, false},
        {u"29-02"_s, u"DATETIME"_s, QVariant(), true},
        {u"12"_s, u"SMALLINT"_s, 12LL, false},
        {u"1.5"_s, u"INTEGER"_s, QVariant(), true},
        {u"4.3e-05"_s, u"REAL"_s, 4.3e-05, false},
        {u"1,5"_s, u"REAL"_s, QVariant(), true},
        {u" Lanna, Sweden "_s, u"TEXT"_s, u" Lanna, Sweden "_s, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE((c.cell + u" as "_s + c.type).toStdString());
        if (c.refused) {
            EXPECT_THROW(CsvCellValue(c.cell, c.type), EKelvoError);
        } else {
            const QVariant value = CsvCellValue(c.cell, c.type);
            EXPECT_EQ(value.isNull(), c.expected.isNull());
            EXPECT_EQ(value.toString(), c.expected.toString());
        }
    }
}

class ScenarioDatabaseBuildTest : public TKelvoTest {
protected:
    // A copy of the data sources whose file can be spoiled.
    QString CopyOfDataSources() {
        const QString copy = temp.filePath(u"source"_s);
        for (const QString& folder : {u"reference"_s, u"examples"_s}) {
            QDir().mkpath(copy + u'/' + folder);
            for (const QString& file : CsvFiles(folder))
                QFile::copy(file, copy + u'/' + folder + u'/' + QFileInfo(file).fileName());
        }
        QFile::copy(dataSourceDir + u"/schema.sql"_s, copy + u"/schema.sql"_s);
        return copy;
    }

    QTemporaryDir temp;
};

TEST_F(ScenarioDatabaseBuildTest, AFailedBuildLeavesNoHalfDatabase) {
    const QString source = CopyOfDataSources();
    const QString target = temp.filePath(u"install/data/kelvo_db.sqlite"_s);
    BuildScenarioDatabase(source, target);
    const qint64 goodSize = QFileInfo(target).size();

    QFile drift(source + u"/reference/Drift.csv"_s);
    ASSERT_TRUE(drift.open(QIODevice::Append));
    drift.write("9,many\n");
    drift.close();
    try {
        BuildScenarioDatabase(source, target);
        FAIL() << "a bad number was accepted";
    } catch (const EKelvoError& e) {
        EXPECT_TRUE(e.Message().contains(u"Drift.csv, row 9, column DriftPerc"_s))
            << e.Message().toStdString();
    }
    EXPECT_EQ(QFileInfo(target).size(), goodSize);
    EXPECT_EQ(QDir(temp.filePath(u"install/data"_s)).entryList(QDir::Files),
              QStringList{u"kelvo_db.sqlite"_s});

    QFile::remove(target);
    EXPECT_THROW(BuildScenarioDatabase(source, target), EKelvoError);
    EXPECT_TRUE(QDir(temp.filePath(u"install/data"_s)).entryList(QDir::Files).isEmpty());
}

} // namespace
