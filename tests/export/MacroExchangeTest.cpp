#include "domain/Conversions.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <QFile>
#include <QLocale>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

using TKind = TScriptedUserInterface::TKind;
using TEntries = QVector<TScriptedUserInterface::TEntry>;
using TRow = QVariantMap;

const QStringList SubstanceTables = {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s};

// A compound row with every field set, named code.
TRow Compound(const QString& code, const QString& inform) {
    return {{u"name"_s, code}, {u"inform"_s, inform}, {u"koc"_s, 344.8},   {u"halflife"_s, 12.5},
            {u"tref"_s, 15.0}, {u"vap"_s, 0.002},     {u"vptemp"_s, 25.0}, {u"pf"_s, 3},
            {u"expb"_s, 0.6},  {u"tresp"_s, 0.08},    {u"freund"_s, 0.85}, {u"diffusion"_s, 5e-10},
            {u"fstar"_s, 0.4}, {u"fext"_s, 0.04},     {u"candeg"_s, 0.05}, {u"FOCUStest"_s, false}};
}

// A metab row of a metabolite of parent.
TRow Metab(const QString& code, const QString& parent) {
    return {{u"name"_s, code}, {u"inform"_s, parent}, {u"koc"_s, 86.2},    {u"halflife"_s, 40.0},
            {u"tref"_s, 20.0}, {u"vap"_s, 1e-05},     {u"vptemp"_s, 20.0}, {u"pf"_s, 2},
            {u"expb"_s, 0.7},  {u"tresp"_s, 0.079},   {u"freund"_s, 0.9},  {u"diffusion"_s, 6e-10},
            {u"fstar"_s, 0.5}, {u"fconvert"_s, 0.25}};
}

// A fresh installation with the scenario data module open, the MACRO data module, and the MACRO
// substance tables emptied; a second connection to the MACRO database fills and reads them.
class MacroExchangeTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        macro = std::make_unique<TdmMacroADO>();
        macroDb.Open(macro->DatabasePath());
        macroDb.Execute(u"DELETE FROM compound"_s);
        macroDb.Execute(u"DELETE FROM metab"_s);
    }

    void TearDown() override {
        macroDb.Close();
        macro.reset();
        TDataModuleTest::TearDown();
    }

    void Add(const QString& table, const TRow& row) {
        QStringList marks(row.size(), u"?"_s);
        macroDb.Execute(
            u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(table, row.keys().join(u", "_s), marks.join(u", "_s)),
            row.values());
    }

    // The rows of a MACRO table by name, each with its columns.
    QMap<QString, TRow> MacroRows(const QString& table) {
        const TSqlResult result = macroDb.Select(u"SELECT * FROM %1"_s.arg(table));
        QMap<QString, TRow> rows;
        for (const TSqlRow& r : result.rows) {
            TRow row;
            for (qsizetype c = 0; c < result.columns.size(); ++c)
                row.insert(result.columns[c], r[c]);
            rows.insert(row[u"name"_s].toString(), row);
        }
        return rows;
    }

    // Copies the substance's three rows under a new code, unlocked, with the given links and origin.
    void Clone(const QString& source, const QString& code, bool parent, const QString& metabolite1 = {},
               const QString& metabolite2 = {}, int origin = 1) {
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

    QVariant Stored(const QString& table, const QString& code, const QString& column) {
        const TSqlResult result = dm->dbKelvoADO.Select(
            u"SELECT \"%1\" FROM %2 WHERE SubstanceCode = ?"_s.arg(column, table), {code});
        return result.rows.isEmpty() ? QVariant() : result.rows[0][0];
    }

    void Store(const QString& table, const QString& code, const QString& column, const QVariant& value) {
        dm->dbKelvoADO.Execute(u"UPDATE %1 SET \"%2\" = ? WHERE SubstanceCode = ?"_s.arg(table, column),
                               {value, code});
    }

    // Every stored row of the three substance tables, as text.
    QStringList SubstanceRows() {
        QStringList rows;
        for (const QString& table : SubstanceTables)
            for (const TSqlRow& r :
                 dm->dbKelvoADO.Select(u"SELECT * FROM %1 ORDER BY SubstanceCode"_s.arg(table)).rows) {
                QStringList values;
                for (const QVariant& v : r)
                    values << (v.isNull() ? u"NULL"_s : v.toString());
                rows << table + u": "_s + values.join(u'|');
            }
        return rows;
    }

    // Every row of a MACRO table, as text.
    QStringList MacroTexts(const QString& table) {
        QStringList rows;
        for (const TRow& row : MacroRows(table)) {
            QStringList values;
            for (const QVariant& v : row)
                values << (v.isNull() ? u"NULL"_s : v.toString());
            rows << table + u": "_s + values.join(u'|');
        }
        return rows;
    }

    bool Import() { return dm->ImportMacroSubstances(*macro); }
    bool Write() { return dm->WriteMacroSubstances(*macro); }
    std::unique_ptr<TdmMacroADO> macro;
    TConnection macroDb;
};

// The same rows, numbers equal up to rounding in their last digits.
void ExpectSameRows(const QStringList& expected, const QStringList& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QStringList e = expected[i].split(u'|');
        const QStringList a = actual[i].split(u'|');
        ASSERT_EQ(e.size(), a.size()) << actual[i].toStdString();
        for (qsizetype c = 0; c < e.size(); ++c) {
            bool numeric = false;
            const double x = e[c].toDouble(&numeric);
            if (numeric)
                EXPECT_NEAR(x, a[c].toDouble(), 1e-9 * std::max(1.0, std::abs(x))) << actual[i].toStdString();
            else
                EXPECT_EQ(e[c], a[c]) << actual[i].toStdString();
        }
    }
}

// --- import ------------------------------------------------------------------------------------------

TEST_F(MacroExchangeTest, NewCompoundBecomesAParentTakenOverFromMacro) {
    Add(u"compound"_s, Compound(u"NEWP"_s, u"New parent"_s));
    EXPECT_TRUE(Import());

    const QString p = u"NEWP"_s;
    EXPECT_EQ(2, Stored(u"Substances"_s, p, u"subSource"_s).toInt());
    EXPECT_FALSE(Stored(u"Substances"_s, p, u"Locked"_s).toBool());
    EXPECT_TRUE(Stored(u"Substances"_s, p, u"IsParent"_s).toBool());
    EXPECT_EQ(u"New parent"_s, Stored(u"Substances"_s, p, u"Name"_s).toString());
    EXPECT_EQ(0.85, Stored(u"Substances"_s, p, u"ExpFre"_s).toDouble());
    EXPECT_TRUE(Stored(u"Substances"_s, p, u"Kom"_s).isNull());
    EXPECT_TRUE(Stored(u"Substances"_s, p, u"MolMass"_s).isNull());

    const QVariantMap macroValues = {{u"inform"_s, u"New parent"_s},
                                     {u"Koc"_s, 344.8},
                                     {u"halflife"_s, 12.5},
                                     {u"tref"_s, 15.0},
                                     {u"vap"_s, 0.002},
                                     {u"VpTemp"_s, 25.0},
                                     {u"pf"_s, 3},
                                     {u"expb"_s, 0.6},
                                     {u"tresp"_s, 0.08},
                                     {u"freund"_s, 0.85},
                                     {u"fstar"_s, 0.4},
                                     {u"fext"_s, 0.04},
                                     {u"fconvert"_s, 0}};
    for (auto it = macroValues.begin(); it != macroValues.end(); ++it)
        EXPECT_EQ(it.value().toString(), Stored(u"Substance_Macro"_s, p, it.key()).toString())
            << it.key().toStdString();
    EXPECT_DOUBLE_EQ(5e-10 * 86400, Stored(u"Substance_Macro"_s, p, u"diffusion"_s).toDouble());
    EXPECT_DOUBLE_EQ(0.6931 / 0.05, Stored(u"Substance_Macro"_s, p, u"candeg"_s).toDouble());
    EXPECT_EQ(1, Stored(u"Substance_PRZM"_s, p, u"icombo3"_s).toInt());
    EXPECT_EQ(u"New parent"_s, Stored(u"Substance_PRZM"_s, p, u"pstnam"_s).toString());
}

// Each parent gets its metab rows in their order: the first as metabolite 1 (scheme 2, a chain stays
// a chain), every later one as metabolite 2 (scheme 3), the last one winning.
TEST_F(MacroExchangeTest, MetabRowsBecomeMetabolitesOfTheirParents) {
    struct TCase {
        QString parent;
        int scheme;
        QStringList metabolites;
        QString metabolite1;
        QString metabolite2;
        int expectedScheme;
    };
    const TCase cases[] = {
        {u"P_ONE"_s, 1, {u"A1"_s}, u"A1"_s, {}, 2},
        {u"P_CHAIN"_s, 4, {u"A2"_s}, u"A2"_s, {}, 4},
        {u"P_TWO"_s, 2, {u"A3"_s, u"B3"_s}, u"A3"_s, u"B3"_s, 3},
        {u"P_CHAIN2"_s, 4, {u"A4"_s, u"B4"_s}, u"A4"_s, u"B4"_s, 3},
        {u"P_THREE"_s, 1, {u"A5"_s, u"B5"_s, u"C5"_s}, u"A5"_s, u"C5"_s, 3},
        {u"P_LONG_PARENT_CODE"_s, 1, {u"A6"_s}, u"A6"_s, {}, 2},
    };
    for (const TCase& c : cases) {
        Clone(u"EXAMPLE_P"_s, c.parent, true);
        Store(u"Substance_PRZM"_s, c.parent, u"icombo3"_s, c.scheme);
    }
    // Interleaved, as the metab table may hold them.
    for (int i = 0; i < 3; ++i)
        for (const TCase& c : cases)
            if (i < c.metabolites.size()) Add(u"metab"_s, Metab(c.metabolites[i], c.parent));
    EXPECT_TRUE(Import());

    for (const TCase& c : cases) {
        SCOPED_TRACE(c.parent.toStdString());
        EXPECT_EQ(c.metabolite1, Stored(u"Substances"_s, c.parent, u"MetSubCode1"_s).toString());
        EXPECT_EQ(c.metabolite2, Stored(u"Substances"_s, c.parent, u"MetSubCode2"_s).toString());
        EXPECT_EQ(c.expectedScheme, Stored(u"Substance_PRZM"_s, c.parent, u"icombo3"_s).toInt());
        for (const QString& m : c.metabolites) {
            EXPECT_FALSE(Stored(u"Substances"_s, m, u"IsParent"_s).toBool());
            EXPECT_EQ(2, Stored(u"Substances"_s, m, u"subSource"_s).toInt());
            EXPECT_EQ(0, Stored(u"Substance_PRZM"_s, m, u"icombo3"_s).toInt());
            EXPECT_EQ(0.25, Stored(u"Substance_Macro"_s, m, u"fconvert"_s).toDouble());
            EXPECT_EQ(c.parent, Stored(u"Substance_Macro"_s, m, u"inform"_s).toString());
        }
    }
    EXPECT_EQ(u"metab of P_ONE"_s, Stored(u"Substances"_s, u"A1"_s, u"Name"_s).toString());
    // The name is cut to the 20 characters of its column.
    EXPECT_EQ(u"metab of P_LONG_PARE"_s, Stored(u"Substances"_s, u"A6"_s, u"Name"_s).toString());
}

TEST_F(MacroExchangeTest, LockedSubstancesAreNotChanged) {
    TRow parent = Compound(u"EXAMPLE_P"_s, u"Changed"_s);
    Add(u"compound"_s, parent);
    Add(u"metab"_s, Metab(u"EXAMPLE_M1"_s, u"EXAMPLE_P"_s));
    Add(u"metab"_s, Metab(u"NEWM"_s, u"EXAMPLE_P"_s));
    const QStringList before = SubstanceRows();
    EXPECT_TRUE(Import());

    // Only the new metabolite came in; the locked parent did not take it as its second.
    QStringList after = SubstanceRows();
    after.removeIf([](const QString& row) { return row.contains(u": NEWM|"_s); });
    EXPECT_EQ(before, after);
    EXPECT_EQ(u"metab of EXAMPLE_P"_s, Stored(u"Substances"_s, u"NEWM"_s, u"Name"_s).toString());
    EXPECT_TRUE(Stored(u"Substances"_s, u"EXAMPLE_P"_s, u"MetSubCode2"_s).isNull());
}

// An existing substance keeps its origin and, for a metab row, its name; its MACRO values and Kom are
// taken over.
TEST_F(MacroExchangeTest, ExistingSubstanceKeepsItsOrigin) {
    Clone(u"EXAMPLE_P"_s, u"PAR"_s, true, {}, {}, 1);
    Clone(u"EXAMPLE_P"_s, u"KEEPNAME"_s, true, {}, {}, 3);
    Clone(u"EXAMPLE_M1"_s, u"MET"_s, false, {}, {}, 3);
    Add(u"compound"_s, Compound(u"PAR"_s, u"Renamed"_s));
    Add(u"compound"_s, Compound(u"KEEPNAME"_s, {}));
    Add(u"metab"_s, Metab(u"MET"_s, u"PAR"_s));
    EXPECT_TRUE(Import());

    EXPECT_EQ(1, Stored(u"Substances"_s, u"PAR"_s, u"subSource"_s).toInt());
    EXPECT_EQ(u"Renamed"_s, Stored(u"Substances"_s, u"PAR"_s, u"Name"_s).toString());
    EXPECT_DOUBLE_EQ(200.0, Stored(u"Substances"_s, u"PAR"_s, u"Kom"_s).toDouble());
    EXPECT_EQ(0.9, Stored(u"Substances"_s, u"PAR"_s, u"ExpFre"_s).toDouble());
    EXPECT_EQ(12.5, Stored(u"Substance_Macro"_s, u"PAR"_s, u"halflife"_s).toDouble());
    EXPECT_EQ(u"Renamed"_s, Stored(u"Substance_Macro"_s, u"PAR"_s, u"inform"_s).toString());

    EXPECT_EQ(3, Stored(u"Substances"_s, u"KEEPNAME"_s, u"subSource"_s).toInt());
    EXPECT_EQ(u"Example parent"_s, Stored(u"Substances"_s, u"KEEPNAME"_s, u"Name"_s).toString());

    EXPECT_EQ(3, Stored(u"Substances"_s, u"MET"_s, u"subSource"_s).toInt());
    EXPECT_EQ(u"Example metabolite 1"_s, Stored(u"Substances"_s, u"MET"_s, u"Name"_s).toString());
    EXPECT_DOUBLE_EQ(50.0, Stored(u"Substances"_s, u"MET"_s, u"Kom"_s).toDouble());
    EXPECT_EQ(0.25, Stored(u"Substance_Macro"_s, u"MET"_s, u"fconvert"_s).toDouble());
    // A metab row leaves wash-off and crop half-life alone.
    EXPECT_EQ(0.05, Stored(u"Substance_Macro"_s, u"MET"_s, u"fext"_s).toDouble());
    EXPECT_EQ(10.0, Stored(u"Substance_Macro"_s, u"MET"_s, u"candeg"_s).toDouble());
    EXPECT_EQ(u"MET"_s, Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode1"_s).toString());
}

TEST_F(MacroExchangeTest, ImportStopsAtARowWithoutCode) {
    Add(u"compound"_s, Compound(u"FIRST"_s, u"First"_s));
    Add(u"compound"_s, Compound({}, u"Nameless"_s));
    Add(u"compound"_s, Compound(u"LAST"_s, u"Last"_s));
    try {
        Import();
        ADD_FAILURE() << "imported a row without code";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(u"Substance Code not set"_s, e.Message());
    }
    // The import is whole or nothing: the row before the faulty one is taken back too.
    EXPECT_TRUE(Stored(u"Substances"_s, u"FIRST"_s, u"subSource"_s).isNull());
    EXPECT_TRUE(Stored(u"Substances"_s, u"LAST"_s, u"subSource"_s).isNull());
    // The system's postings ask again afterwards, and the MACRO database is closed.
    EXPECT_TRUE(dm->AskBeforeSave);
    EXPECT_FALSE(macro->dbMacroADO.IsOpen());
}

// --- write -------------------------------------------------------------------------------------------

TEST_F(MacroExchangeTest, WriteRebuildsCompoundAndMetabFromTheSubstances) {
    Add(u"compound"_s, Compound(u"GONE"_s, u"Deleted in Kelvo"_s));
    Add(u"metab"_s, Metab(u"GONE_M"_s, u"GONE"_s));
    EXPECT_TRUE(Write());

    const QMap<QString, TRow> compounds = MacroRows(u"compound"_s);
    EXPECT_EQ(QStringList{u"EXAMPLE_P"_s}, compounds.keys());
    const TRow p = compounds.value(u"EXAMPLE_P"_s);
    EXPECT_EQ(u"Example parent"_s, p[u"inform"_s].toString());
    EXPECT_EQ(172.4, p[u"koc"_s].toDouble());
    EXPECT_EQ(20.0, p[u"halflife"_s].toDouble());
    EXPECT_EQ(0.0001, p[u"vap"_s].toDouble());
    EXPECT_EQ(2, p[u"pf"_s].toInt());
    EXPECT_DOUBLE_EQ(4.3e-05 / 86400, p[u"diffusion"_s].toDouble());
    EXPECT_EQ(0.05, p[u"fext"_s].toDouble());
    EXPECT_DOUBLE_EQ(0.6931 / 10, p[u"candeg"_s].toDouble());
    EXPECT_TRUE(p[u"FOCUStest"_s].toBool());

    const QMap<QString, TRow> metabs = MacroRows(u"metab"_s);
    EXPECT_EQ(QStringList{u"EXAMPLE_M1"_s}, metabs.keys());
    const TRow m = metabs.value(u"EXAMPLE_M1"_s);
    EXPECT_EQ(u"EXAMPLE_P"_s, m[u"inform"_s].toString());
    EXPECT_EQ(86.2, m[u"koc"_s].toDouble());
    EXPECT_EQ(40.0, m[u"halflife"_s].toDouble());
    EXPECT_DOUBLE_EQ(4.3e-05 / 86400, m[u"diffusion"_s].toDouble());
    EXPECT_EQ(0.333, m[u"fconvert"_s].toDouble());
}

// Only substances complete for export are written, and those taken over from MACRO in any case.
TEST_F(MacroExchangeTest, IncompleteSubstancesAreLeftOutUnlessTheyCameFromMacro) {
    struct TCase {
        QString code;
        bool parent;
        int origin;
        QString emptied; // table.column made empty
        bool written;
    };
    const TCase cases[] = {
        {u"P_COMPLETE"_s, true, 1, {}, true},
        {u"P_NO_MASS"_s, true, 1, u"Substances.MolMass"_s, false},
        {u"P_NO_MASS_MACRO"_s, true, 2, u"Substances.MolMass"_s, true},
        {u"P_NO_MASS_PRZM"_s, true, 3, u"Substances.MolMass"_s, false},
        {u"P_NO_CANDEG"_s, true, 1, u"Substance_Macro.candeg"_s, false},
        {u"P_NO_MWGHT"_s, true, 1, u"Substance_PRZM.mwght"_s, false},
        {u"P_NO_VP"_s, true, 1, u"Substance_PRZM.vp"_s, true},
        {u"P_NO_FCONVERT"_s, true, 1, u"Substance_Macro.fconvert"_s, true},
        {u"M_NO_HALFLIFE"_s, false, 1, u"Substance_Macro.halflife"_s, false},
        {u"M_NO_HALFLIFE_MACRO"_s, false, 2, u"Substance_Macro.halflife"_s, true},
    };
    for (const TCase& c : cases) {
        Clone(c.parent ? u"EXAMPLE_P"_s : u"EXAMPLE_M1"_s, c.code, c.parent, {}, {}, c.origin);
        if (!c.emptied.isEmpty()) {
            const QStringList place = c.emptied.split(u'.');
            Store(place[0], c.code, place[1], QVariant());
        }
    }
    EXPECT_TRUE(Write());

    const QMap<QString, TRow> compounds = MacroRows(u"compound"_s);
    const QMap<QString, TRow> metabs = MacroRows(u"metab"_s);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        EXPECT_EQ(c.written, (c.parent ? compounds : metabs).contains(c.code));
        EXPECT_FALSE((c.parent ? metabs : compounds).contains(c.code));
    }
    // A metabolite of nobody has no parent in its inform.
    EXPECT_TRUE(metabs[u"M_NO_HALFLIFE_MACRO"_s][u"inform"_s].isNull());
}

// Detailed sorption: Kom and Koc may stay empty, the parent's koc is KocSol and its metabolite's is
// its own Koc. A second metabolite gets its row from the parent only in the two-metabolite scheme.
TEST_F(MacroExchangeTest, ParentsWriteTheirMetabolites) {
    Clone(u"EXAMPLE_P"_s, u"P_DETAILED"_s, true, u"M_DETAILED"_s);
    Clone(u"EXAMPLE_M1"_s, u"M_DETAILED"_s, false);
    Store(u"Substances"_s, u"P_DETAILED"_s, u"DetailedSorption"_s, 1);
    Store(u"Substances"_s, u"P_DETAILED"_s, u"KocSol"_s, 500.0);
    Store(u"Substances"_s, u"P_DETAILED"_s, u"Kom"_s, QVariant());
    Store(u"Substance_Macro"_s, u"P_DETAILED"_s, u"Koc"_s, QVariant());

    // Scheme 2 with a leftover second metabolite: incomplete, it gets no row; complete, it gets one of
    // its own, without parent.
    Clone(u"EXAMPLE_P"_s, u"P_SCHEME2"_s, true, u"M_FIRST"_s, u"M_LEFTOVER"_s);
    Clone(u"EXAMPLE_M1"_s, u"M_FIRST"_s, false);
    Clone(u"EXAMPLE_M1"_s, u"M_LEFTOVER"_s, false);
    Store(u"Substances"_s, u"M_LEFTOVER"_s, u"MolMass"_s, QVariant());
    Clone(u"EXAMPLE_P"_s, u"P_SCHEME2B"_s, true, u"M_FIRST_B"_s, u"M_OWN"_s);
    Clone(u"EXAMPLE_M1"_s, u"M_FIRST_B"_s, false);
    Clone(u"EXAMPLE_M1"_s, u"M_OWN"_s, false);

    // Scheme 3: both metabolites come with the parent, even an incomplete one.
    Clone(u"EXAMPLE_P"_s, u"P_SCHEME3"_s, true, u"M_ONE"_s, u"M_TWO"_s);
    Store(u"Substance_PRZM"_s, u"P_SCHEME3"_s, u"icombo3"_s, 3);
    Clone(u"EXAMPLE_M1"_s, u"M_ONE"_s, false);
    Clone(u"EXAMPLE_M1"_s, u"M_TWO"_s, false);
    Store(u"Substances"_s, u"M_TWO"_s, u"MolMass"_s, QVariant());
    Store(u"Substance_Macro"_s, u"M_TWO"_s, u"fconvert"_s, 0.125);
    EXPECT_TRUE(Write());

    const QMap<QString, TRow> compounds = MacroRows(u"compound"_s);
    const QMap<QString, TRow> metabs = MacroRows(u"metab"_s);
    EXPECT_EQ(500.0, compounds[u"P_DETAILED"_s][u"koc"_s].toDouble());
    EXPECT_EQ(86.2, metabs[u"M_DETAILED"_s][u"koc"_s].toDouble());
    EXPECT_EQ(u"P_DETAILED"_s, metabs[u"M_DETAILED"_s][u"inform"_s].toString());

    EXPECT_EQ(u"P_SCHEME2"_s, metabs[u"M_FIRST"_s][u"inform"_s].toString());
    EXPECT_FALSE(metabs.contains(u"M_LEFTOVER"_s));
    EXPECT_TRUE(metabs[u"M_OWN"_s][u"inform"_s].isNull());

    EXPECT_EQ(u"P_SCHEME3"_s, metabs[u"M_ONE"_s][u"inform"_s].toString());
    EXPECT_EQ(u"P_SCHEME3"_s, metabs[u"M_TWO"_s][u"inform"_s].toString());
    EXPECT_EQ(0.125, metabs[u"M_TWO"_s][u"fconvert"_s].toDouble());
    EXPECT_DOUBLE_EQ(4.3e-05 / 86400, metabs[u"M_TWO"_s][u"diffusion"_s].toDouble());
}

// What the write puts into MACRO comes back unchanged by the import.
TEST_F(MacroExchangeTest, WrittenSubstancesReadBackUnchanged) {
    Clone(u"EXAMPLE_P"_s, u"PAR"_s, true, u"MET"_s);
    Clone(u"EXAMPLE_M1"_s, u"MET"_s, false);
    Store(u"Substance_Macro"_s, u"PAR"_s, u"candeg"_s, 7.5);
    Store(u"Substance_Macro"_s, u"MET"_s, u"fconvert"_s, 0.4);
    Store(u"Substance_Macro"_s, u"MET"_s, u"inform"_s, u"PAR"_s);
    const QStringList before = SubstanceRows();
    EXPECT_TRUE(Write());
    EXPECT_TRUE(Import());

    ExpectSameRows(before, SubstanceRows());
}

TEST_F(MacroExchangeTest, FailedWriteLeavesMacroAsItWas) {
    Add(u"compound"_s, Compound(u"OLD"_s, u"Old"_s));
    // A metab table without fconvert makes the write fail once the compound rows are rewritten.
    macroDb.Execute(u"DROP TABLE metab"_s);
    macroDb.Execute(
        u"CREATE TABLE metab (name TEXT, inform TEXT, koc REAL, halflife REAL, tref REAL, vap REAL, "
        "vptemp REAL, pf INTEGER, expb REAL, tresp REAL, freund REAL, diffusion REAL, fstar REAL)"_s);
    Add(u"metab"_s, {{u"name"_s, u"OLD_M"_s}, {u"inform"_s, u"OLD"_s}});
    EXPECT_THROW(Write(), EKelvoError);
    EXPECT_EQ(QStringList{u"OLD"_s}, MacroRows(u"compound"_s).keys());
    EXPECT_EQ(QStringList{u"OLD_M"_s}, MacroRows(u"metab"_s).keys());
    EXPECT_FALSE(macro->dbMacroADO.IsOpen());
}

TEST_F(MacroExchangeTest, MissingDatabaseIsNotAvailable) {
    macroDb.Close();
    ASSERT_TRUE(QFile::remove(macro->DatabasePath()));
    const QString message = u"Unable to open MACRO database: "_s + macro->DatabasePath();
    EXPECT_FALSE(Import());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Message, message}}));
    EXPECT_FALSE(Write());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Message, message}}));
    EXPECT_FALSE(QFile::exists(macro->DatabasePath()));
}

// Values travel as numbers: a comma-decimal locale changes nothing.
TEST_F(MacroExchangeTest, GermanLocaleChangesNothing) {
    Add(u"compound"_s, Compound(u"NEWP"_s, u"New parent"_s));
    Add(u"metab"_s, Metab(u"NEWM"_s, u"NEWP"_s));
    // The second round finds every substance in place, as the German round will.
    for (int round = 0; round < 2; ++round)
        ASSERT_TRUE(Import() && Write());
    const QStringList substances = SubstanceRows();
    const QStringList macroRows = MacroTexts(u"compound"_s) + MacroTexts(u"metab"_s);

    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const bool exchanged = Import() && Write();
    const QString shown = QLocale().toString(1.5);
    QLocale::setDefault(previous);
    EXPECT_EQ(u"1,5"_s, shown);
    EXPECT_TRUE(exchanged);
    ExpectSameRows(substances, SubstanceRows());
    ExpectSameRows(macroRows, MacroTexts(u"compound"_s) + MacroTexts(u"metab"_s));
    EXPECT_EQ(344.8, Stored(u"Substance_Macro"_s, u"NEWP"_s, u"Koc"_s).toDouble());
}

// The stand-in installation's MACRO database holds the example substances, written by the exchange.
using StandinMacroTest = TInstallationTest;

TEST_F(StandinMacroTest, HoldsTheExampleSubstances) {
    TConnection db;
    db.Open(InstallDir() + u"MACRO/pest_focus.sqlite"_s);
    const TSqlResult compounds = db.Select(u"SELECT name, inform, koc, FOCUStest FROM compound"_s);
    ASSERT_EQ(1, compounds.rows.size());
    EXPECT_EQ((TSqlRow{u"EXAMPLE_P"_s, u"Example parent"_s, 172.4, 1}), compounds.rows[0]);
    const TSqlResult metabs = db.Select(u"SELECT name, inform, koc, fconvert FROM metab"_s);
    ASSERT_EQ(1, metabs.rows.size());
    EXPECT_EQ((TSqlRow{u"EXAMPLE_M1"_s, u"EXAMPLE_P"_s, 86.2, 0.333}), metabs.rows[0]);
    db.Close();
}

} // namespace
