#include "ui/substances/SubstanceWindowTest.h"

#include "ui/substances/Metabolites2.h"

#include <QPushButton>
#include <QRadioButton>
#include <functional>

using namespace Qt::Literals::StringLiterals;

// The dialog on PAR (molar mass 300; scheme 3 with MET1 and MET2, both of molar mass 200 and formed
// with the MACRO fraction 0.5; dtr121a 0.5), with its rows in edit state as the editor keeps them.
class MetaboliteDialogTest : public TSubstanceWindowTest {
protected:
    std::unique_ptr<TfrmMetabolites2> Open(bool viewOnly = false) {
        EXPECT_TRUE(dm->OpenSubstanceAt(u"PAR"_s));
        for (TTable* t : {&dm->tblSubstances, &dm->tblSubstancesMacro, &dm->tblSubstancesPRZM})
            t->ensureEditing();
        auto dialog = std::make_unique<TfrmMetabolites2>(*dm);
        dialog->SetViewOnly(viewOnly);
        Show(*dialog);
        return dialog;
    }

    double Przm(const QString& field) { return dm->tblSubstancesPRZM.fieldByName(field).asFloat(); }
};

TEST_F(MetaboliteDialogTest, FractionsAreConvertedThroughTheMolarMasses) {
    Store(u"Substances"_s, u"LONE"_s, u"MolMass"_s, 150.0);
    auto dialog = Open();
    Click(*dialog, u"RbOneOne"_s);
    EXPECT_FALSE(Find<QWidget>(*dialog, u"cmbMetaP2"_s)->isVisible());
    Choose(*dialog, u"cmbMetaP1"_s, u"LONE"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP1"_s), QString()) << "another metabolite empties the fractions";

    Enter(*dialog, u"edtHLP1"_s, u"0.5"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP1Macro"_s), u"0.250"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP1"_s), u"0.500"_s);

    Enter(*dialog, u"edtHLP1Macro"_s, u"0.6"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Fraction for PRZM becomes > 1"_s});
    EXPECT_EQ(Text(*dialog, u"edtHLP1"_s), u"0.500"_s);
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(*dialog, u"edtHLP1Macro"_s));
    Enter(*dialog, u"edtHLP1Macro"_s, u"0.25"_s);

    Enter(*dialog, u"edtHLP1"_s, u"1.0004"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP1"_s), u"1.000"_s);
    Enter(*dialog, u"edtHLP1"_s, u"1.001"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Invalid fraction. Enter a number between 0 and 1."_s});
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(*dialog, u"edtHLP1"_s));
    Enter(*dialog, u"edtHLP1"_s, u"0.5"_s);

    Click(*dialog, u"btnOK"_s);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Przm(u"icombo3"_s), 2);
    EXPECT_DOUBLE_EQ(Przm(u"dtr121a"_s), 0.5);
    EXPECT_EQ(dm->tblSubstances.fieldByName(u"MetSubCode1"_s).asString(), u"LONE"_s);
    // The metabolite's factor waits for the parent's Save, like the parent's own rows.
    EXPECT_DOUBLE_EQ(dm->GetConversionFactor(u"LONE"_s), 0.25);
    EXPECT_NE(Stored(u"Substance_Macro"_s, u"LONE"_s, u"fconvert"_s).toDouble(), 0.25);
    ui.Answer(true, u"Save changes?"_s);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    EXPECT_DOUBLE_EQ(Stored(u"Substance_Macro"_s, u"LONE"_s, u"fconvert"_s).toDouble(), 0.25);
}

TEST_F(MetaboliteDialogTest, AMetaboliteHeavierThanTheParentCannotBeChosen) {
    const std::pair<double, bool> cases[] = {{300, true}, {400, false}};
    for (const auto& [mass, chosen] : cases) {
        SCOPED_TRACE(mass);
        Store(u"Substances"_s, u"LONE"_s, u"MolMass"_s, mass);
        auto dialog = Open();
        Click(*dialog, u"RbOneOne"_s);
        Choose(*dialog, u"cmbMetaP1"_s, u"LONE"_s);
        auto* list = Find<QComboBox>(*dialog, u"cmbMetaP1"_s);
        EXPECT_EQ(list->currentText(), chosen ? u"LONE"_s : QString());
        EXPECT_EQ(ui.TakeTexts(),
                  chosen ? QStringList{} : QStringList{u"Molecular Mass of metabolite > parent."_s});
        dialog.reset();
        dm->UndoSubstance();
    }
}

TEST_F(MetaboliteDialogTest, TheSameMetaboliteTwiceIsRefused) {
    auto dialog = Open();
    EXPECT_TRUE(Find<QRadioButton>(*dialog, u"rbOneTwo"_s)->isChecked());
    Choose(*dialog, u"cmbMetaP2"_s, u"MET1"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP2"_s), QString());
    EXPECT_EQ(Text(*dialog, u"edtHLP2Macro"_s), u"0.500"_s) << "only the PRZM fraction is emptied";
    Enter(*dialog, u"edtHLP2"_s, u"0.2"_s);
    Click(*dialog, u"btnOK"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Select 2 different metabolites."_s});
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(MetaboliteDialogTest, ViewOnlyShowsTheSchemeAndOnlyCancels) {
    auto dialog = Open(true);
    for (const QString& name : {u"GroupBox1"_s, u"pnl12"_s, u"pnl3"_s, u"btnOK"_s})
        EXPECT_FALSE(Enabled(*dialog, name)) << name.toStdString();
    EXPECT_EQ(Find<QComboBox>(*dialog, u"cmbMetaP1"_s)->currentText(), u"MET1"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP1"_s), u"0.500"_s);
    Click(*dialog, u"btnCancel"_s);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// A MACRO fraction that cannot be read when OK is pressed writes nothing at all.
TEST_F(MetaboliteDialogTest, AnUnreadableMacroFractionWritesNothing) {
    Store(u"Substances"_s, u"MET2"_s, u"MolMass"_s, QVariant());
    Store(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s, 0.3);
    auto dialog = Open();
    Enter(*dialog, u"edtHLP1Macro"_s, u"0.45"_s);
    Enter(*dialog, u"edtHLP2"_s, u"0.3"_s);
    EXPECT_EQ(Text(*dialog, u"edtHLP2Macro"_s), QString()) << "no molar mass to convert with";
    Click(*dialog, u"btnOK"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Invalid fraction. Enter a correct numeric value"_s});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(*dialog, u"edtHLP2Macro"_s));
    EXPECT_DOUBLE_EQ(Stored(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s).toDouble(), 0.3);
    EXPECT_DOUBLE_EQ(Przm(u"dtr121a"_s), 0.5);
    EXPECT_DOUBLE_EQ(Przm(u"dtr131a"_s), 0);
    EXPECT_FALSE(dm->tblSubstancesPRZM.modified());
}

TEST_F(MetaboliteDialogTest, ChainSchemeAndCancelKeepingTheEditorsEdits) {
    {
        auto dialog = Open();
        dm->tblSubstancesPRZM.fieldByName(u"q10fac"_s).setAsFloat(3);
        Click(*dialog, u"rbOneOneTwo"_s);
        Enter(*dialog, u"edtHL1"_s, u"0.4"_s);
        Click(*dialog, u"btnCancel"_s);
        EXPECT_DOUBLE_EQ(Przm(u"q10fac"_s), 3) << "the editor's own edit stays";
        EXPECT_DOUBLE_EQ(Przm(u"dtr121a"_s), 0.5);
        EXPECT_EQ(Przm(u"icombo3"_s), 3);
    }
    auto dialog = Open();
    Click(*dialog, u"rbOneOneTwo"_s);
    Choose(*dialog, u"cmbMeta1"_s, u"MET1"_s);
    Choose(*dialog, u"cmbMeta12"_s, u"MET2"_s);
    Enter(*dialog, u"edtHL1"_s, u"0.6"_s);
    EXPECT_EQ(Text(*dialog, u"edtHL1Macro"_s), u"0.400"_s);
    Enter(*dialog, u"edtHL2"_s, u"0.3"_s);
    Click(*dialog, u"btnOK"_s);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Przm(u"icombo3"_s), 4);
    EXPECT_DOUBLE_EQ(Przm(u"dtr121a"_s), 0.6);
    EXPECT_DOUBLE_EQ(Przm(u"dtr231a"_s), 0.3);
    EXPECT_DOUBLE_EQ(Przm(u"dtr131a"_s), 0);
    ui.Answer(true, u"Save changes?"_s);
    EXPECT_TRUE(dm->SaveSubstance());
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    EXPECT_DOUBLE_EQ(Stored(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s).toDouble(), 0.4);
    EXPECT_DOUBLE_EQ(Stored(u"Substance_Macro"_s, u"MET2"_s, u"fconvert"_s).toDouble(), 0);
}

// Cancel, Esc and the close box cancel, also with a fraction typed that the dialog refuses.
TEST_F(MetaboliteDialogTest, CancelAlwaysCancels) {
    const std::pair<const char*, std::function<void(TfrmMetabolites2&)>> closes[] = {
        {"Cancel", [](TfrmMetabolites2& d) { Click(d, u"btnCancel"_s); }},
        {"Esc", [](TfrmMetabolites2& d) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); (void)d; }},
        {"close box", [](TfrmMetabolites2& d) { d.close(); }},
    };
    for (const auto& [name, close] : closes) {
        SCOPED_TRACE(name);
        auto dialog = Open();
        auto* edit = Find<QLineEdit>(*dialog, u"edtHLP1"_s);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, u"1.5"_s);
        close(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_TRUE(ui.TakeTexts().isEmpty());
        EXPECT_DOUBLE_EQ(Przm(u"dtr121a"_s), 0.5);
        EXPECT_DOUBLE_EQ(dm->GetConversionFactor(u"MET1"_s), 0.5);
        dialog.reset();
        dm->UndoSubstance();
    }
}
