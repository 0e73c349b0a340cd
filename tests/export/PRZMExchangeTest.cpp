#include "export/PRZMSubstanceFile.h"
#include "export/PRZMTestSupport.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// The substance exchange with PRZM on a fresh installation: the chemical data file taken over into the
// substance tables and rewritten from them, on real files.

namespace {

const QStringList SubstanceTables = {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s};

// A record as the system writes it: chemicals named by the codes (an empty code leaves the slot a copy
// of the parent without a name), values that differ per chemical, kdtyp 1.
TPRZM_Substance ChemicalRecord(const QString& parent, const QString& metabolite1 = {},
                               const QString& metabolite2 = {}) {
    TPRZM_Substance r;
    r.key = parent;
    r.icheck2 = 1;
    r.icheck3 = 1;
    r.icombo3 = metabolite2.isEmpty() ? (metabolite1.isEmpty() ? 1 : 2) : 3;
    r.icheck5 = 1;
    r.iqfac = 1;
    r.dtr121a = 0.5;
    r.dtr131a = metabolite2.isEmpty() ? 0 : 0.25;
    r.iset1 = r.iset2 = r.iset3 = 3;
    const QString names[] = {parent, metabolite1, metabolite2};
    for (int j = 1; j <= 3; ++j) {
        TPRZMChemical& c = r.Chemical(j);
        c.kdtyp = 1;
        c.apptyp = 2;
        c.apprel = 1;
        c.napp = 1;
        c.kdsp = 172.4 / j;
        c.drate1a = 20.0 * j;
        c.freund = 0.9;
        c.drate1c = 0.01 * j;
        c.drate2a = 0.02;
        c.fextrc = 0.5;
        c.candeg = 10;
        c.q10fac = 2.2;
        c.qbase = 20;
        c.mseff = 0.7;
        c.mslab = 100;
        c.solub = 100.0 * j;
        c.mwght = 350.0 - 50 * j;
        c.fstar = 0.5;
        c.vapourPressure = 0.1 / j;
        c.enthalpy = 397.1;
        c.airDiffusion = 4300;
    }
    for (int j = 2; j <= 3; ++j)
        if (names[j - 1].isEmpty()) TdmKelvoADO::CopyParentToSlot(r, j);
    for (int j = 1; j <= 3; ++j)
        r.Chemical(j).name = names[j - 1];
    return r;
}

// Sets the default number format of the process for its lifetime.
class TDefaultLocale {
public:
    explicit TDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TDefaultLocale() { QLocale::setDefault(m_previous); }
    TDefaultLocale(const TDefaultLocale&) = delete;
    TDefaultLocale& operator=(const TDefaultLocale&) = delete;

private:
    QLocale m_previous;
};

// A fresh installation with the scenario data module open on it; the stand-in chemical data file holds
// EXAMPLE_P (locked, created in the system) with its metabolite EXAMPLE_M1.
class PRZMExchangeTest : public TDataModuleTest {
protected:

    QString WpicPath(const QString& name) const { return InstallDir() + u"PRZM/wpic/"_s + name; }
    QByteArray Contents(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    QByteArray DataFile() const { return Contents(WpicPath(u"chmdat.dat"_s)); }
    QByteArray CountFile() const { return Contents(WpicPath(u"chmnum.dat"_s)); }
    void PutDataFile(const QByteArray& bytes) const {
        QFile file(WpicPath(u"chmdat.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void WriteRecords(const QList<TPRZM_Substance>& records) const {
        QByteArray bytes;
        for (const TPRZM_Substance& r : records)
            bytes += r.ToRecord();
        PutDataFile(bytes);
    }
    std::unique_ptr<TAggregationList> ReadRecords() const {
        return TPRZMSubstanceFile(InstallDir() + u"PRZM/wpic"_s).ReadAll();
    }
    // The records of the chemical data file by key.
    QMap<QString, TPRZM_Substance> RecordsByKey() const {
        QMap<QString, TPRZM_Substance> records;
        const auto list = ReadRecords();
        for (const TPRZM_Substance* r : list->Items<TPRZM_Substance>())
            records.insert(TrimmedText(r->key), *r);
        return records;
    }
    QStringList Keys() const {
        QStringList keys;
        const auto list = ReadRecords();
        for (const TPRZM_Substance* r : list->Items<TPRZM_Substance>())
            keys << TrimmedText(r->key);
        return keys;
    }

    QVariant Stored(const QString& table, const QString& code, const QString& column) const {
        const TSqlResult result = dm->dbKelvoADO.Select(
            u"SELECT \"%1\" FROM %2 WHERE SubstanceCode = ?"_s.arg(column, table), {code});
        return result.rows.isEmpty() ? QVariant() : result.rows[0][0];
    }
    void Store(const QString& table, const QString& code, const QString& column,
               const QVariant& value) const {
        dm->dbKelvoADO.Execute(u"UPDATE %1 SET \"%2\" = ? WHERE SubstanceCode = ?"_s.arg(table, column),
                               {value, code});
    }
    // The three rows of a substance as text, to see that nothing changed.
    QString Rows(const QString& code) const {
        QStringList rows;
        for (const QString& table : SubstanceTables)
            for (const TSqlRow& row :
                 dm->dbKelvoADO.Select(u"SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table), {code})
                     .rows) {
                QStringList values;
                for (const QVariant& v : row)
                    values << (v.isNull() ? u"NULL"_s : v.toString());
                rows << table + u": "_s + values.join(u'|');
            }
        return rows.join(u'\n');
    }
    int SubstanceCount() const {
        return dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt();
    }
    // Copies the example substance's three rows under a new code, unlocked, with the given links and origin.
    void Clone(const QString& source, const QString& code, bool parent, int origin,
               const QString& metabolite1 = {}, const QString& metabolite2 = {}) const {
        TConnection& db = dm->dbKelvoADO;
        for (const QString& table : SubstanceTables) {
            db.Execute(u"CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table),
                       {source});
            db.Execute(u"UPDATE Clone SET SubstanceCode = ?"_s, {code});
            db.Execute(u"INSERT INTO %1 SELECT * FROM Clone"_s.arg(table));
            db.Execute(u"DROP TABLE Clone"_s);
        }
        db.Execute(u"UPDATE Substances SET Locked = 0, IsParent = ?, MetSubCode1 = ?, MetSubCode2 = ?, "
                   u"subSource = ? "
                   "WHERE SubstanceCode = ?"_s,
                   {parent ? 1 : 0, metabolite1.isEmpty() ? QVariant() : metabolite1,
                    metabolite2.isEmpty() ? QVariant() : metabolite2, origin, code});
    }
};

TEST_F(PRZMExchangeTest, TheStandinFileHoldsTheExampleSubstancesAsTheSystemWritesThem) {
    EXPECT_EQ(PRZMFixture(u"standin_chmdat.dat"_s), DataFile());
    EXPECT_EQ("1\r\n", CountFile());
    EXPECT_TRUE(QFile::exists(InstallDir() + u"PRZM/przm.prj"_s));
    EXPECT_FALSE(QFile::exists(WpicPath(u"$chmdat.dat"_s)));
}

TEST_F(PRZMExchangeTest, NewChemicalsBecomeSubstancesFromPRZM) {
    WriteRecords({ChemicalRecord(u"NEWP"_s, u"NEWM1"_s, u"NEWM2"_s)});
    EXPECT_TRUE(dm->ImportPRZMSubstances());

    struct TExpected {
        QString code;
        bool parent;
        QString metabolite1;
        QString metabolite2;
        double kocSol;
        double molMass;
        double solubility;
        double halfLife;
        double vapourPressure;
    };
    const TExpected expected[] = {
        {u"NEWP"_s, true, u"NEWM1"_s, u"NEWM2"_s, 172.4, 300, 100, 20, 1e-4},
        {u"NEWM1"_s, false, {}, {}, 86.2, 250, 200, 40, 5e-5},
        {u"NEWM2"_s, false, {}, {}, 57.47, 200, 300, 60, 3.333e-5}, // four digits in the file
    };
    for (const TExpected& e : expected) {
        SCOPED_TRACE(e.code.toStdString());
        const auto substance = [&](const QString& column) { return Stored(u"Substances"_s, e.code, column); };
        EXPECT_EQ(e.code, substance(u"Name"_s).toString());
        EXPECT_EQ(3, substance(u"subSource"_s).toInt());
        EXPECT_EQ(e.parent, substance(u"IsParent"_s).toBool());
        EXPECT_FALSE(substance(u"Locked"_s).toBool());
        EXPECT_TRUE(substance(u"DetailedSorption"_s).toBool());
        EXPECT_NEAR(e.kocSol, substance(u"KocSol"_s).toDouble(), 1e-9);
        EXPECT_NEAR(e.kocSol / 1.724, substance(u"KomSol"_s).toDouble(), 1e-9);
        EXPECT_EQ(e.metabolite1, substance(u"MetSubCode1"_s).toString());
        EXPECT_EQ(e.metabolite2, substance(u"MetSubCode2"_s).toString());
        EXPECT_DOUBLE_EQ(e.molMass, substance(u"MolMass"_s).toDouble());
        EXPECT_DOUBLE_EQ(e.solubility, substance(u"SlbWatRef"_s).toDouble());
        EXPECT_NEAR(95000, substance(u"MolEntVap"_s).toDouble(), 1e-6);
        EXPECT_NEAR(0.43, substance(u"CofDifAirRef"_s).toDouble(), 1e-12);

        const auto przm = [&](const QString& column) { return Stored(u"Substance_PRZM"_s, e.code, column); };
        EXPECT_EQ(e.code.leftJustified(20), przm(u"pstnam"_s).toString());
        EXPECT_EQ(3, przm(u"icombo3"_s).toInt());
        EXPECT_EQ(2, przm(u"apptyp"_s).toInt());
        EXPECT_EQ(3, przm(u"iset1"_s).toInt());
        EXPECT_EQ(3, przm(u"iset3"_s).toInt());
        EXPECT_NEAR(e.kocSol, przm(u"kdsp"_s).toDouble(), 1e-9);
        EXPECT_DOUBLE_EQ(e.halfLife, przm(u"drate1a"_s).toDouble());
        EXPECT_DOUBLE_EQ(0.5, przm(u"dtr121a"_s).toDouble());
        EXPECT_DOUBLE_EQ(0.25, przm(u"dtr131a"_s).toDouble());
        EXPECT_DOUBLE_EQ(e.molMass, przm(u"mwght"_s).toDouble());

        const auto macro = [&](const QString& column) {
            return Stored(u"Substance_Macro"_s, e.code, column);
        };
        EXPECT_DOUBLE_EQ(e.halfLife, macro(u"halflife"_s).toDouble());
        EXPECT_NEAR(e.vapourPressure, macro(u"vap"_s).toDouble(), 1e-15);
        EXPECT_DOUBLE_EQ(0.9, macro(u"freund"_s).toDouble());
        EXPECT_DOUBLE_EQ(0.5, macro(u"fstar"_s).toDouble());
        EXPECT_DOUBLE_EQ(10, macro(u"candeg"_s).toDouble());
    }
}

TEST_F(PRZMExchangeTest, OnlyUnlockedSubstancesFromPRZMAreChanged) {
    Clone(u"EXAMPLE_P"_s, u"SYSTEM"_s, true, 1);
    Clone(u"EXAMPLE_P"_s, u"FROMMACRO"_s, true, 2);
    Clone(u"EXAMPLE_P"_s, u"FROMPRZM"_s, true, 3);
    Clone(u"EXAMPLE_P"_s, u"LOCKED"_s, true, 3);
    Store(u"Substances"_s, u"LOCKED"_s, u"Locked"_s, 1);
    QMap<QString, QString> before;
    for (const QString& code : {u"SYSTEM"_s, u"FROMMACRO"_s, u"LOCKED"_s, u"EXAMPLE_P"_s, u"EXAMPLE_M1"_s})
        before.insert(code, Rows(code));

    WriteRecords({ChemicalRecord(u"SYSTEM"_s), ChemicalRecord(u"FROMMACRO"_s), ChemicalRecord(u"FROMPRZM"_s),
                  ChemicalRecord(u"LOCKED"_s), ChemicalRecord(u"EXAMPLE_P"_s, u"EXAMPLE_M1"_s)});
    const int count = SubstanceCount();
    EXPECT_TRUE(dm->ImportPRZMSubstances());

    EXPECT_EQ(count, SubstanceCount());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(it.value(), Rows(it.key())) << it.key().toStdString();
    EXPECT_DOUBLE_EQ(300, Stored(u"Substances"_s, u"FROMPRZM"_s, u"MolMass"_s).toDouble());
    EXPECT_DOUBLE_EQ(100, Stored(u"Substances"_s, u"FROMPRZM"_s, u"Kom"_s).toDouble());
    EXPECT_EQ(3, Stored(u"Substance_PRZM"_s, u"FROMPRZM"_s, u"iset1"_s).toInt());
    EXPECT_EQ(3, Stored(u"Substances"_s, u"FROMPRZM"_s, u"subSource"_s).toInt());
}

TEST_F(PRZMExchangeTest, TheSorptionRuleReadsKdspByKdtypeAndDetailedSorption) {
    struct TCase {
        const char* name;
        bool existing;
        bool detailed;
        int kdtyp;
        double kdsp;
        QString column;
        double value;
    };
    const TCase cases[] = {
        {"new, Koc given", false, true, 1, 172.4, u"KocSol"_s, 172.4},
        {"new, Koc given: KomSol", false, true, 1, 172.4, u"KomSol"_s, 100},
        {"new, Kom given", false, true, 2, 100, u"KocSol"_s, 172.4},
        {"new, Kom given: KomSol", false, true, 2, 100, u"KomSol"_s, 100},
        {"general sorption, Koc given", true, false, 1, 344.8, u"Kom"_s, 200},
        {"general sorption, Kom given", true, false, 0, 200, u"Kom"_s, 200},
        {"detailed, Kom given", true, true, 3, 50, u"KocSol"_s, 86.2},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString code = u"SORB%1"_s.arg(++n);
        if (c.existing) {
            Clone(u"EXAMPLE_P"_s, code, true, 3);
            Store(u"Substances"_s, code, u"DetailedSorption"_s, c.detailed ? 1 : 0);
        }
        TPRZM_Substance record = ChemicalRecord(code);
        record.Chemical(1).kdtyp = c.kdtyp;
        record.Chemical(1).kdsp = c.kdsp;
        WriteRecords({record});
        dm->ImportPRZMSubstances();
        EXPECT_NEAR(c.value, Stored(u"Substances"_s, code, c.column).toDouble(), 1e-9);
        EXPECT_EQ(c.detailed, Stored(u"Substances"_s, code, u"DetailedSorption"_s).toBool());
    }
}

TEST_F(PRZMExchangeTest, MetaboliteNamesBecomeTheParentsLinks) {
    struct TCase {
        const char* name;
        QString metabolite1;
        QString metabolite2;
        QString metSubCode1;
        QString metSubCode2;
        int newSubstances;
    };
    const QString nul(20, QChar(u'\0'));
    const TCase cases[] = {
        {"two metabolites", u"LM1"_s, u"LM2"_s, u"LM1"_s, u"LM2"_s, 3},
        {"the same metabolite twice", u"LM3"_s, u"LM3"_s, u"LM3"_s, {}, 2},
        {"a name of NUL characters", nul, u"LM4"_s, {}, u"LM4"_s, 2},
        {"names of NUL characters", nul, nul, {}, {}, 1},
        {"blank names", u"    "_s, u"    "_s, {}, {}, 1},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString code = u"LINKED%1"_s.arg(++n);
        TPRZM_Substance record = ChemicalRecord(code, u"X"_s, u"Y"_s);
        record.Chemical(2).name = c.metabolite1;
        record.Chemical(3).name = c.metabolite2;
        WriteRecords({record});
        const int count = SubstanceCount();
        dm->ImportPRZMSubstances();
        EXPECT_EQ(c.metSubCode1, Stored(u"Substances"_s, code, u"MetSubCode1"_s).toString());
        EXPECT_EQ(c.metSubCode2, Stored(u"Substances"_s, code, u"MetSubCode2"_s).toString());
        EXPECT_EQ(count + c.newSubstances, SubstanceCount());
    }
}

TEST_F(PRZMExchangeTest, ARecordWithABlankKeyIsKnownByItsFirstChemical) {
    TPRZM_Substance record = ChemicalRecord(u"FIRSTCHEM"_s);
    record.key.clear();
    PutDataFile(record.ToRecord());
    dm->ImportPRZMSubstances();
    EXPECT_EQ(3, Stored(u"Substances"_s, u"FIRSTCHEM"_s, u"subSource"_s).toInt());
}

TEST_F(PRZMExchangeTest, ADamagedFileImportsNothing) {
    struct TCase {
        const char* name;
        QByteArray bytes;
        QString message;
    };
    const QByteArray record = ChemicalRecord(u"DAMAGED"_s, u"DAMAGEDM"_s).ToRecord();
    const TCase cases[] = {
        {"size", record + record.left(100),
         u"The PRZM chemical data file %1 is damaged: its size of 860 bytes is not a multiple of 760"_s.arg(
             WpicPath(u"chmdat.dat"_s))},
        {"blank real field", record + QByteArray(record).replace(64, 7, "       "),
         u"%1, record 2: field drate1a [1] holds '', not a number"_s.arg(WpicPath(u"chmdat.dat"_s))},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        PutDataFile(c.bytes);
        const int count = SubstanceCount();
        try {
            dm->ImportPRZMSubstances();
            ADD_FAILURE() << "imported";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.message, e.Message());
        }
        EXPECT_EQ(count, SubstanceCount());
        EXPECT_TRUE(dm->AskBeforeSave);
        EXPECT_FALSE(dm->tblSubstances.active());
    }
}

// A file that could not be read at start holds records the library does not have: a write keeps it
// beside the new file and says so.
TEST_F(PRZMExchangeTest, ADamagedFileIsKeptBesideTheNewOne) {
    const QByteArray record = ChemicalRecord(u"DAMAGED"_s).ToRecord();
    const QByteArray damaged = record + record.left(100);
    PutDataFile(damaged);
    EXPECT_THROW(dm->ImportPRZMSubstances(), EKelvoError);

    dm->WritePRZMSubstances();
    const QStringList kept =
        QDir(WpicPath(QString())).entryList({u"chmdat.dat.damaged-*"_s}, QDir::Files, QDir::Name);
    ASSERT_EQ(1, kept.size());
    EXPECT_EQ(damaged, Contents(WpicPath(kept[0])));
    const QStringList texts = ui.TakeTexts();
    ASSERT_EQ(1, texts.size());
    EXPECT_TRUE(texts[0].startsWith(
        u"The PRZM chemical data file %1 is damaged: its size of 860 bytes is not a multiple of 760"_s.arg(
            WpicPath(u"chmdat.dat"_s))));
    EXPECT_TRUE(texts[0].contains(WpicPath(kept[0]))) << texts[0].toStdString();
    EXPECT_EQ((QStringList{u"EXAMPLE_P"_s}), Keys());

    // The new file reads: the next write keeps nothing more.
    dm->WritePRZMSubstances();
    EXPECT_TRUE(ui.TakeTexts().isEmpty());
    EXPECT_EQ(1, QDir(WpicPath(QString())).entryList({u"chmdat.dat.damaged-*"_s}, QDir::Files).size());
}

TEST_F(PRZMExchangeTest, AMissingFileIsNamedOnImportAndWrite) {
    for (const QString& name : {u"chmnum.dat"_s, u"chmdat.dat"_s}) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray data = DataFile();
        QFile::remove(WpicPath(name));
        const QString message = u"File not found: "_s + WpicPath(name);
        try {
            dm->ImportPRZMSubstances();
            ADD_FAILURE() << "imported";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(message, e.Message());
        }
        try {
            dm->WritePRZMSubstances();
            ADD_FAILURE() << "written";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(message, e.Message());
        }
        EXPECT_FALSE(dm->tblSubstances.active());
        PutDataFile(data);
        QFile count(WpicPath(u"chmnum.dat"_s));
        ASSERT_TRUE(count.open(QIODevice::WriteOnly));
        count.write("1\r\n");
    }
}

TEST_F(PRZMExchangeTest, OnlyParentsCompleteForExportOrFromPRZMAreWritten) {
    Clone(u"EXAMPLE_P"_s, u"INCOMPLETE1"_s, true, 1);
    Clone(u"EXAMPLE_P"_s, u"INCOMPLETE2"_s, true, 2);
    Clone(u"EXAMPLE_P"_s, u"INCOMPLETE3"_s, true, 3);
    for (const QString& code : {u"INCOMPLETE1"_s, u"INCOMPLETE2"_s, u"INCOMPLETE3"_s})
        Store(u"Substances"_s, code, u"MolMass"_s, QVariant());
    Clone(u"EXAMPLE_P"_s, u"COMPLETE2"_s, true, 2);
    // Kom may be empty with detailed sorption, and the uptake factor is not tested.
    Clone(u"EXAMPLE_P"_s, u"DETAILED"_s, true, 1);
    Store(u"Substances"_s, u"DETAILED"_s, u"DetailedSorption"_s, 1);
    Store(u"Substances"_s, u"DETAILED"_s, u"Kom"_s, QVariant());
    Store(u"Substance_PRZM"_s, u"DETAILED"_s, u"uptkf"_s, QVariant());
    Clone(u"EXAMPLE_P"_s, u"NOTPARENT"_s, false, 3);

    EXPECT_TRUE(dm->WritePRZMSubstances());
    EXPECT_EQ((QStringList{u"EXAMPLE_P"_s, u"INCOMPLETE3"_s, u"COMPLETE2"_s, u"DETAILED"_s}), Keys());
    EXPECT_EQ("4\r\n", CountFile());
    EXPECT_EQ(0, RecordsByKey()[u"INCOMPLETE3"_s].Chemical(1).mwght);
    EXPECT_FALSE(dm->tblSubstances.active());
}

TEST_F(PRZMExchangeTest, MetaboliteSlotsAreFilledFromTheMetabolitesOrCopiedFromTheParent) {
    Clone(u"EXAMPLE_M1"_s, u"MA"_s, false, 3);
    Clone(u"EXAMPLE_M1"_s, u"MB"_s, false, 3);
    Store(u"Substance_PRZM"_s, u"MA"_s, u"iset1"_s, 4);
    Store(u"Substance_PRZM"_s, u"MB"_s, u"iset1"_s, 5);
    Store(u"Substances"_s, u"MB"_s, u"MolMass"_s, 150.0);
    Clone(u"EXAMPLE_P"_s, u"ALONE"_s, true, 3);
    Clone(u"EXAMPLE_P"_s, u"ONE"_s, true, 3, u"MA"_s);
    Clone(u"EXAMPLE_P"_s, u"TWO"_s, true, 3, u"MA"_s, u"MB"_s);
    Clone(u"EXAMPLE_P"_s, u"UNKNOWN"_s, true, 3, u"NOSUCH"_s);
    for (const QString& code : {u"ALONE"_s, u"ONE"_s, u"TWO"_s, u"UNKNOWN"_s})
        Store(u"Substance_PRZM"_s, code, u"iset1"_s, 1);

    dm->WritePRZMSubstances();
    const QMap<QString, TPRZM_Substance> records = RecordsByKey();
    const TPRZM_Substance parent = records[u"EXAMPLE_P"_s];
    const TPRZMChemical& metabolite = parent.Chemical(2);

    const TPRZM_Substance alone = records[u"ALONE"_s];
    for (const int j : {2, 3}) {
        TPRZMChemical copy = alone.Chemical(1);
        copy.name = QString(20, u' ');
        TPRZM_Substance expected = alone;
        expected.Chemical(j) = copy;
        ExpectSameValues(expected, alone);
    }
    EXPECT_EQ(QString(20, u' '), alone.Chemical(2).name);
    EXPECT_EQ(1, alone.iset2);
    EXPECT_EQ(1, alone.iset3);

    // The second slot blank: iset2 too becomes iset1, after the metabolite had given its own.
    const TPRZM_Substance one = records[u"ONE"_s];
    EXPECT_EQ(u"MA"_s, TrimmedText(one.Chemical(2).name));
    EXPECT_DOUBLE_EQ(metabolite.mwght, one.Chemical(2).mwght);
    EXPECT_DOUBLE_EQ(metabolite.kdsp, one.Chemical(2).kdsp);
    EXPECT_DOUBLE_EQ(metabolite.drate1a, one.Chemical(2).drate1a);
    EXPECT_EQ(1, one.iset2);
    EXPECT_EQ(1, one.iset3);

    const TPRZM_Substance two = records[u"TWO"_s];
    EXPECT_EQ(u"MB"_s, TrimmedText(two.Chemical(3).name));
    EXPECT_DOUBLE_EQ(150, two.Chemical(3).mwght);
    EXPECT_EQ(1, two.iset1);
    EXPECT_EQ(4, two.iset2);
    EXPECT_EQ(5, two.iset3);

    const TPRZM_Substance unknown = records[u"UNKNOWN"_s];
    EXPECT_EQ(u"NOSUCH"_s, TrimmedText(unknown.Chemical(2).name));
    TPRZMChemical zero;
    zero.name = u"NOSUCH"_s;
    TPRZM_Substance expected = unknown;
    expected.Chemical(2) = zero;
    ExpectSameValues(expected, unknown);
}

TEST_F(PRZMExchangeTest, TheSorptionRuleWritesKdspByDetailedSorptionAndKdtyp) {
    struct TCase {
        const char* name;
        bool detailed;
        int kdtyp;
        double kdsp;
    };
    const TCase cases[] = {
        {"detailed: KocSol whatever kdtyp", true, 2, 300},
        {"general, kdtyp 1: Kom as Koc", false, 1, 344.8},
        {"general, other kdtyp: Kom", false, 0, 200},
    };
    int n = 0;
    for (const TCase& c : cases) {
        const QString code = u"WSORB%1"_s.arg(++n);
        Clone(u"EXAMPLE_P"_s, code, true, 3);
        Store(u"Substances"_s, code, u"DetailedSorption"_s, c.detailed ? 1 : 0);
        Store(u"Substances"_s, code, u"Kom"_s, 200);
        Store(u"Substances"_s, code, u"KocSol"_s, 300);
        Store(u"Substance_PRZM"_s, code, u"kdtyp"_s, c.kdtyp);
    }
    dm->WritePRZMSubstances();
    const QMap<QString, TPRZM_Substance> records = RecordsByKey();
    n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(c.kdsp, records[u"WSORB%1"_s.arg(++n)].Chemical(1).kdsp, 1e-9);
    }
}

TEST_F(PRZMExchangeTest, AFileFromPRZMComesBackByteForByte) {
    const QByteArray file = PRZMFixture(u"standin_chmdat.dat"_s) +
                            ChemicalRecord(u"TRIP"_s, u"TRIPM1"_s, u"TRIPM2"_s).ToRecord() +
                            ChemicalRecord(u"TRIPALONE"_s).ToRecord();
    PutDataFile(file);
    dm->ImportPRZMSubstances();
    dm->WritePRZMSubstances();
    EXPECT_EQ(file, DataFile());
    EXPECT_EQ("3\r\n", CountFile());
}

TEST_F(PRZMExchangeTest, ACommaDecimalLocaleChangesNothingInTheFiles) {
    const QByteArray file =
        PRZMFixture(u"standin_chmdat.dat"_s) + ChemicalRecord(u"KOMMA"_s, u"KOMMAM1"_s).ToRecord();
    PutDataFile(file);
    {
        // The format restored is the one of the process start (kelvo-cli's tests start a process in it).
        TDefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_EQ(u"0,5"_s, QLocale().toString(0.5));
        dm->ImportPRZMSubstances();
        EXPECT_NE(QLocale::c(), QLocale());
        dm->WritePRZMSubstances();
        EXPECT_NE(QLocale::c(), QLocale());
    }
    EXPECT_EQ(file, DataFile());
    EXPECT_DOUBLE_EQ(172.4, Stored(u"Substances"_s, u"KOMMA"_s, u"KocSol"_s).toDouble());
    EXPECT_NEAR(95000, Stored(u"Substances"_s, u"KOMMAM1"_s, u"MolEntVap"_s).toDouble(), 1e-6);
}

TEST_F(PRZMExchangeTest, AValueTooWideStopsTheWriteAndLeavesTheOldFiles) {
    Clone(u"EXAMPLE_P"_s, u"AFIRST"_s, true, 3);
    Clone(u"EXAMPLE_P"_s, u"WIDE"_s, true, 3);
    Clone(u"EXAMPLE_P"_s, u"ZLAST"_s, true, 3);
    Store(u"Substance_PRZM"_s, u"WIDE"_s, u"dknum"_s, 1234);
    const QByteArray data = DataFile();
    const QByteArray count = CountFile();
    try {
        dm->WritePRZMSubstances();
        FAIL() << "written";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(
            u"Substance WIDE: the value 1234 of dknum [1] does not fit its field of 3 characters in the "
            "PRZM chemical data file"_s,
            e.Message());
    }
    EXPECT_EQ(data, DataFile());
    EXPECT_EQ(count, CountFile());
    EXPECT_EQ((QStringList{u"chmdat.dat"_s, u"chmnum.dat"_s}),
              QDir(InstallDir() + u"PRZM/wpic"_s).entryList(QDir::Files));
    EXPECT_FALSE(dm->tblSubstances.active());
}

TEST_F(PRZMExchangeTest, AProjectListThatCannotBeWrittenIsReportedAndTheSubstancesAreWritten) {
    const QString projectList = InstallDir() + u"PRZM/przm.prj"_s;
    QFile::remove(projectList);
    ASSERT_TRUE(QDir().mkpath(projectList + u"/inside"_s));
    Clone(u"EXAMPLE_P"_s, u"AFTER"_s, true, 3);
    EXPECT_TRUE(dm->WritePRZMSubstances());
    EXPECT_EQ((QStringList{u"Failed to update PRZM project-file (przm.prj)"_s}), ui.TakeTexts());
    EXPECT_EQ((QStringList{u"EXAMPLE_P"_s, u"AFTER"_s}), Keys());
}

} // namespace
