#include "domain/MetaboliteScheme.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <array>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString SelectMetabolite = u"Select a metabolite."_s;
const QString EnterFirst = u"First enter a fraction."_s;
const QString Different = u"Select 2 different metabolites."_s;
const QString TooHeavy = u"Molecular Mass of metabolite > parent."_s;
const QString NotANumber = u"Invalid fraction. Enter a correct numeric value"_s;
const QString OutOfRange = u"Invalid fraction. Enter a number between 0 and 1."_s;
const QString PrzmAboveOne = u"Fraction for PRZM becomes > 1"_s;

QString Refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const EKelvoError& e) {
        return e.Message();
    }
    return {};
}

// --- fractions ---------------------------------------------------------------------------------------

TEST(FractionTexts, FormatAndConvert) {
    const std::pair<double, QString> formats[] = {
        {0, u""_s}, {0.25, u"0.250"_s}, {1.2, u"1.200"_s}, {0.0004, u"0.000"_s}, {12.3456, u"12.346"_s}};
    for (const auto& [value, text] : formats)
        EXPECT_EQ(text, FormatFraction(value)) << value;
    EXPECT_DOUBLE_EQ(0.25, MolarToMassFraction(0.5, 150, 300));
    EXPECT_DOUBLE_EQ(1.2, MassToMolarFraction(0.6, 150, 300));
}

// Leaving a fraction field with a parent of 300 g/mol and a metabolite of 150 (0: unknown).
TEST(FractionTexts, EnteringAFractionConvertsItsPartner) {
    struct TCase {
        bool macro;
        QString entered;
        double metaboliteMass;
        QString przm;
        QString macroText;
        QString refusal;
    };
    const TCase cases[] = {
        {false, u"0.5"_s, 150, u"0.500"_s, u"0.250"_s, {}},
        {false, u" 1.0004 "_s, 150, u"1.000"_s, u"0.500"_s, {}},
        {false, u"0"_s, 150, u""_s, u""_s, {}},
        {false, u"1.001"_s, 150, u"1.001"_s, u"old"_s, OutOfRange},
        {false, u"-0.1"_s, 150, u"-0.1"_s, u"old"_s, OutOfRange},
        {false, u"0,5"_s, 150, u"0,5"_s, u"old"_s, NotANumber},
        {false, u""_s, 150, u""_s, u""_s, {}},
        {false, u"0.5"_s, 0, u"0.5"_s, u""_s, {}},
        {true, u"0.25"_s, 150, u"0.500"_s, u"0.250"_s, {}},
        {true, u"0.5002"_s, 150, u"1.000"_s, u"0.500"_s, {}},
        {true, u"0.6"_s, 150, u"old"_s, u"0.600"_s, PrzmAboveOne},
        {true, u"abc"_s, 150, u"old"_s, u"abc"_s, NotANumber},
        {true, u""_s, 150, u""_s, u""_s, {}},
        {true, u"0.25"_s, 0, u""_s, u"0.25"_s, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE((c.macro ? "MACRO " : "PRZM ") + c.entered.toStdString());
        TFractionTexts texts{u"old"_s, u"old"_s};
        (c.macro ? texts.macro : texts.przm) = c.entered;
        EXPECT_EQ(c.refusal, Refusal([&] {
                      if (c.macro)
                          MacroFractionEntered(texts, c.metaboliteMass, 300);
                      else
                          PrzmFractionEntered(texts, c.metaboliteMass, 300);
                  }));
        EXPECT_EQ(c.przm, texts.przm);
        EXPECT_EQ(c.macroText, texts.macro);
    }
    QString chain = u"0.12345"_s;
    ChainFractionEntered(chain);
    EXPECT_EQ(u"0.123"_s, chain);
}

// --- the scheme of a parent --------------------------------------------------------------------------

// A parent PAR of 300 g/mol with two metabolites in scheme 3, free metabolites of 100, 150, 300 and
// 301 g/mol, a metabolite TAKEN of another parent, the locked example parent and a parent in a project.
class MetaboliteSchemeTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        Clone(u"EXAMPLE_P"_s, u"PAR"_s, true, u"M100"_s, u"M150"_s);
        Clone(u"EXAMPLE_P"_s, u"OTHERP"_s, true, u"TAKEN"_s);
        Clone(u"EXAMPLE_P"_s, u"USED"_s, true);
        for (const auto& [code, mass, fconvert] : {std::tuple{u"M100"_s, 100.0, 0.2},
                                                   {u"M150"_s, 150.0, 0.1},
                                                   {u"M300"_s, 300.0, 0.3},
                                                   {u"HEAVY"_s, 301.0, 0.0},
                                                   {u"TAKEN"_s, 100.0, 0.4}}) {
            Clone(u"EXAMPLE_M1"_s, code, false);
            Store(u"Substances"_s, code, u"MolMass"_s, mass);
            Store(u"Substance_Macro"_s, code, u"fconvert"_s, fconvert);
        }
        const std::pair<QString, double> fractions[] = {
            {u"icombo3"_s, 3}, {u"dtr121a"_s, 0.5}, {u"dtr131a"_s, 0.3}, {u"dtr231a"_s, 0.2}};
        for (const auto& [column, value] : fractions)
            Store(u"Substance_PRZM"_s, u"PAR"_s, column, value);
        dm->dbKelvoADO.Execute(
            u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (7, 'P7', 'USED')"_s);
    }

    void Clone(const QString& source, const QString& code, bool parent, const QString& metabolite1 = {},
               const QString& metabolite2 = {}) {
        TConnection& db = dm->dbKelvoADO;
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s}) {
            db.Execute(u"CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table),
                       {source});
            db.Execute(u"UPDATE Clone SET SubstanceCode = ?"_s, {code});
            db.Execute(u"INSERT INTO %1 SELECT * FROM Clone"_s.arg(table));
            db.Execute(u"DROP TABLE Clone"_s);
        }
        db.Execute(u"UPDATE Substances SET Locked = 0, IsParent = ?, MetSubCode1 = ?, MetSubCode2 = ? "
                   "WHERE SubstanceCode = ?"_s,
                   {parent ? 1 : 0, metabolite1.isEmpty() ? QVariant() : metabolite1,
                    metabolite2.isEmpty() ? QVariant() : metabolite2, code});
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

    // Every stored substance row, as text.
    QStringList SubstanceRows() {
        QStringList rows;
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s})
            for (const TSqlRow& r :
                 dm->dbKelvoADO.Select(u"SELECT * FROM %1 ORDER BY SubstanceCode"_s.arg(table)).rows) {
                QStringList values;
                for (const QVariant& v : r)
                    values << v.toString();
                rows << values.join(u'|');
            }
        return rows;
    }

    void Save() {
        ui.Answer(true, u"Save changes?"_s);
        ASSERT_TRUE(dm->SaveSubstance());
        EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    }
};

struct TSchemeCase {
    const char* name;
    TMetaboliteScheme scheme;
    QString refusal;
    QString parent = u"PAR"_s;
    // What a confirmed scheme stores: codes, dtr121a, dtr131a, dtr231a and conversion factors.
    QStringList metabolites = {};
    std::array<double, 3> fractions = {};
    QMap<QString, double> factors = {};
};

void PrintTo(const TSchemeCase& c, std::ostream* os) {
    *os << c.name;
}

TMetaboliteScheme Scheme(int code, const QString& m1, const QString& m2, TFractionTexts step1,
                         TFractionTexts step2 = {}) {
    TMetaboliteScheme s;
    s.scheme = code;
    s.metabolite1 = m1;
    s.metabolite2 = m2;
    s.step1 = step1;
    s.step2 = step2;
    return s;
}

const QMap<QString, double> FactorsBefore = {{u"M100"_s, 0.2}, {u"M150"_s, 0.1}, {u"M300"_s, 0.3}};

const TSchemeCase SchemeCases[] = {
    // Scheme 1 drops the links but keeps fractions and conversion factors.
    {"NoMetabolite",
     Scheme(1, u"M150"_s, {}, {u"0.9"_s, u"0.9"_s}),
     {},
     u"PAR"_s,
     {u""_s, u""_s},
     {0.5, 0.3, 0.2},
     FactorsBefore},
    {"OneMetabolite",
     Scheme(2, u"M150"_s, u"M100"_s, {u"0.4"_s, u"0.200"_s}),
     {},
     u"PAR"_s,
     {u"M150"_s, u""_s},
     {0.4, 0.3, 0.2},
     {{u"M100"_s, 0.2}, {u"M150"_s, 0.2}, {u"M300"_s, 0.3}}},
    // A metabolite as heavy as the parent may be chosen; the step between the metabolites becomes 0.
    {"TwoMetabolites",
     Scheme(3, u"M300"_s, u"M150"_s, {u"0.6"_s, u"0.600"_s}, {u"0.2"_s, u"0.100"_s}),
     {},
     u"PAR"_s,
     {u"M300"_s, u"M150"_s},
     {0.6, 0.2, 0.0},
     {{u"M100"_s, 0.2}, {u"M150"_s, 0.1}, {u"M300"_s, 0.6}}},
    // The chain: MACRO knows the first step only; the second metabolite's factor becomes 0.
    {"Chain",
     Scheme(4, u"M150"_s, u"M100"_s, {u"0.5"_s, u"0.250"_s}, {u"0.7"_s, u"0.9"_s}),
     {},
     u"PAR"_s,
     {u"M150"_s, u"M100"_s},
     {0.5, 0.0, 0.7},
     {{u"M100"_s, 0.0}, {u"M150"_s, 0.25}, {u"M300"_s, 0.3}}},

    {"NoMetaboliteChosen", Scheme(2, {}, {}, {u"0.4"_s, u"0.2"_s}), SelectMetabolite},
    {"NoPrzmFraction", Scheme(2, u"M150"_s, {}, {u""_s, u"0.2"_s}), EnterFirst},
    {"NoSecondMetabolite", Scheme(3, u"M150"_s, {}, {u"0.4"_s, u"0.2"_s}, {u"0.1"_s, u"0.1"_s}),
     SelectMetabolite},
    {"NoSecondFraction", Scheme(3, u"M150"_s, u"M100"_s, {u"0.4"_s, u"0.2"_s}, {u""_s, u"0.1"_s}),
     EnterFirst},
    {"SameMetaboliteTwice", Scheme(3, u"M150"_s, u"M150"_s, {u"0.4"_s, u"0.2"_s}, {u"0.1"_s, u"0.1"_s}),
     Different},
    {"ChainOfTheSameMetabolite", Scheme(4, u"M150"_s, u"M150"_s, {u"0.4"_s, u"0.2"_s}, {u"0.1"_s, {}}),
     Different},
    {"ChainWithoutSecondFraction", Scheme(4, u"M150"_s, u"M100"_s, {u"0.4"_s, u"0.2"_s}), EnterFirst},
    {"HeavierThanTheParent", Scheme(2, u"HEAVY"_s, {}, {u"0.4"_s, u"0.2"_s}), TooHeavy},
    {"SecondOfChainHeavier", Scheme(4, u"M150"_s, u"HEAVY"_s, {u"0.4"_s, u"0.2"_s}, {u"0.1"_s, {}}),
     TooHeavy},
    {"MetaboliteOfAnother", Scheme(2, u"TAKEN"_s, {}, {u"0.4"_s, u"0.2"_s}),
     u"TAKEN cannot be a metabolite of PAR"_s},
    {"AParentAsMetabolite", Scheme(2, u"OTHERP"_s, {}, {u"0.4"_s, u"0.2"_s}),
     u"OTHERP cannot be a metabolite of PAR"_s},
    {"PrzmFractionAboveOne", Scheme(2, u"M150"_s, {}, {u"1.001"_s, u"0.2"_s}), OutOfRange},
    {"ChainFractionBelowZero", Scheme(4, u"M150"_s, u"M100"_s, {u"0.4"_s, u"0.2"_s}, {u"-0.1"_s, {}}),
     OutOfRange},
    {"PrzmFractionNoNumber", Scheme(2, u"M150"_s, {}, {u"x"_s, u"0.2"_s}), NotANumber},
    {"MacroFractionEmpty", Scheme(2, u"M150"_s, {}, {u"0.4"_s, u""_s}), NotANumber},
    // The first metabolite's factor would be stored before the second fraction was read.
    {"SecondMacroFractionNoNumber",
     Scheme(3, u"M150"_s, u"M100"_s, {u"0.4"_s, u"0.2"_s}, {u"0.1"_s, u"abc"_s}), NotANumber},
    {"MacroFractionGivesPrzmAboveOne", Scheme(2, u"M150"_s, {}, {u"0.4"_s, u"0.6"_s}), PrzmAboveOne},
    {"UnknownScheme", Scheme(5, u"M150"_s, {}, {u"0.4"_s, u"0.2"_s}),
     u"The metabolite scheme is 1, 2, 3 or 4"_s},
    {"LockedParent", Scheme(1, {}, {}, {}), u"Record is locked because it is a FOCUS predefined record"_s,
     u"EXAMPLE_P"_s},
    {"ParentInAProject", Scheme(1, {}, {}, {}),
     u"USED is used in a project: its metabolites can only be viewed"_s, u"USED"_s},
    {"NoParent", Scheme(1, {}, {}, {}), u"M150 is not a parent substance"_s, u"M150"_s},
};

class MetaboliteSchemeCaseTest : public MetaboliteSchemeTest,
                                 public ::testing::WithParamInterface<TSchemeCase> {};

// A refused scheme changes nothing; a confirmed one leaves the parent's rows and the metabolites'
// conversion factors to be written by Save.
TEST_P(MetaboliteSchemeCaseTest, ChecksThenWrites) {
    const TSchemeCase& c = GetParam();
    ASSERT_TRUE(dm->OpenSubstanceAt(c.parent));
    const QStringList before = SubstanceRows();
    EXPECT_EQ(c.refusal, Refusal([&] { ApplyMetaboliteScheme(*dm, c.parent, c.scheme); }));
    const auto expectFactors = [&](bool saved) {
        for (auto it = FactorsBefore.begin(); it != FactorsBefore.end(); ++it)
            EXPECT_EQ(saved ? c.factors.value(it.key(), it.value()) : it.value(),
                      Stored(u"Substance_Macro"_s, it.key(), u"fconvert"_s).toDouble())
                << it.key().toStdString() << (saved ? " after Save" : " before Save");
    };
    expectFactors(false);
    if (!c.refusal.isEmpty()) {
        EXPECT_EQ(before, SubstanceRows());
        EXPECT_EQ(TRecordSet::TState::Browse, dm->tblSubstances.state());
        EXPECT_EQ(TRecordSet::TState::Browse, dm->tblSubstancesPRZM.state());
        return;
    }
    EXPECT_EQ(before.filter(u"PAR|"_s), SubstanceRows().filter(u"PAR|"_s));
    Save();
    expectFactors(true);
    EXPECT_EQ(c.scheme.scheme, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"icombo3"_s).toInt());
    EXPECT_EQ(c.metabolites[0], Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode1"_s).toString());
    EXPECT_EQ(c.metabolites[1], Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode2"_s).toString());
    EXPECT_EQ(c.fractions[0], Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr121a"_s).toDouble());
    EXPECT_EQ(c.fractions[1], Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr131a"_s).toDouble());
    EXPECT_EQ(c.fractions[2], Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr231a"_s).toDouble());
}

INSTANTIATE_TEST_SUITE_P(Cases, MetaboliteSchemeCaseTest, ::testing::ValuesIn(SchemeCases),
                         [](const ::testing::TestParamInfo<TSchemeCase>& info) { return info.param.name; });

// Edits made before the scheme survive a refused scheme and a scheme left unconfirmed, and are saved
// with a confirmed one.
TEST_F(MetaboliteSchemeTest, PendingEditsSurviveRefusalAndCancel) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    dm->tblSubstancesPRZM.edit();
    dm->tblSubstancesPRZM.fieldByName(u"mslab"_s).setAsFloat(55);
    const QStringList before = SubstanceRows();

    TMetaboliteScheme refused = ReadMetaboliteScheme(*dm, u"PAR"_s);
    refused.step2.macro = u"abc"_s;
    EXPECT_EQ(NotANumber, Refusal([&] { ApplyMetaboliteScheme(*dm, u"PAR"_s, refused); }));

    // Cancelled: chosen and entered, never confirmed.
    TMetaboliteScheme cancelled = ReadMetaboliteScheme(*dm, u"PAR"_s, 2);
    ChooseMetabolite(*dm, cancelled, 1, u"M300"_s);
    EnterFraction(*dm, cancelled, 1, false, u"0.9"_s);

    EXPECT_EQ(before, SubstanceRows());
    EXPECT_EQ(TRecordSet::TState::Edit, dm->tblSubstancesPRZM.state());
    EXPECT_EQ(55.0, dm->tblSubstancesPRZM.fieldByName(u"mslab"_s).asFloat());

    TMetaboliteScheme confirmed = ReadMetaboliteScheme(*dm, u"PAR"_s, 2);
    ApplyMetaboliteScheme(*dm, u"PAR"_s, confirmed);
    Save();
    EXPECT_EQ(55.0, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"mslab"_s).toDouble());
    EXPECT_EQ(2, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"icombo3"_s).toInt());
    EXPECT_TRUE(Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode2"_s).isNull());
}

TEST_F(MetaboliteSchemeTest, ReadShowsTheStoredScheme) {
    TMetaboliteScheme s = ReadMetaboliteScheme(*dm, u"PAR"_s);
    EXPECT_EQ(3, s.scheme);
    EXPECT_EQ(300.0, s.parentMass);
    EXPECT_EQ(u"M100"_s, s.metabolite1);
    EXPECT_EQ(u"M150"_s, s.metabolite2);
    EXPECT_EQ(u"0.500"_s, s.step1.przm);
    EXPECT_EQ(u"0.200"_s, s.step1.macro);
    EXPECT_EQ(u"0.300"_s, s.step2.przm);
    EXPECT_EQ(u"0.100"_s, s.step2.macro);

    // Shown as a chain, the second step is the one between the metabolites.
    s = ReadMetaboliteScheme(*dm, u"PAR"_s, 4);
    EXPECT_EQ(u"0.200"_s, s.step2.przm);
    EXPECT_EQ(u""_s, s.step2.macro);

    // A fraction of 0 shows empty; a metabolite another parent took is no longer shown.
    dm->CloseSubstanceTables();
    Store(u"Substance_PRZM"_s, u"PAR"_s, u"dtr121a"_s, 0);
    Store(u"Substances"_s, u"OTHERP"_s, u"MetSubCode2"_s, u"M150"_s);
    s = ReadMetaboliteScheme(*dm, u"PAR"_s);
    EXPECT_EQ(u""_s, s.step1.przm);
    EXPECT_EQ(u""_s, s.metabolite2);
    EXPECT_EQ(u""_s, s.step2.macro);
}

TEST_F(MetaboliteSchemeTest, ChoosingAMetaboliteEmptiesItsFractions) {
    TMetaboliteScheme s = ReadMetaboliteScheme(*dm, u"PAR"_s);
    const TFractionTexts step1 = s.step1;
    const TFractionTexts step2 = s.step2;
    ChooseMetabolite(*dm, s, 1, u"M100"_s);
    EXPECT_EQ(step1.przm, s.step1.przm);
    EXPECT_EQ(step1.macro, s.step1.macro);

    // The second metabolite loses only its PRZM fraction.
    ChooseMetabolite(*dm, s, 2, u"M300"_s);
    EXPECT_EQ(u"M300"_s, s.metabolite2);
    EXPECT_EQ(u""_s, s.step2.przm);
    EXPECT_EQ(step2.macro, s.step2.macro);

    EXPECT_EQ(TooHeavy, Refusal([&] { ChooseMetabolite(*dm, s, 1, u"HEAVY"_s); }));
    EXPECT_EQ(u""_s, s.metabolite1);
    EXPECT_EQ(step1.przm, s.step1.przm);

    ChooseMetabolite(*dm, s, 1, u"M150"_s);
    EXPECT_EQ(u""_s, s.step1.przm);
    EXPECT_EQ(u""_s, s.step1.macro);
    EnterFraction(*dm, s, 1, true, u"0.25"_s);
    EXPECT_EQ(u"0.500"_s, s.step1.przm);
    EXPECT_EQ(u"0.250"_s, s.step1.macro);

    // In the chain the second metabolite is only weighed, and its step has no MACRO fraction.
    s.scheme = 4;
    s.step2.przm = u"0.300"_s;
    ChooseMetabolite(*dm, s, 2, u"M100"_s);
    EXPECT_EQ(u"0.300"_s, s.step2.przm);
    EXPECT_EQ(TooHeavy, Refusal([&] { ChooseMetabolite(*dm, s, 2, u"HEAVY"_s); }));
    EXPECT_EQ(u""_s, s.metabolite2);
    EXPECT_FALSE(Refusal([&] { EnterFraction(*dm, s, 2, true, u"0.1"_s); }).isEmpty());
    EnterFraction(*dm, s, 2, false, u"0.25"_s);
    EXPECT_EQ(u"0.250"_s, s.step2.przm);
}

} // namespace
