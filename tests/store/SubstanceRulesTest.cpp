#include "foundation/Errors.h"
#include "store/SubstanceTestBase.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Locked = u"Record is locked because it is a FOCUS predefined record"_s;
const QString SaveChanges = u"Save changes?"_s;

class SubstanceRulesTest : public TSubstanceTest {
protected:
    TTable& Substances() { return dm->tblSubstances; }
    TTable& Macro() { return dm->tblSubstancesMacro; }
    TTable& Przm() { return dm->tblSubstancesPRZM; }
    TField& Field(TRecordSet& rs, const QString& name) { return rs.fieldByName(name); }

    void Set(TRecordSet& rs, const QString& name, const QVariant& value) {
        rs.ensureEditing();
        rs.fieldByName(name).setValue(value);
    }
};

// --- locked substances ---------------------------------------------------------------------------

TEST_F(SubstanceRulesTest, LockedSubstanceRefusesEveryEditWithTheErrorBox) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"EXAMPLE_P"_s));
    for (TTable* rs : {&Substances(), &Macro(), &Przm()}) {
        SCOPED_TRACE(rs->name().toStdString());
        EXPECT_THROW(rs->edit(), EAbort);
        EXPECT_EQ(ui.Take(), (TEntries{{TKind::ErrorBox, Locked}}));
        EXPECT_EQ(TRecordSet::TState::Browse, rs->state());
    }
    EXPECT_FALSE(dm->SetFieldValue(Substances(), u"MolMass"_s, 123));
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::ErrorBox, Locked}}));

    // The editor's move rule leaves a locked substance browsing, and an unlocked one editing.
    dm->tblSubstancesAfterScroll(Substances());
    EXPECT_EQ(TRecordSet::TState::Browse, Substances().state());
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    dm->tblSubstancesAfterScroll(Substances());
    for (TTable* rs : {&Substances(), &Macro(), &Przm()})
        EXPECT_EQ(TRecordSet::TState::Edit, rs->state()) << rs->name().toStdString();
    EXPECT_EQ(300.0, Stored(u"Substances"_s, u"EXAMPLE_P"_s, u"MolMass"_s).toDouble());
}

// --- posting: the question and the required values -----------------------------------------------

struct TRequiredCase {
    int table; // 0 Substances, 1 Substance_Macro, 2 Substance_PRZM
    QString field;
    QString text;
};

const TRequiredCase RequiredCases[] = {
    {0, u"MolMass"_s, u"Molar mass is required."_s},
    {0, u"MolEntVap"_s, u"Molar enthalpy of vaporisation is required."_s},
    {0, u"SlbWatRef"_s, u"Solubility in water is required."_s},
    {0, u"MolEntSlb"_s, u"Molar enthalpy of dissolution is required."_s},
    {0, u"TemRefSlb"_s, u"Reference temperature is required."_s},
    {0, u"CofDifAirRef"_s, u"Diffusion coefficient in air is required."_s},
    {0, u"DT50WatRef"_s, u"Half-life time water is required."_s},
    {0, u"TemRefTraWat"_s, u"Reference temperature water is required."_s},
    {0, u"DT50SedRef"_s, u"Half-life time sediment is required."_s},
    {0, u"TemRefTraSed"_s, u"Reference temperature sediment is required."_s},
    {0, u"MolEntTra"_s, u"Activation energy is required."_s},
    {1, u"vap"_s, u"Saturated vapour pressure is required."_s},
    {1, u"VpTemp"_s, u"Reference temperature is required."_s},
    {1, u"diffusion"_s, u"Diffusion coefficient in water is required."_s},
    {1, u"fstar"_s, u"Factor for the uptake by plant roots in soil is required."_s},
    {1, u"fext"_s, u"Wash-Off factor from crop is required."_s},
    {1, u"halflife"_s, u"Half-life time soil is required."_s},
    {1, u"tref"_s, u"Reference temperature soil is required."_s},
    {1, u"candeg"_s, u"Half-life time crop is required."_s},
    {1, u"tresp"_s, u"Exponent is required."_s},
    {2, u"fextrc"_s, u"Wash-Off factor from crop is required."_s},
};

// With every required value from the n-th on missing, the n-th one is named and nothing is stored.
TEST_F(SubstanceRulesTest, RequiredValuesAreCheckedInTheirOrder) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    TTable* tables[] = {&Substances(), &Macro(), &Przm()};
    const int count = static_cast<int>(std::size(RequiredCases));
    for (int n = 0; n < count; ++n) {
        SCOPED_TRACE(RequiredCases[n].field.toStdString());
        for (int later = n; later < count; ++later)
            Set(*tables[RequiredCases[later].table], RequiredCases[later].field, QVariant());
        dm->LastAskedCode.clear();
        ui.Answer(true, SaveChanges);
        EXPECT_FALSE(dm->SaveSubstance());
        EXPECT_EQ(ui.Take(),
                  (TEntries{{TKind::Question, SaveChanges}, {TKind::Error, RequiredCases[n].text}}));
        EXPECT_EQ(TRecordSet::TState::Edit, tables[RequiredCases[n].table]->state());
        dm->UndoSubstance();
    }
    EXPECT_EQ(300.0, Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble());
    EXPECT_EQ(0.5, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"fextrc"_s).toDouble());
}

TEST_F(SubstanceRulesTest, MetaboliteNeedsNoWashOffFactors) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"MET1"_s));
    Set(Macro(), u"fext"_s, QVariant());
    Set(Przm(), u"fextrc"_s, QVariant());
    ui.Answer(true, SaveChanges);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Question, SaveChanges}}));
    EXPECT_TRUE(Stored(u"Substance_Macro"_s, u"MET1"_s, u"fext"_s).isNull());
    EXPECT_TRUE(Stored(u"Substance_PRZM"_s, u"MET1"_s, u"fextrc"_s).isNull());
}

TEST_F(SubstanceRulesTest, CodeIsRequiredEvenWithoutTheQuestion) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"LONE"_s));
    dm->AskBeforeSave = false;
    Set(Substances(), u"SubstanceCode"_s, QVariant());
    try {
        Substances().post();
        ADD_FAILURE() << "posted without a code";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(u"Code is required."_s, e.Message());
    }
    EXPECT_EQ(1, Count(u"Substances"_s, u"LONE"_s));
}

// The rows of a save are one commit: a save that fails writes none of them and keeps every edit, to be
// saved again or undone.
TEST_F(SubstanceRulesTest, AFailedSaveWritesNothingAndKeepsEveryEdit) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    const double mass = Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble();
    const double washOff = Stored(u"Substance_PRZM"_s, u"PAR"_s, u"fextrc"_s).toDouble();
    Set(Substances(), u"MolMass"_s, mass + 1);
    Set(Przm(), u"fextrc"_s, 0.25);
    dm->dbKelvoADO.Execute(u"CREATE TEMP TRIGGER refuse BEFORE UPDATE ON main.Substance_PRZM "
                           u"BEGIN SELECT RAISE(ABORT, 'the disk is full'); END"_s);
    ui.Answer(true, SaveChanges);
    EXPECT_FALSE(dm->SaveSubstance());
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], SaveChanges);
    EXPECT_TRUE(shown[1].startsWith(u"the disk is full"_s)) << shown[1].toStdString();
    EXPECT_EQ(Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble(), mass);
    EXPECT_FALSE(dm->dbKelvoADO.InTransaction());
    for (TTable* rs : {&Substances(), &Przm()})
        EXPECT_EQ(TRecordSet::TState::Edit, rs->state()) << rs->name().toStdString();
    EXPECT_EQ(Field(Substances(), u"MolMass"_s).asFloat(), mass + 1);

    dm->dbKelvoADO.Execute(u"DROP TRIGGER refuse"_s);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble(), mass + 1);
    EXPECT_EQ(Stored(u"Substance_PRZM"_s, u"PAR"_s, u"fextrc"_s).toDouble(), 0.25);

    // Undo after a failed save shows what is stored.
    Set(Substances(), u"MolMass"_s, mass + 2);
    Set(Przm(), u"fextrc"_s, washOff);
    dm->dbKelvoADO.Execute(u"CREATE TEMP TRIGGER refuse BEFORE UPDATE ON main.Substance_PRZM "
                           u"BEGIN SELECT RAISE(ABORT, 'the disk is full'); END"_s);
    EXPECT_FALSE(dm->SaveSubstance());
    ui.TakeTexts();
    dm->UndoSubstance();
    EXPECT_EQ(Field(Substances(), u"MolMass"_s).asFloat(), mass + 1);
    EXPECT_EQ(Field(Przm(), u"fextrc"_s).asFloat(), 0.25);
}

TEST_F(SubstanceRulesTest, SaveChangesIsAskedOncePerSubstance) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    Set(Substances(), u"MolMass"_s, 123.0);
    Set(Macro(), u"halflife"_s, 5.0);
    ui.Answer(true, SaveChanges);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Question, SaveChanges}}));
    EXPECT_EQ(123.0, Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble());
    EXPECT_EQ(5.0, Stored(u"Substance_Macro"_s, u"PAR"_s, u"halflife"_s).toDouble());

    // Cancel keeps the change pending; the next save of the same substance does not ask again.
    dm->LastAskedCode.clear();
    Set(Substances(), u"MolMass"_s, 124.0);
    ui.Answer(false, SaveChanges);
    EXPECT_FALSE(dm->SaveSubstance());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Question, SaveChanges}}));
    EXPECT_EQ(TRecordSet::TState::Edit, Substances().state());
    EXPECT_EQ(123.0, Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble());
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_TRUE(ui.Take().isEmpty());
    EXPECT_EQ(124.0, Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble());

    // Another substance is asked for again; postings of the system itself are not.
    ASSERT_TRUE(dm->OpenSubstanceAt(u"MET1"_s));
    Set(Substances(), u"Comment"_s, u"changed"_s);
    ui.Answer(true, SaveChanges);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Question, SaveChanges}}));
    dm->LastAskedCode.clear();
    dm->AskBeforeSave = false;
    Set(Substances(), u"MolMass"_s, QVariant());
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_TRUE(Stored(u"Substances"_s, u"MET1"_s, u"MolMass"_s).isNull());
}

TEST_F(SubstanceRulesTest, ClosingPostsInOrderAndStopsAtTheFirstThatIsNotEditing) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    Set(Substances(), u"MolMass"_s, 111.0);
    Set(Macro(), u"halflife"_s, 11.0);
    Set(Przm(), u"mslab"_s, 99.0);
    ui.Answer(true, SaveChanges);
    dm->CloseSubstanceTables();
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Question, SaveChanges}}));
    EXPECT_FALSE(Substances().active() || Macro().active() || Przm().active());
    EXPECT_EQ(111.0, Stored(u"Substances"_s, u"PAR"_s, u"MolMass"_s).toDouble());
    EXPECT_EQ(11.0, Stored(u"Substance_Macro"_s, u"PAR"_s, u"halflife"_s).toDouble());
    EXPECT_EQ(99.0, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"mslab"_s).toDouble());

    // The master browsing: the detail's change is dropped.
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    Set(Macro(), u"halflife"_s, 12.0);
    dm->CloseSubstanceTables();
    EXPECT_EQ(11.0, Stored(u"Substance_Macro"_s, u"PAR"_s, u"halflife"_s).toDouble());
}

// --- deletion --------------------------------------------------------------------------------------

TEST_F(SubstanceRulesTest, DeletionChecksRefuseInTheirOrder) {
    dm->dbKelvoADO.Execute(u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (7, 'P7', ?)"_s,
                           {u"MET2"_s});
    dm->dbKelvoADO.Execute(
        u"INSERT INTO SubstancexCropxLocation (SubstanceCode, CropCode, LocationCode, CropNr) "
        "VALUES ('LONE', 'Potatoes', 'D6', '1st')"_s);
    const QString deleteRecord = u"Delete record ?"_s;
    struct TCase {
        QString code;
        std::optional<bool> answer;
        TEntries shown;
        bool deleted;
    };
    const TCase cases[] = {
        {u"EXAMPLE_P"_s, {}, {{TKind::ErrorBox, Locked}}, false},
        {u"PAR"_s, false, {{TKind::DestructiveQuestion, deleteRecord}}, false},
        // Used in a project is tested before being a metabolite.
        {u"MET2"_s,
         true,
         {{TKind::DestructiveQuestion, deleteRecord},
          {TKind::Message, u"Substance is used in a project. Remove the project first."_s}},
         false},
        {u"MET1"_s,
         true,
         {{TKind::DestructiveQuestion, deleteRecord},
          {TKind::Message, u"Substance is a metabolite. Remove parent substance first."_s}},
         false},
        {u"LONE"_s, true, {{TKind::DestructiveQuestion, deleteRecord}}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        const int patterns = Count(u"SubstancexCropxLocation"_s, c.code);
        ASSERT_TRUE(dm->OpenSubstanceAt(c.code));
        if (c.answer) ui.Answer(*c.answer, deleteRecord);
        if (c.deleted)
            EXPECT_NO_THROW(Substances().deleteRecord());
        else
            EXPECT_THROW(Substances().deleteRecord(), EAbort);
        EXPECT_EQ(ui.Take(), c.shown);
        const int left = c.deleted ? 0 : 1;
        EXPECT_EQ(left, Count(u"Substances"_s, c.code));
        EXPECT_EQ(left, Count(u"Substance_Macro"_s, c.code));
        EXPECT_EQ(left, Count(u"Substance_PRZM"_s, c.code));
        EXPECT_EQ(c.deleted ? 0 : patterns, Count(u"SubstancexCropxLocation"_s, c.code));
    }
}

// --- parent and metabolites ------------------------------------------------------------------------

TEST_F(SubstanceRulesTest, UntickingIsParentClearsLinksAndTransformations) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    // The metabolites' rows wait for the parent's Save: Undo takes everything back.
    Set(Substances(), u"IsParent"_s, false);
    EXPECT_EQ(0.0, dm->GetConversionFactor(u"MET1"_s));
    dm->UndoSubstance();
    EXPECT_EQ(0.5, dm->GetConversionFactor(u"MET1"_s));
    EXPECT_EQ(0.5, Stored(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s).toDouble());
    EXPECT_FALSE(Stored(u"Substance_Macro"_s, u"MET1"_s, u"inform"_s).isNull());

    Set(Substances(), u"IsParent"_s, false);
    EXPECT_TRUE(Field(Substances(), u"MetSubCode1"_s).isNull());
    EXPECT_TRUE(Field(Substances(), u"MetSubCode2"_s).isNull());
    EXPECT_EQ(0.5, Stored(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s).toDouble());
    EXPECT_FALSE(dm->tblSubInsert.active());
    ASSERT_EQ(TRecordSet::TState::Edit, Przm().state());
    EXPECT_EQ(0, Field(Przm(), u"icombo3"_s).asInteger());
    const QStringList transformations = {u"dtr121a"_s, u"dtr121b"_s, u"dtr121c"_s, u"dtr122a"_s,
                                         u"dtr131a"_s, u"dtr131b"_s, u"dtr131c"_s, u"dtr132a"_s,
                                         u"dtr231a"_s, u"dtr231b"_s, u"dtr231c"_s, u"dtr232a"_s};
    for (const QString& name : transformations) {
        EXPECT_FALSE(Field(Przm(), name).isNull()) << name.toStdString();
        EXPECT_EQ(0.0, Field(Przm(), name).asFloat()) << name.toStdString();
    }

    ui.Answer(true, SaveChanges);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.Take(), (TEntries{{TKind::Question, SaveChanges}}));
    for (const QString& metabolite : {u"MET1"_s, u"MET2"_s}) {
        EXPECT_TRUE(Stored(u"Substance_Macro"_s, metabolite, u"fconvert"_s).isNull())
            << metabolite.toStdString();
        EXPECT_TRUE(Stored(u"Substance_Macro"_s, metabolite, u"inform"_s).isNull())
            << metabolite.toStdString();
    }
    EXPECT_EQ(0, Stored(u"Substances"_s, u"PAR"_s, u"IsParent"_s).toInt());
    EXPECT_TRUE(Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode1"_s).isNull());
    EXPECT_EQ(0, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"icombo3"_s).toInt());
    EXPECT_EQ(0.0, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr121a"_s).toDouble());

    // Ticking it again starts the scheme "one parent, no metabolite".
    Set(Substances(), u"IsParent"_s, true);
    EXPECT_EQ(1, Field(Przm(), u"icombo3"_s).asInteger());
}

TEST_F(SubstanceRulesTest, FreeMetabolitesAreNeitherParentsNorMetabolitesOfOthers) {
    struct TCase {
        QString parent;
        QStringList expected;
    };
    const TCase cases[] = {
        {u"PAR"_s, {u"MET1"_s, u"MET2"_s, u"LONE"_s}},
        {u"EXAMPLE_P"_s, {u"EXAMPLE_M1"_s, u"LONE"_s}},
        {u"LONE"_s, {}},
        {u"NOPE"_s, {u"LONE"_s}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.expected, dm->ListFreeMetabolites(c.parent)) << c.parent.toStdString();
    EXPECT_FALSE(dm->tblSubInsert.active());

    // Links are compared without regard to letter case; an open view stays on its row.
    Store(u"Substances"_s, u"EXAMPLE_P"_s, u"MetSubCode2"_s, u"lone"_s);
    dm->tblSubInsert.open();
    dm->tblSubInsert.last();
    const QString current = dm->tblSubInsert.fieldByName(u"SubstanceCode"_s).asString();
    EXPECT_EQ((QStringList{u"MET1"_s, u"MET2"_s}), dm->ListFreeMetabolites(u"PAR"_s));
    ASSERT_TRUE(dm->tblSubInsert.active());
    EXPECT_EQ(current, dm->tblSubInsert.fieldByName(u"SubstanceCode"_s).asString());
}

// --- creating and copying --------------------------------------------------------------------------

TEST_F(SubstanceRulesTest, InsertSubstanceCreatesThreeRowsWithTheDefaults) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    dm->InsertSubstance(u"NEW"_s, u"New one"_s);
    EXPECT_TRUE(ui.Take().isEmpty());

    const QMap<QString, QMap<QString, QVariant>> expected = {
        {u"Substances"_s,
         {{u"SubstanceCode"_s, u"NEW"_s},
          {u"IsParent"_s, 1},
          {u"Name"_s, u"New one"_s},
          {u"DetailedSorption"_s, 0}, // General, as the editor shows it
          {u"MolEntVap"_s, 95000.0},
          {u"TemRefSlb"_s, 20.0},
          {u"TemRefTraWat"_s, 20.0},
          {u"TemRefTraSed"_s, 20.0},
          {u"MolEntTra"_s, 54000.0},
          {u"MolEntSlb"_s, 27000.0},
          {u"CofDifAirRef"_s, 0.43},
          {u"ExpFre"_s, 0.9},
          {u"ExpFreSus"_s, 0.9},
          {u"ExpFreSed"_s, 0.9},
          {u"ConLiqRef"_s, 1.0},
          {u"ConLiqRefSus"_s, 1.0},
          {u"ConLiqRefSed"_s, 1.0},
          {u"ConLiqRefSol"_s, 1.0},
          {u"KsorMph"_s, 0.0},
          {u"subSource"_s, 1}}},
        {u"Substance_Macro"_s,
         {{u"SubstanceCode"_s, u"NEW"_s},
          {u"inform"_s, u"New one"_s},
          {u"tref"_s, 20.0},
          {u"VpTemp"_s, 20.0},
          {u"pf"_s, 2},
          {u"expb"_s, 0.7},
          {u"tresp"_s, 0.079},
          {u"freund"_s, 0.9},
          {u"diffusion"_s, 4.3e-05},
          {u"fstar"_s, 0.5},
          {u"fext"_s, 0.05},
          {u"fconvert"_s, 0.0},
          {u"candeg"_s, 10.0}}},
        {u"Substance_PRZM"_s,
         {{u"SubstanceCode"_s, u"NEW"_s},
          {u"pstnam"_s, u"New one"_s},
          {u"apptyp"_s, 0},
          {u"apprel"_s, 0},
          {u"dknum"_s, 0},
          {u"napp"_s, 0},
          {u"icheck1"_s, 0},
          {u"icheck2"_s, 1},
          {u"icheck3"_s, 1},
          {u"icombo3"_s, 1},
          {u"icheck5"_s, 1},
          {u"iqfac"_s, 1},
          {u"kdtyp"_s, 1},
          {u"kdsp"_s, 0.0},
          {u"drate1a"_s, 0.0},
          {u"drate1c"_s, 0.0},
          {u"drate2a"_s, 0.0},
          {u"pldkrt"_s, 0.0},
          {u"fextrc"_s, 0.5},
          {u"q10fac"_s, 2.2},
          {u"qbase"_s, 20.0},
          {u"prtrn12"_s, 0.0},
          {u"prtrn13"_s, 0.0},
          {u"prtrn23"_s, 0.0},
          {u"dtr121a"_s, 0.0},
          {u"dtr121b"_s, 0.0},
          {u"dtr121c"_s, 0.0},
          {u"dtr122a"_s, 0.0},
          {u"dtr131a"_s, 0.0},
          {u"dtr131b"_s, 0.0},
          {u"dtr131c"_s, 0.0},
          {u"dtr132a"_s, 0.0},
          {u"dtr231a"_s, 0.0},
          {u"dtr231b"_s, 0.0},
          {u"dtr231c"_s, 0.0},
          {u"dtr232a"_s, 0.0},
          {u"mseff"_s, 0.7},
          {u"mslab"_s, 100.0},
          {u"solub"_s, 0.0},
          {u"mwght"_s, 0.0},
          {u"iset1"_s, 2},
          {u"iset2"_s, 0},
          {u"iset3"_s, 0}}},
    };
    for (auto table = expected.begin(); table != expected.end(); ++table)
        for (const TConnection::TColumn& column : dm->dbKelvoADO.TableColumns(table.key())) {
            SCOPED_TRACE((table.key() + u'.' + column.name).toStdString());
            const QVariant stored = Stored(table.key(), u"NEW"_s, column.name);
            const QVariant want = table.value().value(column.name);
            if (!want.isValid())
                EXPECT_TRUE(stored.isNull()) << stored.toString().toStdString();
            else if (want.typeId() == QMetaType::QString)
                EXPECT_EQ(want.toString(), stored.toString());
            else
                EXPECT_EQ(want.toDouble(), stored.toDouble());
        }

    // The new substance is current and counts as changed, so a save asks and finds it incomplete.
    EXPECT_EQ(u"NEW"_s, Field(Substances(), u"SubstanceCode"_s).asString());
    EXPECT_EQ(u"NEW"_s, Field(Przm(), u"SubstanceCode"_s).asString());
    EXPECT_TRUE(Substances().modified());
    EXPECT_TRUE(dm->AskBeforeSave);
    dm->UndoSubstance();
    QStringList missing;
    EXPECT_FALSE(dm->IsSubstanceComplete(u"NEW"_s, &missing));
    EXPECT_TRUE(missing.contains(u"Molar mass (g/mol)"_s)) << missing.join(u", "_s).toStdString();
    EXPECT_FALSE(missing.contains(u"DetailedSorption"_s));
    ASSERT_TRUE(dm->OpenSubstanceAt(u"NEW"_s));
    Set(Substances(), u"Comment"_s, u"x"_s);
    ui.Answer(true, SaveChanges);
    EXPECT_FALSE(dm->SaveSubstance());
    EXPECT_EQ(ui.Take(),
              (TEntries{{TKind::Question, SaveChanges}, {TKind::Error, u"Molar mass is required."_s}}));
}

TEST_F(SubstanceRulesTest, InsertSubstanceWithAnEmptyNameTakesTheCode) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    dm->InsertSubstance(u"NONAME"_s, QString());
    EXPECT_EQ(u"NONAME"_s, Stored(u"Substances"_s, u"NONAME"_s, u"Name"_s).toString());
    EXPECT_EQ(QString(), Stored(u"Substance_Macro"_s, u"NONAME"_s, u"inform"_s).toString());
    EXPECT_EQ(QString(), Stored(u"Substance_PRZM"_s, u"NONAME"_s, u"pstnam"_s).toString());
}

TEST_F(SubstanceRulesTest, InsertSubstanceRefusesAnEmptyOrTakenCode) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    const int before = dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt();
    struct TCase {
        QString code;
        QString error;
        bool databaseError;
    };
    const TCase cases[] = {
        {QString(), u"Substance Code not set"_s, false},
        {u"EXAMPLE_P"_s, u"Substance Code is not unique"_s, true},
        // Free for the exact test, but the database key ignores letter case.
        {u"example_p"_s, u"Substance Code is not unique"_s, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        try {
            dm->InsertSubstance(c.code, u"x"_s);
            ADD_FAILURE() << "inserted";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(c.error, e.Message());
        }
        const TEntries shown = ui.Take();
        ASSERT_EQ(c.databaseError ? 1 : 0, shown.size());
        if (c.databaseError) {
            EXPECT_EQ(TKind::Error, shown[0].kind);
        }
        EXPECT_EQ(TRecordSet::TState::Browse, Substances().state());
        EXPECT_EQ(before, Substances().recordCount());
    }
    EXPECT_TRUE(dm->IsSubstanceCodeFree(u"example_p"_s));
    EXPECT_EQ(before, dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt());
}

TEST_F(SubstanceRulesTest, InsertSubstanceGoesOnAfterADetailRowFails) {
    // A Substance_Macro row left behind without its substance takes the place of the new one.
    TConnection& db = dm->dbKelvoADO;
    db.Execute(u"PRAGMA foreign_keys = OFF"_s);
    db.Execute(u"INSERT INTO Substance_Macro (SubstanceCode, inform) VALUES ('ORPHAN', 'left behind')"_s);
    db.Execute(u"PRAGMA foreign_keys = ON"_s);
    ASSERT_TRUE(dm->OpenSubstanceTables());
    dm->InsertSubstance(u"ORPHAN"_s, u"new"_s);
    const TEntries shown = ui.Take();
    ASSERT_EQ(2, shown.size());
    EXPECT_EQ((TScriptedUserInterface::TEntry{TKind::Message, u"error posting substance (macro)"_s}),
              shown[0]);
    EXPECT_EQ(TKind::Error, shown[1].kind);
    EXPECT_EQ(1, Count(u"Substances"_s, u"ORPHAN"_s));
    EXPECT_EQ(u"left behind"_s, Stored(u"Substance_Macro"_s, u"ORPHAN"_s, u"inform"_s).toString());
    EXPECT_EQ(u"new"_s, Stored(u"Substance_PRZM"_s, u"ORPHAN"_s, u"pstnam"_s).toString());
    EXPECT_TRUE(dm->AskBeforeSave);
}

TEST_F(SubstanceRulesTest, PendingRetouchIsConsumedByTheNextPosting) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    dm->InsertSubstance(u"IMPORTED"_s, u"imported"_s);
    dm->UndoSubstance();
    // Values the touch of IsParent puts right: the scheme of a parent, no transformations.
    Store(u"Substance_PRZM"_s, u"IMPORTED"_s, u"icombo3"_s, 2);
    Store(u"Substance_PRZM"_s, u"IMPORTED"_s, u"dtr121a"_s, 0.5);
    dm->RetouchPending = true;
    dm->AskBeforeSave = false;
    Set(Substances(), u"subSource"_s, 2);
    Substances().post();
    EXPECT_FALSE(dm->RetouchPending);
    EXPECT_EQ(2, Stored(u"Substances"_s, u"IMPORTED"_s, u"subSource"_s).toInt());
    EXPECT_EQ(1, Stored(u"Substance_PRZM"_s, u"IMPORTED"_s, u"icombo3"_s).toInt());
    EXPECT_EQ(0.0, Stored(u"Substance_PRZM"_s, u"IMPORTED"_s, u"dtr121a"_s).toDouble());
    EXPECT_EQ(u"imported"_s, Stored(u"Substance_Macro"_s, u"IMPORTED"_s, u"inform"_s).toString());
}

// Every column of a table but the ones named.
QStringList ColumnsBut(TConnection& db, const QString& table, const QStringList& leftOut) {
    QStringList names;
    for (const TConnection::TColumn& c : db.TableColumns(table))
        if (!leftOut.contains(c.name)) names << c.name;
    return names;
}

TEST_F(SubstanceRulesTest, CopyTakesValuesAndDefaultPatternsButNotNameLinksOrLock) {
    // As the substance editor copies: the new substance first, then its values.
    ASSERT_TRUE(dm->OpenSubstanceAt(u"EXAMPLE_P"_s));
    dm->AskBeforeSave = false;
    dm->InsertSubstance(u"cEXAMPLE_P"_s, u"copy_of_EXAMPLE_P"_s);
    dm->AskBeforeSave = false;
    Substances().cancel();
    dm->CopySubstanceValues(u"cEXAMPLE_P"_s, u"EXAMPLE_P"_s);
    dm->AskBeforeSave = true;
    EXPECT_TRUE(ui.Take().isEmpty());
    EXPECT_EQ(u"cEXAMPLE_P"_s, Field(Substances(), u"SubstanceCode"_s).asString());
    EXPECT_EQ(u"cEXAMPLE_P"_s, Field(Macro(), u"SubstanceCode"_s).asString());

    const QString copy = u"cEXAMPLE_P"_s;
    EXPECT_EQ(u"copy_of_EXAMPLE_P"_s, Stored(u"Substances"_s, copy, u"Name"_s).toString());
    EXPECT_EQ(1, Stored(u"Substances"_s, copy, u"IsParent"_s).toInt());
    EXPECT_EQ(0, Stored(u"Substances"_s, copy, u"Locked"_s).toInt());
    EXPECT_TRUE(Stored(u"Substances"_s, copy, u"MetSubCode1"_s).isNull());
    EXPECT_EQ(1, Stored(u"Substance_PRZM"_s, copy, u"icombo3"_s).toInt());
    struct TCopied {
        QString table;
        QStringList notCopied;
    };
    const TCopied copied[] = {
        {u"Substances"_s,
         {u"SubstanceCode"_s, u"Name"_s, u"MetSubCode1"_s, u"MetSubCode2"_s, u"Locked"_s, u"subSource"_s}},
        {u"Substance_Macro"_s, {u"SubstanceCode"_s}},
        {u"Substance_PRZM"_s, {u"SubstanceCode"_s, u"icombo3"_s}},
    };
    for (const TCopied& t : copied)
        for (const QString& column : ColumnsBut(dm->dbKelvoADO, t.table, t.notCopied))
            EXPECT_EQ(Stored(t.table, u"EXAMPLE_P"_s, column), Stored(t.table, copy, column))
                << (t.table + u'.' + column).toStdString();

    const QString patterns = u"SELECT CropCode, LocationCode, CropNr, DefAppMethod, DefNumberOfApps, "
                             "DefMinIntervalApps, DefFirstDayYrApp, DefLastDayYrApp, DefRate "
                             "FROM SubstancexCropxLocation WHERE SubstanceCode = ? ORDER BY rowid"_s;
    const auto source = dm->dbKelvoADO.Select(patterns, {u"EXAMPLE_P"_s}).rows;
    EXPECT_EQ(9, source.size());
    EXPECT_EQ(source, dm->dbKelvoADO.Select(patterns, {copy}).rows);
    // The predefined patterns become the copy's own: unlocked.
    EXPECT_EQ(0, dm->dbKelvoADO
                     .Select(u"SELECT COUNT(*) FROM SubstancexCropxLocation WHERE SubstanceCode = ? AND Locked"_s,
                             {copy})
                     .rows[0][0]
                     .toInt());
    EXPECT_FALSE(dm->tblDefaults.active());
}

TEST_F(SubstanceRulesTest, CopyFromAnUnknownSourceCopiesNothing) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    try {
        dm->CopySubstanceValues(u"LONE"_s, u"NOPE"_s);
        ADD_FAILURE() << "copied";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(u"Substance: NOPE not found"_s, e.Message());
    }
    EXPECT_EQ(200.0, Stored(u"Substances"_s, u"LONE"_s, u"MolMass"_s).toDouble());
}

// --- lookups -----------------------------------------------------------------------------------------

TEST_F(SubstanceRulesTest, LookupsPassTheCodeAsAValue) {
    dm->dbKelvoADO.Execute(
        u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (8, 'P8', 'PAR')"_s);
    const QString quoted = u"O'Brien"_s;
    EXPECT_EQ(300.0, dm->GetMolarMass(u"PAR"_s));
    EXPECT_EQ(0.0, dm->GetMolarMass(quoted));
    EXPECT_EQ(0.5, dm->GetConversionFactor(u"MET1"_s));
    EXPECT_EQ(0.0, dm->GetConversionFactor(quoted));
    EXPECT_TRUE(dm->IsSubstanceUsedInProject(u"PAR"_s));
    EXPECT_FALSE(dm->IsSubstanceUsedInProject(quoted));
    EXPECT_TRUE(dm->IsMetaboliteOfAnother(u"MET1"_s));
    EXPECT_TRUE(dm->IsMetaboliteOfAnother(u"MET2"_s));
    EXPECT_FALSE(dm->IsMetaboliteOfAnother(u"LONE"_s));
    EXPECT_FALSE(dm->IsMetaboliteOfAnother(quoted));
    EXPECT_FALSE(dm->IsSubstanceCodeFree(u"PAR"_s));
    EXPECT_TRUE(dm->IsSubstanceCodeFree(u"par"_s));
    EXPECT_TRUE(dm->IsSubstanceCodeFree(quoted));
    EXPECT_FALSE(dm->tblSubInsert.active());
}

TEST_F(SubstanceRulesTest, ConversionFactorIsWrittenOnlyWhenItChanges) {
    dm->SetConversionFactor(u"MET1"_s, 0.25);
    EXPECT_EQ(0.25, Stored(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s).toDouble());
    // A missing factor counts as 0, so setting 0 leaves it missing.
    Store(u"Substance_Macro"_s, u"LONE"_s, u"fconvert"_s, QVariant());
    dm->SetConversionFactor(u"LONE"_s, 0);
    EXPECT_TRUE(Stored(u"Substance_Macro"_s, u"LONE"_s, u"fconvert"_s).isNull());
    dm->SetConversionFactor(u"NOPE"_s, 1);
    EXPECT_EQ(0, Count(u"Substance_Macro"_s, u"NOPE"_s));
}

// --- field ranges of the substance tables -------------------------------------------------------------

TEST_F(SubstanceRulesTest, FieldsRefuseValuesOutsideTheirRanges) {
    ASSERT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
    struct TCase {
        int table;
        QString field;
        double value;
        QString refusal; // empty when accepted
    };
    const auto range = [](const QString& value, const QString& field, const QString& low,
                          const QString& high) {
        return u"%1 is not a valid value for field '%2'. The allowed range is %3 to %4"_s.arg(value, field,
                                                                                              low, high);
    };
    const TCase cases[] = {
        {0, u"MolMass"_s, 9.99, range(u"9.99"_s, u"MolMass"_s, u"10"_s, u"9999.99"_s)},
        {0, u"MolMass"_s, 10, {}},
        {0, u"MolMass"_s, 9999.99, {}},
        {0, u"MolMass"_s, 10000, range(u"10000"_s, u"MolMass"_s, u"10"_s, u"9999.99"_s)},
        {0, u"SlbWatRef"_s, 0, range(u"0"_s, u"SlbWatRef"_s, u"1E-6"_s, u"2000000"_s)},
        {0, u"SlbWatRef"_s, 1e-06, {}},
        {0, u"MolEntVap"_s, -1000000, {}},
        {0, u"MolEntVap"_s, -1000001, range(u"-1000001"_s, u"MolEntVap"_s, u"-1000000"_s, u"1000000"_s)},
        {0, u"KocSus"_s, 17240000, {}},
        {0, u"KocSus"_s, 17240001, range(u"17240001"_s, u"KocSus"_s, u"0"_s, u"17240000"_s)},
        {0, u"ExpFreSed"_s, 0.09, range(u"0.09"_s, u"ExpFreSed"_s, u"0.1"_s, u"2"_s)},
        {0, u"DT50WatRef"_s, 0.1, {}},
        {0, u"TemRefTraSed"_s, 41, range(u"41"_s, u"TemRefTraSed"_s, u"0"_s, u"40"_s)},
        {0, u"CofDifAirRef"_s, -5, {}},
        {1, u"diffusion"_s, 0.0003, range(u"0.0003"_s, u"diffusion"_s, u"0"_s, u"0.0002"_s)},
        {1, u"diffusion"_s, 0.0002, {}},
        {1, u"fext"_s, 0.51, range(u"0.51"_s, u"fext"_s, u"0"_s, u"0.5"_s)},
        {1, u"vap"_s, 250001, range(u"250001"_s, u"vap"_s, u"0"_s, u"250000"_s)},
        {1, u"candeg"_s, 1000, {}},
        {2, u"fextrc"_s, 5, {}},
        {2, u"fextrc"_s, 5.01, range(u"5.01"_s, u"fextrc"_s, u"0"_s, u"5"_s)},
    };
    TTable* tables[] = {&Substances(), &Macro(), &Przm()};
    for (const TCase& c : cases) {
        SCOPED_TRACE((c.field + u' ' + QString::number(c.value)).toStdString());
        TRecordSet& rs = *tables[c.table];
        const QVariant before = Field(rs, c.field).value();
        EXPECT_EQ(c.refusal.isEmpty(), dm->SetFieldValue(rs, c.field, c.value));
        if (c.refusal.isEmpty()) {
            EXPECT_TRUE(ui.Take().isEmpty());
            EXPECT_EQ(c.value, Field(rs, c.field).asFloat());
        } else {
            EXPECT_EQ(ui.Take(), (TEntries{{TKind::Error, c.refusal}}));
            EXPECT_EQ(before, Field(rs, c.field).value());
        }
    }
    dm->UndoSubstance();
}

// --- completeness ------------------------------------------------------------------------------------

TEST_F(SubstanceRulesTest, CompletenessNeedsTheLeadingColumns) {
    struct TCase {
        QString table;
        QString column; // made empty; none for the substance as it is
        bool detailed;
        QString missing; // as the editor labels it; none when complete
    };
    // An empty sorption mode is General, as the editor shows it.
    const TCase cases[] = {
        {{}, {}, false, {}},
        {u"Substances"_s, u"MolMass"_s, false, u"Molar mass (g/mol)"_s},
        {u"Substances"_s, u"TemRefTraSed"_s, false, u"Sediment Measured at (°C)"_s},
        {u"Substances"_s, u"DetailedSorption"_s, false, {}},
        {u"Substances"_s, u"Kom"_s, false, u"General Kom"_s},
        {u"Substances"_s, u"Kom"_s, true, {}},
        {u"Substances"_s, u"MetSubCode1"_s, false, {}},
        {u"Substances"_s, u"Comment"_s, false, {}},
        {u"Substance_Macro"_s, u"Koc"_s, false, u"General Koc"_s},
        {u"Substance_Macro"_s, u"Koc"_s, true, {}},
        {u"Substance_Macro"_s, u"candeg"_s, true, u"Crop Half-life time (d)"_s},
        {u"Substance_Macro"_s, u"fconvert"_s, false, {}},
        {u"Substance_PRZM"_s, u"mwght"_s, false, u"mwght"_s},
        {u"Substance_PRZM"_s, u"uptkf"_s, false, {}},
        {u"Substance_PRZM"_s, u"iset3"_s, false, {}},
    };
    int n = 0;
    for (const TCase& c : cases) {
        const QString code = u"FULL%1"_s.arg(++n);
        SCOPED_TRACE((code + u' ' + c.column).toStdString());
        const bool complete = c.missing.isEmpty();
        dm->CloseSubstanceTables();
        Clone(u"EXAMPLE_P"_s, code, true);
        Store(u"Substances"_s, code, u"DetailedSorption"_s, c.detailed ? 1 : 0);
        if (!c.column.isEmpty()) Store(c.table, code, c.column, QVariant());
        QStringList missing;
        EXPECT_EQ(complete, dm->IsSubstanceComplete(code, &missing));
        EXPECT_EQ(complete ? QStringList() : QStringList{c.missing}, missing);
        // A complete substance stays current, an incomplete one closes the tables.
        EXPECT_EQ(complete, Substances().active());
        if (complete) {
            EXPECT_EQ(code, Field(Substances(), u"SubstanceCode"_s).asString());
        }
        EXPECT_EQ(complete, dm->CheckSubstance(code));
    }
    dm->dbKelvoADO.Execute(u"DELETE FROM Substance_PRZM WHERE SubstanceCode = 'FULL1'"_s);
    EXPECT_FALSE(dm->IsSubstanceComplete(u"FULL1"_s));
    EXPECT_FALSE(dm->IsSubstanceComplete(u"NOPE"_s));
}

} // namespace
