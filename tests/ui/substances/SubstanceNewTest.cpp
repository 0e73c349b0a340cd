#include "ui/substances/SubstanceWindowTest.h"

#include "ui/substances/SubstanceNew.h"

#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString InvalidCharacter = u"invalid character (<space> , . / \\ ( ) : ? \" < > | *)"_s;

} // namespace

class NewSubstanceDialogTest : public TSubstanceWindowTest {};

TEST_F(NewSubstanceDialogTest, RefusesInOrderAndKeepsTheDialogOpen) {
    struct TCase {
        QString code;
        QString name;
        QStringList typing; // shown while the code is typed
        QString refusal;
        QString focus;
    };
    const TCase cases[] = {
        {u"  "_s, u"n"_s, {InvalidCharacter}, u"Enter a substance code"_s, u"edtCodeNew"_s},
        {u"A B"_s, u"n"_s, {InvalidCharacter}, InvalidCharacter, u"edtCodeNew"_s},
        {u"A.B"_s, u"n"_s, {InvalidCharacter}, InvalidCharacter, u"edtCodeNew"_s},
        {u"PAR"_s, u"n"_s, {}, u"PAR is not a unique substance code"_s, u"edtCodeNew"_s},
        {u"par"_s, u"n"_s, {}, u"par is not a unique substance code"_s, u"edtCodeNew"_s},
        {u"NEW"_s, u"   "_s, {}, u"Enter a substance name"_s, u"edtNameNew"_s},
    };
    ASSERT_TRUE(dm->OpenSubstanceTables());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        TfrmNewSubstance dialog(*dm);
        Show(dialog);
        EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(dialog, u"edtCodeNew"_s));
        QTest::keyClicks(Find<QLineEdit>(dialog, u"edtCodeNew"_s), c.code);
        EXPECT_EQ(ui.TakeTexts().mid(0, 1), c.typing);
        ui.TakeTexts();
        QTest::keyClicks(Find<QLineEdit>(dialog, u"edtNameNew"_s), c.name);
        Click(dialog, u"btnOK"_s);
        EXPECT_EQ(ui.TakeTexts(), QStringList{c.refusal});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>(dialog, c.focus));
        EXPECT_EQ(Text(dialog, u"edtCodeNew"_s), c.code.trimmed()) << "the trimmed text is shown";
    }
    EXPECT_EQ(Count(u"Substances"_s, u"NEW"_s), 0);
}

TEST_F(NewSubstanceDialogTest, CreatesTheTrimmedSubstanceWithItsThreeRows) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    TfrmNewSubstance dialog(*dm);
    Show(dialog);
    QTest::keyClicks(Find<QLineEdit>(dialog, u"edtCodeNew"_s), u"NEW  "_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{InvalidCharacter, InvalidCharacter}))
        << "said at each blank typed";
    QTest::keyClicks(Find<QLineEdit>(dialog, u"edtNameNew"_s), u"  New one"_s);
    Click(dialog, u"btnOK"_s);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(u"Substances"_s, u"NEW"_s, u"Name"_s).toString(), u"New one"_s);
    EXPECT_EQ(Count(u"Substance_Macro"_s, u"NEW"_s), 1);
    EXPECT_EQ(Count(u"Substance_PRZM"_s, u"NEW"_s), 1);
    EXPECT_TRUE(dm->AskBeforeSave);
    EXPECT_EQ(Find<QLineEdit>(dialog, u"edtCodeNew"_s)->maxLength(), 20);
}

TEST_F(NewSubstanceDialogTest, CancelClosesWithoutAnyTest) {
    ASSERT_TRUE(dm->OpenSubstanceTables());
    TfrmNewSubstance dialog(*dm);
    Show(dialog);
    Click(dialog, u"btnCancel"_s);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
