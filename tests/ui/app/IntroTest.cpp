#include "ui/app/Intro.h"
#include "AppTestSupport.h"
#include "foundation/Errors.h"
#include "ui/Guard.h"
#include "ui/app/RtfReader.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

class RtfReaderTest : public TKelvoTest {};

QString Read(const QByteArray& rtf, QTextDocument* document) {
    ReadRtf(rtf, document);
    return document->toPlainText();
}

// The character format at the first occurrence of a word.
QTextCharFormat FormatAt(QTextDocument& document, const QString& word) {
    QTextCursor cursor = document.find(word);
    EXPECT_FALSE(cursor.isNull()) << word.toStdString();
    return cursor.charFormat();
}

TEST_F(RtfReaderTest, ReadsParagraphsAndTheCharactersOfTheText) {
    const struct {
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"{\\rtf1 one\\par two\\par}", u"one\ntwo\n"_s},
        {"{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}text}", u"text"_s},
        {"{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}kept}", u"kept"_s},
        {"{\\rtf1 a\\\\b\\{c\\}}", u"a\\b{c}"_s},
        {"{\\rtf1 caf\\'e9 Jailli\\'e8re}", u"caf\u00e9 Jailli\u00e8re"_s},
        {"{\\rtf1 x\\u8211-y \\u8364?z}", u"x\u2013y \u20acz"_s},
        {"{\\rtf1 word\r\nbroken}", u"wordbroken"_s},
        {"{\\rtf1 \\unknownword12 plain}", u"plain"_s},
    };
    for (const auto& c : cases) {
        QTextDocument document;
        EXPECT_EQ(Read(c.rtf, &document), c.text) << c.rtf.toStdString();
    }
}

TEST_F(RtfReaderTest, LineBreaksAndTabsStayInTheParagraph) {
    QTextDocument document;
    ReadRtf("{\\rtf1 first\\line second\\tab third}", &document);
    EXPECT_EQ(document.blockCount(), 1);
    EXPECT_EQ(document.begin().text(), u"first\u2028second\tthird"_s);
}

TEST_F(RtfReaderTest, ReadsBoldItalicSizeAndAlignment) {
    QTextDocument document;
    Read("{\\rtf1\\pard\\qc\\b\\fs36 Title\\par\\pard\\plain\\fs20 small {\\i slanted} \\b bold\\b0  normal"
         "{\\fs40 big} back\\par}",
         &document);
    EXPECT_TRUE(FormatAt(document, u"Title"_s).font().bold());
    EXPECT_DOUBLE_EQ(FormatAt(document, u"Title"_s).fontPointSize(), 18.0);
    EXPECT_EQ(document.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(document.begin().next().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft)
        << "\\pard resets the alignment";

    EXPECT_FALSE(FormatAt(document, u"small"_s).font().bold()) << "\\plain resets bold";
    EXPECT_DOUBLE_EQ(FormatAt(document, u"small"_s).fontPointSize(), 10.0);
    EXPECT_TRUE(FormatAt(document, u"slanted"_s).fontItalic());
    EXPECT_FALSE(FormatAt(document, u"bold"_s).fontItalic()) << "a group's end restores the format";
    EXPECT_TRUE(FormatAt(document, u"bold"_s).font().bold());
    EXPECT_FALSE(FormatAt(document, u"normal"_s).font().bold());
    EXPECT_DOUBLE_EQ(FormatAt(document, u"big"_s).fontPointSize(), 20.0);
    EXPECT_DOUBLE_EQ(FormatAt(document, u"back"_s).fontPointSize(), 10.0);
}

TEST_F(RtfReaderTest, RefusesTextThatIsNotRichTextOrDoesNotBalance) {
    const QByteArray cases[] = {"plain text", "", "{\\rtf1 open", "{\\rtf1 closed}}"};
    for (const QByteArray& rtf : cases) {
        QTextDocument document;
        EXPECT_THROW(ReadRtf(rtf, &document), EKelvoError) << rtf.toStdString();
    }
}

class IntroTest : public TKelvoTest {
protected:
    TProgramDir program;
};

TEST_F(IntroTest, ShowsTheIntroductionReadOnlyAndClosesWithClose) {
    bool checked = false;
    AnswerModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), u"Introduction to KELVO"_s);
        auto* text = modal->findChild<QTextEdit*>(u"edtIntro"_s);
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->isReadOnly());
        EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QTextDocument* document = text->document();
        EXPECT_TRUE(document->toPlainText().startsWith(u"Introduction to KELVO\n"_s));
        for (const QString& word : {u"MACRO"_s, u"PRZM"_s, u"TOXSWA"_s, u"D1"_s, u"R4"_s})
            EXPECT_TRUE(FormatAt(*document, word).font().bold()) << word.toStdString();
        EXPECT_GT(document->blockCount(), 30);
        EXPECT_GT(text->verticalScrollBar()->maximum(), 0) << "more than one screen";
        EXPECT_EQ(text->verticalScrollBar()->value(), 0) << "it opens at its start";
        EXPECT_EQ(text->textCursor().position(), 0);
        QTest::mouseClick(modal->findChild<QPushButton*>(u"btnClose"_s), Qt::LeftButton);
        checked = true;
    });
    ShowIntro(nullptr);
    EXPECT_TRUE(checked);
}

TEST_F(IntroTest, IntroductionIsFoundWhateverTheWorkingDirectory) {
    QTemporaryDir elsewhere;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    EXPECT_NO_THROW(TfrmIntro{});
    QDir::setCurrent(before);
}

TEST_F(IntroTest, MissingIntroductionFileStopsTheWindowWithTheFileError) {
    ASSERT_TRUE(QFile::remove(program.File(u"KelvoIntro.rtf"_s)));
    bool shown = false;
    EXPECT_FALSE(Guarded([&] {
        ShowIntro(nullptr);
        shown = true;
    }));
    EXPECT_FALSE(shown);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Cannot open file \"%1\". No such file or directory"_s.arg(
                                  program.File(u"KelvoIntro.rtf"_s))});
}

} // namespace
