#include "ui/substances/SubstanceWindowTest.h"

#include "ui/app/AppTestSupport.h"
#include "ui/app/HelpSystem.h"
#include "ui/substances/Substances.h"

#include <QCheckBox>
#include <QLabel>
#include <QDateTime>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace {


} // namespace

class SubstanceEditorTest : public TSubstanceWindowTest {
protected:
    void SetUp() override {
        TSubstanceWindowTest::SetUp();
        if (HasFatalFailure()) return;
        // The substances are stored before the editor reads them.
        for (const auto& [table, column, value] : Stores())
            Store(table, u"PAR"_s, column, value);
        editor = std::make_unique<TfrmSubstances>(*dm);
        Show(*editor);
    }

    void TearDown() override {
        editor.reset();
        TSubstanceWindowTest::TearDown();
    }

    virtual QVector<std::tuple<QString, QString, QVariant>> Stores() { return {}; }

    // Clicks the substance's row in the grid.
    void Select(const QString& code) {
        auto* grid = Find<QTableView>(*editor, u"grdSubstances"_s);
        const QAbstractItemModel* model = grid->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, 0);
            if (model->data(index).toString() != code) continue;
            grid->scrollTo(index);
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
            ASSERT_EQ(dm->tblSubstances.fieldByName(u"SubstanceCode"_s).asString(), code);
            return;
        }
        FAIL() << "no row " << code.toStdString();
    }

    void Page(int page) { Find<QTabWidget>(*editor, u"pgSubstance"_s)->setCurrentIndex(page); }

    void Save() {
        Click(*editor, u"btnSave"_s);
        EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    }

    std::unique_ptr<TfrmSubstances> editor;
};

// PAR's general sorption values are gone, and of the detailed ones only the soil Kom is kept.
class SorptionFillTest : public SubstanceEditorTest {
protected:
    QVector<std::tuple<QString, QString, QVariant>> Stores() override {
        QVector<std::tuple<QString, QString, QVariant>> stores = {{u"Substance_Macro"_s, u"Koc"_s, {}},
                                                                  {u"Substances"_s, u"Kom"_s, {}},
                                                                  {u"Substances"_s, u"KomSol"_s, 77.0}};
        for (const QString& column : {u"KomSus"_s, u"KomSed"_s, u"KocSol"_s, u"KocSus"_s, u"KocSed"_s})
            stores.append({u"Substances"_s, column, QVariant()});
        return stores;
    }
};

TEST_F(SorptionFillTest, GeneralKomGivesKocAndFillsOnlyTheEmptyDetailedValues) {
    Select(u"PAR"_s);
    Page(1);
    Click(*editor, u"rbGeneral"_s);
    Enter(*editor, u"edtKom"_s, u"100"_s);
    EXPECT_NEAR(Text(*editor, u"edtKoc"_s).toDouble(), 172.4, 1e-9);
    EXPECT_TRUE(Enabled(*editor, u"btnSave"_s));
    ui.Answer(true, u"Save changes?"_s);
    Save();

    EXPECT_NEAR(StoredNumber(u"Substance_Macro"_s, u"PAR"_s, u"Koc"_s), 172.4, 1e-9);
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, u"Kom"_s), 100);
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, u"KomSol"_s), 77) << "a detailed value is kept";
    for (const QString& column : {u"KomSus"_s, u"KomSed"_s})
        EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, column), 100) << column.toStdString();
    for (const QString& column : {u"KocSol"_s, u"KocSus"_s, u"KocSed"_s})
        EXPECT_NEAR(StoredNumber(u"Substances"_s, u"PAR"_s, column), 172.4, 1e-9) << column.toStdString();
    EXPECT_FALSE(Enabled(*editor, u"btnSave"_s));
    EXPECT_FALSE(Enabled(*editor, u"btnUndo"_s));
}

// A code or name of the full 20 characters is seen whole in its field.
TEST_F(SubstanceEditorTest, AWholeTwentyCharacterNameIsSeen) {
    for (const QString& field : {u"edtCode"_s, u"edtName"_s}) {
        auto* edit = Find<QLineEdit>(*editor, field);
        for (const QString& text : {u"Example metabolite 1"_s, u"MOLINATE_SULFOXIDE_2"_s}) {
            edit->setText(text);
            edit->setCursorPosition(0);
            // Shown from its start, the field's right end lies past the text's last character.
            EXPECT_EQ(edit->cursorPositionAt(QPoint(edit->width() - 4, edit->height() / 2)), text.size())
                << field.toStdString() << ": " << text.toStdString();
        }
    }
}

// F1 in a field of a page opens that page's topic; elsewhere in the editor, the editor's.
TEST_F(SubstanceEditorTest, HelpFollowsThePageOfTheFocusedField) {
    auto* pages = Find<QTabWidget>(*editor, u"pgSubstance"_s);
    const int contexts[] = {6, 11, 12, 13};
    for (int page = 0; page < pages->count(); ++page) {
        Page(page);
        const QList<QLineEdit*> fields = pages->widget(page)->findChildren<QLineEdit*>();
        ASSERT_FALSE(fields.isEmpty()) << page;
        EXPECT_EQ(HelpContextFor(fields.first()), contexts[page]) << page;
    }
    EXPECT_EQ(HelpContextFor(Find<QTableView>(*editor, u"grdSubstances"_s)), 5);
}

TEST_F(SubstanceEditorTest, SoilKocGivesSoilKomAndADetailedKomItsKoc) {
    Select(u"PAR"_s);
    Page(1);
    Click(*editor, u"rbDetailed"_s);
    Enter(*editor, u"edtKocSol"_s, u"172.4"_s);
    Enter(*editor, u"edtKomSed"_s, u"10"_s);
    ui.Answer(true, u"Save changes?"_s);
    Save();
    EXPECT_NEAR(StoredNumber(u"Substances"_s, u"PAR"_s, u"KomSol"_s), 100, 1e-9);
    EXPECT_NEAR(StoredNumber(u"Substances"_s, u"PAR"_s, u"KocSed"_s), 17.24, 1e-9);
    EXPECT_EQ(Stored(u"Substances"_s, u"PAR"_s, u"DetailedSorption"_s).toInt(), 1);
}

TEST_F(SubstanceEditorTest, WashOffFactorsFollowEachOther) {
    struct TCase {
        QString field;
        QString text;
        double fext;
        double fextrc;
    };
    const TCase cases[] = {{u"edtWashOffMacro"_s, u"0.04"_s, 0.04, 0.4},
                           {u"edtWashOffPRZM"_s, u"0.3"_s, 0.03, 0.3}};
    Select(u"PAR"_s);
    Page(2);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        Enter(*editor, c.field, c.text);
        ui.Answer(true, u"Save changes?"_s);
        Save();
        EXPECT_NEAR(StoredNumber(u"Substance_Macro"_s, u"PAR"_s, u"fext"_s), c.fext, 1e-12);
        EXPECT_NEAR(StoredNumber(u"Substance_PRZM"_s, u"PAR"_s, u"fextrc"_s), c.fextrc, 1e-12);
    }
}

TEST_F(SubstanceEditorTest, CommaDecimalUserTypesAndSeesCommas) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    Select(u"LONE"_s);
    Page(2);
    Select(u"PAR"_s);
    Enter(*editor, u"edtWashOffMacro"_s, u"0,05"_s);
    EXPECT_EQ(Text(*editor, u"edtWashOffPRZM"_s), u"0,50"_s);
    ui.Answer(true, u"Save changes?"_s);
    Save();
    QLocale::setDefault(previous);
    EXPECT_NEAR(StoredNumber(u"Substance_PRZM"_s, u"PAR"_s, u"fextrc"_s), 0.5, 1e-12);
}

TEST_F(SubstanceEditorTest, Q10FactorSwitchesTheTemperatureCorrection) {
    const std::pair<QString, int> cases[] = {{u"0"_s, 0}, {u"1"_s, 1}, {QString(), 0}, {u"2.2"_s, 1}};
    Select(u"PAR"_s);
    Page(3);
    for (const auto& [text, iqfac] : cases) {
        SCOPED_TRACE(text.toStdString());
        Enter(*editor, u"DBEdit22"_s, text);
        ui.Answer(true, u"Save changes?"_s);
        Save();
        EXPECT_EQ(Stored(u"Substance_PRZM"_s, u"PAR"_s, u"iqfac"_s).toInt(), iqfac);
    }
}

// A locked substance's fields are shown read-only: typing changes nothing, and nothing needs refusing.
TEST_F(SubstanceEditorTest, LockedSubstanceIsShownReadOnly) {
    Select(u"EXAMPLE_P"_s);
    EXPECT_TRUE(Find<QWidget>(*editor, u"pnlLocked"_s)->isVisible());
    EXPECT_FALSE(Enabled(*editor, u"btnRemove"_s));
    EXPECT_EQ(Find<QPushButton>(*editor, u"btnMetabolites"_s)->text(), u"view Metabolites"_s);
    for (const QString& name : {u"cbParent"_s, u"rbGeneral"_s, u"rbDetailed"_s})
        EXPECT_FALSE(Enabled(*editor, name)) << name.toStdString();
    auto* pages = Find<QTabWidget>(*editor, u"pgSubstance"_s);
    for (QLineEdit* edit : pages->findChildren<QLineEdit*>()) {
        EXPECT_TRUE(edit->isReadOnly() || !edit->isEnabled()) << edit->objectName().toStdString();
        if (edit->isEnabled()) { // shown on the window's background
            EXPECT_EQ(edit->palette().color(QPalette::Base), edit->palette().color(QPalette::Window));
        }
    }
    Page(1);
    Enter(*editor, u"edtKom"_s, u"5"_s);
    EXPECT_TRUE(ui.Take().isEmpty()) << "nothing typed, nothing refused";
    EXPECT_FALSE(Enabled(*editor, u"btnSave"_s));
    EXPECT_FALSE(Enabled(*editor, u"btnUndo"_s));
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"EXAMPLE_P"_s, u"Kom"_s), 100);
    EXPECT_NEAR(StoredNumber(u"Substance_Macro"_s, u"EXAMPLE_P"_s, u"Koc"_s), 172.4, 1e-9);
    EXPECT_EQ(Text(*editor, u"edtKom"_s), u"100.000"_s);

    // The next, unlocked substance is edited again.
    Select(u"PAR"_s);
    auto* kom = Find<QLineEdit>(*editor, u"edtKom"_s);
    EXPECT_FALSE(kom->isReadOnly());
    EXPECT_NE(kom->palette().color(QPalette::Base), kom->palette().color(QPalette::Window));
    EXPECT_TRUE(Enabled(*editor, u"rbGeneral"_s));
}

// The list shows each substance's kind, lock and use, and a filter on part of a code or name keeps the
// current substance in sight: one filtered out gives way to the first shown, after its change is saved.
TEST_F(SubstanceEditorTest, ListFiltersOnCodeOrNameAndMarksLockedParentAndUsed) {
    dm->InsertProject(u"p1"_s, u"d"_s, InstallDir(), u"PAR"_s, QDateTime::currentDateTime(),
                      QDateTime::currentDateTime());
    dm->InsertProject(u"p2"_s, u"d"_s, InstallDir(), u"PAR"_s, QDateTime::currentDateTime(),
                      QDateTime::currentDateTime());
    editor.reset();
    editor = std::make_unique<TfrmSubstances>(*dm);
    Show(*editor);
    auto* grid = Find<QTableView>(*editor, u"grdSubstances"_s);
    const QAbstractItemModel* model = grid->model();
    const auto rowOf = [model](const QString& code) {
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 0).data().toString() == code) return row;
        return -1;
    };
    const auto status = [&](const QString& code, int role) { return model->index(rowOf(code), 2).data(role).toString(); };
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), u"Status"_s);
    EXPECT_EQ(status(u"PAR"_s, Qt::DisplayRole), u"parent, used"_s);
    EXPECT_TRUE(status(u"PAR"_s, Qt::ToolTipRole).contains(u"Used in the projects p1, p2"_s));
    EXPECT_EQ(status(u"MET1"_s, Qt::DisplayRole), u"metabolite"_s);
    EXPECT_EQ(status(u"EXAMPLE_P"_s, Qt::DisplayRole), u"parent, locked"_s);
    EXPECT_TRUE(status(u"EXAMPLE_P"_s, Qt::ToolTipRole).contains(u"Locked"_s));

    const auto shownCodes = [&] {
        QStringList codes;
        for (int row = 0; row < model->rowCount(); ++row)
            if (!grid->isRowHidden(row)) codes << model->index(row, 0).data().toString();
        return codes;
    };
    Select(u"LONE"_s);
    Enter(*editor, u"DBEdit15"_s, u"12"_s); // solubility: LONE holds a change
    auto* filter = Find<QLineEdit>(*editor, u"edtFilter"_s);
    filter->setFocus();
    // Filtered out with a change, LONE ("Example metabolite 1") stays current and in sight; nothing asks.
    QTest::keyClicks(filter, u"par"_s);
    EXPECT_EQ(dm->tblSubstances.fieldByName(u"SubstanceCode"_s).asString(), u"LONE"_s);
    EXPECT_EQ(shownCodes(), (QStringList{u"EXAMPLE_P"_s, u"PAR"_s, u"LONE"_s}));
    ui.Answer(true, u"Save changes?"_s);
    Save();

    // Unchanged, it gives way to the first substance shown; the filter is on code or name, in any case.
    filter->clear();
    QTest::keyClicks(filter, u"Example_"_s);
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"LONE"_s, u"SlbWatRef"_s), 12);
    const QStringList shown = shownCodes();
    ASSERT_FALSE(shown.isEmpty());
    for (const QString& code : shown)
        EXPECT_TRUE(code.startsWith(u"EXAMPLE_"_s)) << code.toStdString();
    EXPECT_EQ(dm->tblSubstances.fieldByName(u"SubstanceCode"_s).asString(), shown.first());
    EXPECT_EQ(Find<QLabel>(*editor, u"lblShown"_s)->text(),
              u"%1 of %2 shown"_s.arg(shown.size()).arg(model->rowCount()));
    filter->clear();
    EXPECT_EQ(shownCodes().size(), model->rowCount());
}

TEST_F(SubstanceEditorTest, ParentBoxAndMetaboliteButtonFollowTheSubstance) {
    dm->InsertProject(u"p"_s, u"d"_s, InstallDir(), u"PAR"_s, QDateTime::currentDateTime(),
                      QDateTime::currentDateTime());
    struct TCase {
        QString code;
        bool parentBox;
        QString metabolites;
    };
    const TCase cases[] = {{u"PAR"_s, false, u"view Metabolites"_s},
                           {u"MET1"_s, false, u"set Metabolites"_s},
                           {u"LONE"_s, true, u"set Metabolites"_s}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        Select(c.code);
        EXPECT_EQ(Enabled(*editor, u"cbParent"_s), c.parentBox);
        EXPECT_EQ(Find<QPushButton>(*editor, u"btnMetabolites"_s)->text(), c.metabolites);
    }
    // A substance nobody's metabolite becomes a parent: its metabolite button and parent fields appear.
    Page(2);
    Page(0);
    Click(*editor, u"cbParent"_s);
    EXPECT_TRUE(Find<QWidget>(*editor, u"btnMetabolites"_s)->isVisible());
    EXPECT_TRUE(Enabled(*editor, u"edtWashOffMacro"_s));
    EXPECT_TRUE(Enabled(*editor, u"btnSave"_s));
}

TEST_F(SubstanceEditorTest, ViewMetabolitesOfASubstanceInAProjectOnlyShows) {
    dm->InsertProject(u"p"_s, u"d"_s, InstallDir(), u"PAR"_s, QDateTime::currentDateTime(),
                      QDateTime::currentDateTime());
    Select(u"PAR"_s);
    bool checked = false;
    AnswerModal([&checked](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), u"frmMetabolites2"_s);
        EXPECT_FALSE(dialog->findChild<QWidget*>(u"btnOK"_s)->isEnabled());
        EXPECT_FALSE(dialog->findChild<QWidget*>(u"GroupBox1"_s)->isEnabled());
        checked = true;
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnCancel"_s), Qt::LeftButton);
    });
    Click(*editor, u"btnMetabolites"_s);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(Enabled(*editor, u"btnSave"_s));
}

TEST_F(SubstanceEditorTest, CopyProposesACodeAndANameThatFit) {
    struct TCase {
        QString source;
        QString code;
        QString name;
    };
    const TCase cases[] = {{u"ABC"_s, u"cABC"_s, u"copy_of_ABC"_s},
                           {u"ABCDEFGHIJKLMNOPQRST"_s, u"cABCDEFGHIJKLMNOPQRS"_s, u"copy_of_ABCDEFGHIJKL"_s}};
    for (const TCase& c : cases) {
        Clone(u"EXAMPLE_M1"_s, c.source, false);
        Store(u"Substances"_s, c.source, u"KocSus"_s, QVariant());
        Store(u"Substances"_s, c.source, u"KomSus"_s, 20.0);
    }
    editor.reset();
    editor = std::make_unique<TfrmSubstances>(*dm);
    Show(*editor);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.source.toStdString());
        Select(c.source);
        AnswerModal([&c](QWidget* dialog) {
            EXPECT_EQ(dialog->findChild<QLineEdit*>(u"edtCodeNew"_s)->text(), c.code);
            EXPECT_EQ(dialog->findChild<QLineEdit*>(u"edtNameNew"_s)->text(), c.name);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"btnOK"_s), Qt::LeftButton);
        });
        Click(*editor, u"btnCopy"_s);
        EXPECT_EQ(Text(*editor, u"edtCode"_s), c.code);
        EXPECT_EQ(Stored(u"Substances"_s, c.code, u"Name"_s).toString(), c.name);
        EXPECT_EQ(Stored(u"Substances"_s, c.code, u"Locked"_s).toInt(), 0);
        EXPECT_EQ(Count(u"Substance_Macro"_s, c.code), 1);
        EXPECT_EQ(Count(u"Substance_PRZM"_s, c.code), 1);
        // The copy's detailed pairs are completed: its suspended solids Koc follows the Kom.
        EXPECT_NEAR(dm->tblSubstances.fieldByName(u"KocSus"_s).asFloat(), 34.48, 1e-9);
        ui.Answer(true, u"Save changes?"_s);
        Click(*editor, u"btnClose"_s);
        ui.TakeTexts();
        EXPECT_NEAR(StoredNumber(u"Substances"_s, c.code, u"KocSus"_s), 34.48, 1e-9);
        editor = std::make_unique<TfrmSubstances>(*dm);
        Show(*editor);
    }
}

TEST_F(SubstanceEditorTest, ClosesOnlyAfterASuccessfulSave) {
    Select(u"PAR"_s);
    Enter(*editor, u"edtMolMass"_s, QString());
    ui.Answer(true, u"Save changes?"_s);
    Click(*editor, u"btnClose"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Save changes?"_s, u"Molar mass is required."_s}));
    EXPECT_TRUE(editor->isVisible());
    Enter(*editor, u"edtMolMass"_s, u"250"_s);
    ui.Answer(true, u"Save changes?"_s);
    Click(*editor, u"btnClose"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s}) << "every close with a change asks";
    EXPECT_FALSE(editor->isVisible());
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, u"MolMass"_s), 250);
}

TEST_F(SubstanceEditorTest, TextInANumberFieldIsRefusedAndNothingStored) {
    Select(u"PAR"_s);
    Enter(*editor, u"edtMolMass"_s, u"heavy"_s);
    EXPECT_EQ(ui.Take().size(), 1);
    EXPECT_EQ(Text(*editor, u"edtMolMass"_s), u"300.0"_s);
    Enter(*editor, u"edtMolMass"_s, u"5"_s);
    EXPECT_EQ(ui.Take().size(), 1) << "below the column's range";
    Click(*editor, u"btnClose"_s);
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, u"MolMass"_s), 300);
}

TEST_F(SubstanceEditorTest, RemoveDeletesTheSubstanceWithItsRows) {
    Select(u"LONE"_s);
    Enter(*editor, u"edtName"_s, u"edited"_s);
    ui.Answer(true, u"Delete record ?"_s);
    Click(*editor, u"btnRemove"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Delete record ?"_s});
    for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s})
        EXPECT_EQ(Count(table, u"LONE"_s), 0) << table.toStdString();
    EXPECT_NE(Text(*editor, u"edtCode"_s), u"LONE"_s);
    Click(*editor, u"btnClose"_s);
    EXPECT_EQ(Count(u"Substances"_s, u"LONE"_s), 0);
}

// The typed text of the focused field, not left yet: every way of closing counts it and asks "Save
// changes?" with Save, Discard and Cancel.
TEST_F(SubstanceEditorTest, ClosingWithATypedValueAsksSaveDiscardOrCancel) {
    const std::pair<const char*, std::function<void(TfrmSubstances&)>> closes[] = {
        {"Esc", [](TfrmSubstances&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); }},
        {"close box", [](TfrmSubstances& e) { e.close(); }},
        {"Close", [](TfrmSubstances& e) { Find<QPushButton>(e, u"btnClose"_s)->click(); }},
    };
    struct TCase {
        TSaveAnswer answer;
        bool open;
        double stored;
    };
    const TCase cases[] = {
        {TSaveAnswer::Cancel, true, 300}, {TSaveAnswer::Discard, false, 300}, {TSaveAnswer::Save, false, 250}};
    for (const auto& [name, close] : closes)
        for (const TCase& c : cases) {
            SCOPED_TRACE(name + std::to_string(static_cast<int>(c.answer)));
            editor.reset();
            Store(u"Substances"_s, u"PAR"_s, u"MolMass"_s, 300.0);
            editor = std::make_unique<TfrmSubstances>(*dm);
            Show(*editor);
            Select(u"PAR"_s);
            auto* edit = Find<QLineEdit>(*editor, u"edtMolMass"_s);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, u"250"_s);
            ui.AnswerChoice(c.answer, u"Save changes?"_s);
            close(*editor);
            EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
            EXPECT_EQ(editor->isVisible(), c.open);
            EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, u"MolMass"_s), c.stored);
            if (c.open) {
                EXPECT_EQ(Text(*editor, u"edtMolMass"_s), u"250.0"_s) << "the typed value stays";
                EXPECT_TRUE(Enabled(*editor, u"btnSave"_s));
            }
        }
}

// The Q10 factor typed and closed with Esc: stored with its switch, and no error from the closed rows.
TEST_F(SubstanceEditorTest, TypedQ10FactorIsSavedOnEsc) {
    Select(u"PAR"_s);
    Page(3);
    auto* edit = Find<QLineEdit>(*editor, u"DBEdit22"_s);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, u"0"_s);
    ui.AnswerChoice(TSaveAnswer::Save, u"Save changes?"_s);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    EXPECT_FALSE(editor->isVisible());
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substance_PRZM"_s, u"PAR"_s, u"q10fac"_s), 0);
    EXPECT_EQ(Stored(u"Substance_PRZM"_s, u"PAR"_s, u"iqfac"_s).toInt(), 0);
}

// Save and New act on the typed text of the focused field, also when pressed without taking the focus.
TEST_F(SubstanceEditorTest, SaveTakesTheTypedValueFirst) {
    Select(u"PAR"_s);
    auto* edit = Find<QLineEdit>(*editor, u"edtMolMass"_s);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, u"260"_s);
    ui.Answer(true, u"Save changes?"_s);
    Find<QPushButton>(*editor, u"btnSave"_s)->click();
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Save changes?"_s});
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substances"_s, u"PAR"_s, u"MolMass"_s), 260);
    EXPECT_FALSE(Enabled(*editor, u"btnSave"_s));
}

// Save and Undo light at a keystroke, so a typed value can be saved, and go dark again when the value is
// refused; a stored value keeps them lit.
TEST_F(SubstanceEditorTest, SaveAndUndoLightOnlyForAStoredChange) {
    Select(u"PAR"_s);
    const auto lit = [this] { return Enabled(*editor, u"btnSave"_s) || Enabled(*editor, u"btnUndo"_s); };
    EXPECT_FALSE(lit());
    auto* edit = Find<QLineEdit>(*editor, u"edtMolMass"_s);
    edit->setFocus();
    QTest::keyClicks(edit, u"x"_s);
    EXPECT_TRUE(lit()) << "a keystroke";
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(ui.Take().size(), 1);
    EXPECT_FALSE(lit()) << "a refused value";
    Enter(*editor, u"edtMolMass"_s, u"5"_s);
    EXPECT_EQ(ui.Take().size(), 1);
    EXPECT_FALSE(lit()) << "a value out of range";
    Enter(*editor, u"edtMolMass"_s, u"250"_s);
    EXPECT_TRUE(Enabled(*editor, u"btnSave"_s));
    EXPECT_TRUE(Enabled(*editor, u"btnUndo"_s));
    Click(*editor, u"btnUndo"_s);
    EXPECT_EQ(Text(*editor, u"edtMolMass"_s), u"300.0"_s);
}

// Unticking Parent clears the metabolites' formation data with the parent's Save; Undo takes it back.
TEST_F(SubstanceEditorTest, UntickedParentWaitsForSaveAndUndo) {
    Select(u"PAR"_s);
    Click(*editor, u"cbParent"_s);
    EXPECT_TRUE(Enabled(*editor, u"btnUndo"_s));
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s), 0.5);
    Click(*editor, u"btnUndo"_s);
    EXPECT_TRUE(Find<QCheckBox>(*editor, u"cbParent"_s)->isChecked());
    EXPECT_DOUBLE_EQ(StoredNumber(u"Substance_Macro"_s, u"MET1"_s, u"fconvert"_s), 0.5);
    EXPECT_EQ(Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode1"_s).toString(), u"MET1"_s);

    Click(*editor, u"cbParent"_s);
    ui.Answer(true, u"Save changes?"_s);
    Save();
    EXPECT_TRUE(Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode1"_s).isNull());
    for (const QString& metabolite : {u"MET1"_s, u"MET2"_s}) {
        EXPECT_TRUE(Stored(u"Substance_Macro"_s, metabolite, u"fconvert"_s).isNull()) << metabolite.toStdString();
        EXPECT_TRUE(Stored(u"Substance_Macro"_s, metabolite, u"inform"_s).isNull()) << metabolite.toStdString();
    }
}

// Export... writes the selected substance (or all); Import... takes a file back, a code the library has
// coming in under a new one.
TEST_F(SubstanceEditorTest, ExportAndImportThroughTheButtons) {
    Select(u"LONE"_s);
    const QString file = projectsDir.filePath(u"lone.json"_s);
    ui.Answer(false, u"Export all substances?\n\nNo exports the selected substance LONE only."_s);
    ui.AnswerPath(file);
    Click(*editor, u"btnExport"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Export all substances?\n\nNo exports the selected substance LONE only."_s,
                                           u"Export substances"_s, u"Exported LONE to "_s + file}));
    QFile exported(file);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray json = exported.readAll();
    EXPECT_TRUE(json.contains("\"SubstanceCode\": \"LONE\"") && !json.contains("\"PAR\"")) << json.constData();

    const auto existing = [](const QString& codes) {
        return u"The library has substances with these codes already: %1.\n\nYes replaces them, No imports them "
               u"under new codes (c2_...), Cancel imports nothing."_s.arg(codes);
    };
    ui.AnswerPath(file);
    ui.Answer(false, existing(u"LONE"_s));
    Click(*editor, u"btnImport"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Import substances"_s, existing(u"LONE"_s),
                                           u"Imported from "_s + file + u": 1 added, 0 replaced.\nLONE came in as c2_LONE."_s}));
    EXPECT_EQ(Stored(u"Substances"_s, u"LONE"_s, u"MolMass"_s), Stored(u"Substances"_s, u"c2_LONE"_s, u"MolMass"_s));
    EXPECT_EQ(Stored(u"Substance_PRZM"_s, u"LONE"_s, u"q10fac"_s), Stored(u"Substance_PRZM"_s, u"c2_LONE"_s, u"q10fac"_s));
    Select(u"c2_LONE"_s);

    // Cancelled: nothing asked further.
    ui.AnswerPath(QString());
    Click(*editor, u"btnImport"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Import substances"_s});

    // A code differing only in case is the library's code: asked about, and Cancel imports nothing.
    const QString lower = projectsDir.filePath(u"lower.json"_s);
    QFile lowerFile(lower);
    ASSERT_TRUE(lowerFile.open(QIODevice::WriteOnly));
    lowerFile.write(QByteArray(json).replace("\"SubstanceCode\": \"LONE\"", "\"SubstanceCode\": \"lone\""));
    lowerFile.close();
    const int count = dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt();
    ui.AnswerPath(lower);
    ui.AnswerCancel(existing(u"lone (LONE in the library)"_s));
    Click(*editor, u"btnImport"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Import substances"_s, existing(u"lone (LONE in the library)"_s)}));
    EXPECT_EQ(dm->dbKelvoADO.Select(u"SELECT COUNT(*) FROM Substances"_s).rows[0][0].toInt(), count);
}
