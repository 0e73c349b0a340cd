#include "store/SubstanceTestBase.h"

#include "domain/NewSubstance.h"
#include "domain/SubstanceEditing.h"

using namespace Qt::Literals::StringLiterals;

// The value rules of the substance editor on the current rows of PAR, in edit state as the editor keeps
// them; what they set is read from the record sets.
class SubstanceEditingTest : public TSubstanceTest {
protected:
    void Open(const QString& code) {
        ASSERT_TRUE(dm->OpenSubstanceAt(code));
        if (!IsCurrentSubstanceLocked(*dm))
            for (TTable* t : Tables())
                t->ensureEditing();
    }

    QVector<TTable*> Tables() {
        return {&dm->tblSubstances, &dm->tblSubstancesMacro, &dm->tblSubstancesPRZM};
    }

    TField& F(const QString& table, const QString& field) {
        for (TTable* t : Tables())
            if (t->tableName() == table) return t->fieldByName(field);
        throw std::logic_error("no table");
    }

    // Sets a column as the user types it, then runs the rules that follow it.
    void Enter(const QString& table, const QString& field, const QVariant& value) {
        TField& f = F(table, field);
        if (value.isNull())
            f.clear();
        else
            f.setValue(value);
        ColumnEntered(*dm, table, field);
    }
};

TEST_F(SubstanceEditingTest, KomAndKocFollowEachOtherPerColumn) {
    struct TCase {
        QString table;
        QString entered;
        QVariant value;
        QString followerTable;
        QString follower;
        QVariant expected;
    };
    const TCase cases[] = {
        {u"Substances"_s, u"KomSol"_s, 100.0, u"Substances"_s, u"KocSol"_s, 172.4},
        {u"Substances"_s, u"KocSol"_s, 172.4, u"Substances"_s, u"KomSol"_s, 100.0},
        {u"Substances"_s, u"KomSus"_s, 10.0, u"Substances"_s, u"KocSus"_s, 17.24},
        {u"Substances"_s, u"KocSed"_s, 86.2, u"Substances"_s, u"KomSed"_s, 50.0},
        {u"Substance_Macro"_s, u"Koc"_s, 344.8, u"Substances"_s, u"Kom"_s, 200.0},
        {u"Substances"_s, u"Kom"_s, 1.0, u"Substance_Macro"_s, u"Koc"_s, 1.724},
        {u"Substances"_s, u"KomSed"_s, QVariant(), u"Substances"_s, u"KocSed"_s, QVariant()},
    };
    Open(u"PAR"_s);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.entered.toStdString());
        Enter(c.table, c.entered, c.value);
        const TField& follower = F(c.followerTable, c.follower);
        if (c.expected.isNull())
            EXPECT_TRUE(follower.isNull());
        else
            EXPECT_NEAR(follower.asFloat(), c.expected.toDouble(), 1e-9);
    }
}

TEST_F(SubstanceEditingTest, GeneralKomFillsOnlyEmptyDetailedValues) {
    Store(u"Substances"_s, u"PAR"_s, u"KomSus"_s, QVariant());
    Store(u"Substances"_s, u"PAR"_s, u"KocSed"_s, QVariant());
    Store(u"Substances"_s, u"PAR"_s, u"KomSol"_s, 7.0);
    Open(u"PAR"_s);
    Enter(u"Substances"_s, u"Kom"_s, 100.0);
    EXPECT_DOUBLE_EQ(F(u"Substances"_s, u"KomSus"_s).asFloat(), 100);
    EXPECT_NEAR(F(u"Substances"_s, u"KocSed"_s).asFloat(), 172.4, 1e-9);
    EXPECT_DOUBLE_EQ(F(u"Substances"_s, u"KomSol"_s).asFloat(), 7) << "a value given is kept";

    // A copy completes each detailed pair from its Kom, or else from its Koc.
    F(u"Substances"_s, u"KocSus"_s).clear();
    F(u"Substances"_s, u"KomSed"_s).clear();
    CompleteDetailedPairs(*dm);
    EXPECT_NEAR(F(u"Substances"_s, u"KocSus"_s).asFloat(), 172.4, 1e-9);
    EXPECT_NEAR(F(u"Substances"_s, u"KomSed"_s).asFloat(), 100, 1e-9);
    EXPECT_NEAR(F(u"Substances"_s, u"KocSol"_s).asFloat(), 7 * KomKocFactor, 1e-9);
}

TEST_F(SubstanceEditingTest, WashOffQ10AndBiPhaseCouplings) {
    struct TCase {
        QString table;
        QString entered;
        QVariant value;
        QString followerTable;
        QString follower;
        double expected;
    };
    const TCase cases[] = {
        {u"Substance_Macro"_s, u"fext"_s, 0.05, u"Substance_PRZM"_s, u"fextrc"_s, 0.5},
        {u"Substance_PRZM"_s, u"fextrc"_s, 0.5, u"Substance_Macro"_s, u"fext"_s, 0.05},
        {u"Substance_PRZM"_s, u"q10fac"_s, 1.0, u"Substance_PRZM"_s, u"iqfac"_s, 1},
        {u"Substance_PRZM"_s, u"q10fac"_s, 0.0, u"Substance_PRZM"_s, u"iqfac"_s, 0},
        {u"Substance_PRZM"_s, u"q10fac"_s, 1e-8, u"Substance_PRZM"_s, u"iqfac"_s, 1},
        {u"Substance_PRZM"_s, u"q10fac"_s, 9e-9, u"Substance_PRZM"_s, u"iqfac"_s, 0},
        {u"Substance_PRZM"_s, u"q10fac"_s, QVariant(), u"Substance_PRZM"_s, u"iqfac"_s, 0},
        {u"Substance_PRZM"_s, u"icheck1"_s, 1, u"Substance_PRZM"_s, u"dknum"_s, 1},
        {u"Substance_PRZM"_s, u"icheck1"_s, 0, u"Substance_PRZM"_s, u"dknum"_s, 0},
    };
    Open(u"PAR"_s);
    for (const TCase& c : cases) {
        SCOPED_TRACE((c.entered + u' ' + c.value.toString()).toStdString());
        Enter(c.table, c.entered, c.value);
        EXPECT_NEAR(F(c.followerTable, c.follower).asFloat(), c.expected, 1e-12);
    }
    // A start day given is kept when bi-phase degradation is switched on.
    F(u"Substance_PRZM"_s, u"dknum"_s).setValue(5);
    SetBiPhase(*dm, true);
    EXPECT_EQ(F(u"Substance_PRZM"_s, u"dknum"_s).asInteger(), 5);
    EXPECT_EQ(F(u"Substance_PRZM"_s, u"icheck1"_s).asInteger(), 1);
}

TEST_F(SubstanceEditingTest, LockedSubstanceIsLeftAlone) {
    Open(u"EXAMPLE_P"_s);
    KomEntered(*dm, TSorptionColumn::General);
    WashOffMacroEntered(*dm);
    Q10Entered(*dm);
    SetBiPhase(*dm, true);
    SetDetailedSorption(*dm, true);
    for (TTable* t : Tables())
        EXPECT_EQ(t->state(), TRecordSet::TState::Browse) << t->tableName().toStdString();
}

TEST_F(SubstanceEditingTest, NewSubstanceIsCreatedUnderItsTrimmedCode) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    ASSERT_TRUE(CreateNewSubstance(*dm, u"  NEW "_s, u" New one  "_s));
    EXPECT_EQ(Stored(u"Substances"_s, u"NEW"_s, u"Name"_s).toString(), u"New one"_s);
    EXPECT_TRUE(dm->AskBeforeSave);
    EXPECT_FALSE(CreateNewSubstance(*dm, u"new"_s, u"x"_s));
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"new is not a unique substance code"_s});
}
