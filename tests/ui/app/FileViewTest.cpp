#include "ui/app/FileView.h"
#include "AppTestSupport.h"
#include "ui/app/HelpSystem.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class FileViewTest : public TKelvoTest {
protected:
    QString WriteReport(const QByteArray& content) {
        const QString fileName = dir.filePath(u"proj1_report.txt"_s);
        QFile file(fileName);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return fileName;
    }

    QTemporaryDir dir;
    const QByteArray report = "* KELVO report of project proj1\r\n* Substance: Dummy A \xB0"
                              "C\r\n"
                              "00001d_pa  D1  Cereals, winter   1st  focus_ditch\r\n";
};

QPlainTextEdit* Text(QWidget* view) {
    return view->findChild<QPlainTextEdit*>(u"RichEdit1"_s);
}

TEST_F(FileViewTest, ShowsTheFileReadOnlyInAFixedFontUnderItsPath) {
    const QString fileName = WriteReport(report);
    TfrmFileView view;
    EXPECT_EQ(view.windowTitle(), u"File Viewer"_s);
    EXPECT_EQ(HelpContextFor(&view), 11);
    view.LoadFile(fileName);
    EXPECT_EQ(view.windowTitle(), u"File view of: "_s + fileName);
    EXPECT_EQ(view.Path(), fileName);
    QPlainTextEdit* text = Text(&view);
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(text->toPlainText(), QString::fromLatin1(report).remove(u'\r'));
    // Monospaced by the glyphs' advances: a font's fixed-pitch flag is not reliable.
    const QFontMetricsF metrics(text->font());
    for (const QChar glyph : u"iW.M 0|"_s)
        EXPECT_EQ(metrics.horizontalAdvance(glyph), metrics.horizontalAdvance(u'x')) << glyph.toLatin1();
    EXPECT_EQ(text->font().pointSize(), 8);
}

TEST_F(FileViewTest, MissingFileGivesTheWarningAndAnEmptyViewer) {
    const QString missing = dir.filePath(u"gone_report.txt"_s);
    TfrmFileView view;
    view.LoadFile(WriteReport(report));
    view.LoadFile(missing);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"File: \"%1\" not found"_s.arg(missing)});
    EXPECT_EQ(view.Path(), QString());
    EXPECT_EQ(Text(&view)->toPlainText(), QString());
}

TEST_F(FileViewTest, ShowFileViewOpensMaximisedAndModalEvenWithoutTheFileAndClosesWithClose) {
    bool seen = false;
    AnswerModal([&](QWidget* modal) {
        EXPECT_TRUE(modal->windowState() & Qt::WindowMaximized);
        EXPECT_EQ(modal->windowTitle(), u"File Viewer"_s);
        seen = true;
        auto* close = modal->findChild<QPushButton*>(u"btnClose"_s);
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(close->text(), u"Close"_s);
        QTest::mouseClick(close, Qt::LeftButton);
        EXPECT_FALSE(modal->isVisible());
    });
    ShowFileView(dir.filePath(u"none.txt"_s));
    EXPECT_TRUE(seen);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"File: \"%1\" not found"_s.arg(dir.filePath(u"none.txt"_s))});
}

// The page boxes of a PDF: width and height in points.
QList<QSizeF> PdfPages(const QString& fileName) {
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QString pdf = QString::fromLatin1(file.readAll());
    QList<QSizeF> pages;
    for (const auto& m : QRegularExpression(uR"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])"_s).globalMatch(pdf))
        pages << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    return pages;
}

TEST_F(FileViewTest, PrintsTheTextInLandscapeUnderItsPath) {
    const QString fileName = WriteReport(report.repeated(60));
    TfrmFileView view;
    view.LoadFile(fileName);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"report.pdf"_s));
    view.PrintTo(printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printer.docName(), fileName);
    const QList<QSizeF> pages = PdfPages(dir.filePath(u"report.pdf"_s));
    ASSERT_GE(pages.size(), 2) << "180 lines do not fit one page";
    for (const QSizeF& page : pages)
        EXPECT_GT(page.width(), page.height());
}

TEST_F(FileViewTest, PrintButtonPrintsOnThePrinterChosen) {
    TfrmFileView view;
    view.LoadFile(WriteReport(report));
    view.show();
    const QString pdf = dir.filePath(u"chosen.pdf"_s);
    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        // The user chooses printing to a PDF file and types its name.
        auto* printers = dialog->findChild<QComboBox*>(u"printers"_s);
        ASSERT_NE(printers, nullptr);
        const int toPdf = printers->findText(u"PDF"_s, Qt::MatchContains);
        ASSERT_GE(toPdf, 0);
        printers->setCurrentIndex(toPdf);
        auto* fileName = dialog->findChild<QLineEdit*>(u"filename"_s);
        ASSERT_NE(fileName, nullptr);
        fileName->clear();
        QTest::keyClicks(fileName, pdf);
        dialog->accept();
    });
    QTest::mouseClick(view.findChild<QPushButton*>(u"btnNotepad"_s), Qt::LeftButton);
    const QList<QSizeF> pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_GT(pages[0].width(), pages[0].height());
}

TEST_F(FileViewTest, PrintButtonAsksThePrinterInLandscapeAndPrintsNothingWhenCancelled) {
    TfrmFileView view;
    view.LoadFile(WriteReport(report));
    view.show();
    bool asked = false;
    AnswerModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->printer()->pageLayout().orientation(), QPageLayout::Landscape);
        EXPECT_EQ(dialog->printer()->docName(), view.Path());
        asked = true;
        dialog->reject();
    });
    QTest::mouseClick(view.findChild<QPushButton*>(u"btnNotepad"_s), Qt::LeftButton);
    EXPECT_TRUE(asked);
}

} // namespace
