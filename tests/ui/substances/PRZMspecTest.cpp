#include "ui/substances/SubstanceWindowTest.h"

#include "ui/substances/PRZMspec.h"

#include <QCheckBox>
#include <QRadioButton>

using namespace Qt::Literals::StringLiterals;

class PRZMspecTest : public TSubstanceWindowTest {
protected:
    // The dialog on the substance, current and in edit state as the editor keeps it.
    std::unique_ptr<TfrmPRZMspec> Open(const QString& code) {
        EXPECT_TRUE(dm->OpenSubstanceAt(code));
        if (!dm->tblSubstances.fieldByName(u"Locked"_s).asBoolean())
            for (TTable* t : {&dm->tblSubstances, &dm->tblSubstancesMacro, &dm->tblSubstancesPRZM})
                t->ensureEditing();
        auto dialog = std::make_unique<TfrmPRZMspec>(*dm);
        Show(*dialog);
        return dialog;
    }

    int Przm(const QString& field) { return dm->tblSubstancesPRZM.fieldByName(field).asInteger(); }
};

TEST_F(PRZMspecTest, BiPhaseSubstanceWithoutStartDayGetsOneWithoutCountingAsAChange) {
    Store(u"Substance_PRZM"_s, u"PAR"_s, u"icheck1"_s, 1);
    Store(u"Substance_PRZM"_s, u"PAR"_s, u"dknum"_s, 0);
    auto dialog = Open(u"PAR"_s);
    EXPECT_TRUE(Find<QCheckBox>(*dialog, u"cbBiPhase"_s)->isChecked());
    EXPECT_EQ(Przm(u"dknum"_s), 1);
    EXPECT_FALSE(dialog->Changed());

    Click(*dialog, u"cbBiPhase"_s);
    EXPECT_EQ(Przm(u"dknum"_s), 0);
    EXPECT_EQ(Przm(u"icheck1"_s), 0);
    Click(*dialog, u"cbBiPhase"_s);
    EXPECT_EQ(Przm(u"dknum"_s), 1);
    EXPECT_EQ(Przm(u"icheck1"_s), 1);
    EXPECT_TRUE(dialog->Changed());
}

TEST_F(PRZMspecTest, RelativeMoistureAndPFAreStored) {
    Store(u"Substance_PRZM"_s, u"PAR"_s, u"iset1"_s, 1);
    auto dialog = Open(u"PAR"_s);
    auto* relative = Find<QWidget>(*dialog, u"rgAbsRel"_s)->findChildren<QRadioButton*>().at(1);
    QTest::mouseClick(relative, Qt::LeftButton);
    EXPECT_EQ(Przm(u"iset1"_s), 2);
    Choose(*dialog, u"cmbPF"_s, u"1"_s);
    EXPECT_EQ(dm->tblSubstancesMacro.fieldByName(u"pf"_s).asInteger(), 1);
    Enter(*dialog, u"DBEdit25"_s, u"0.5"_s);
    EXPECT_TRUE(dialog->Changed());
    ui.Answer(true, u"Save changes?"_s);
    ASSERT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    EXPECT_EQ(Stored(u"Substance_PRZM"_s, u"PAR"_s, u"iset1"_s).toInt(), 2);
    EXPECT_EQ(Stored(u"Substance_Macro"_s, u"PAR"_s, u"pf"_s).toInt(), 1);
    EXPECT_DOUBLE_EQ(Stored(u"Substance_PRZM"_s, u"PAR"_s, u"mseff"_s).toDouble(), 0.5);
}

TEST_F(PRZMspecTest, LockedAndMetaboliteStates) {
    struct TCase {
        QString code;
        bool groups;
        bool biPhase;
    };
    const TCase cases[] = {{u"EXAMPLE_P"_s, false, false}, {u"MET1"_s, true, false}, {u"PAR"_s, true, true}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        auto dialog = Open(c.code);
        EXPECT_EQ(Enabled(*dialog, u"grpMACRO"_s), c.groups);
        EXPECT_EQ(Enabled(*dialog, u"grpPRZM"_s), c.groups);
        EXPECT_EQ(Enabled(*dialog, u"DBEdit23"_s), c.groups);
        for (const QString& name : {u"grpBi"_s, u"cbBiPhase"_s, u"edtHL2"_s, u"edtDkNum"_s})
            EXPECT_EQ(Enabled(*dialog, name), c.biPhase) << name.toStdString();
        EXPECT_FALSE(dialog->Changed());
        dm->UndoSubstance();
    }
}

// Only a value that was stored changed something: a refused text or the same value typed again did not.
TEST_F(PRZMspecTest, OnlyAStoredNewValueCountsAsAChange) {
    auto dialog = Open(u"PAR"_s);
    const double mseff = dm->tblSubstancesPRZM.fieldByName(u"mseff"_s).asFloat();
    Enter(*dialog, u"DBEdit25"_s, u"much"_s);
    EXPECT_EQ(ui.Take().size(), 1) << "the refusal is shown";
    EXPECT_FALSE(dialog->Changed());
    Enter(*dialog, u"DBEdit25"_s, QString::number(mseff));
    EXPECT_FALSE(dialog->Changed());
    Enter(*dialog, u"DBEdit25"_s, u"0.5"_s);
    EXPECT_TRUE(dialog->Changed());
    EXPECT_DOUBLE_EQ(dm->tblSubstancesPRZM.fieldByName(u"mseff"_s).asFloat(), 0.5);
}
