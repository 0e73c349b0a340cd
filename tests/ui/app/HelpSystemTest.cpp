#include "ui/app/HelpSystem.h"
#include "AppTestSupport.h"
#include "ui/app/HelpWindow.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

class HelpSystemTest : public TKelvoTest {
protected:
    void TearDown() override {
        delete HelpWindow();
        TKelvoTest::TearDown();
    }

    static THelpWindow* HelpWindow() {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* help = qobject_cast<THelpWindow*>(w)) return help;
        return nullptr;
    }

    TProgramDir program;
};

// Every help context a window of Kelvo gives.
const int WindowContexts[] = {2, 3, 5, 6, 11, 12, 13, 14, 16, 17, 18, 19, 21, 22, 24, 25, 26, 28, 31};

// The help names the buttons as the windows show them, and each topic stands under its own heading.
TEST_F(HelpSystemTest, HelpNamesTheButtonsAsShownAndKeepsTopicsUnderTheirHeadings) {
    QFile file(DataSourceFile(u"KELVO.HLP"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    const auto section = [&html](const QString& anchor) {
        const qsizetype start = html.indexOf(u"<a name=\"%1\">"_s.arg(anchor));
        const qsizetype end = html.indexOf(u"<h2>"_s, start);
        return html.mid(start, end - start);
    };
    const QString editor = section(u"ctx-5"_s);
    for (const QString& button : {u"New"_s, u"Copy"_s, u"Save"_s, u"Undo"_s, u"Remove"_s, u"set Metabolites"_s})
        EXPECT_TRUE(editor.contains(u"<b>%1</b>"_s.arg(button))) << button.toStdString();
    EXPECT_FALSE(editor.contains(u"<b>Delete</b>"_s));
    EXPECT_TRUE(section(u"ctx-19"_s).contains(u"<a name=\"fileview\">"_s)) << "the report viewer belongs to the projects";
    EXPECT_FALSE(section(u"ctx-11"_s).contains(u"<h3>"_s)) << "nothing else under Sorption";
}

TEST_F(HelpSystemTest, HelpFileHasATopicForEveryContextAndEveryLinkLeadsSomewhere) {
    QFile file(DataSourceFile(u"KELVO.HLP"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    std::set<QString> anchors;
    for (const auto& m : QRegularExpression(uR"re(<a name="([^"]+)")re"_s).globalMatch(html))
        EXPECT_TRUE(anchors.insert(m.captured(1)).second) << "anchor twice: " << m.captured(1).toStdString();
    EXPECT_TRUE(anchors.count(u"contents"_s));
    for (int context : WindowContexts)
        EXPECT_TRUE(anchors.count(u"ctx-%1"_s.arg(context))) << "no topic for help context " << context;
    std::set<QString> linked;
    for (const auto& m : QRegularExpression(uR"re(href="#([^"]+)")re"_s).globalMatch(html)) {
        EXPECT_TRUE(anchors.count(m.captured(1))) << "link to nowhere: #" << m.captured(1).toStdString();
        linked.insert(m.captured(1));
    }
    for (const QString& anchor : anchors) {
        if (anchor != u"contents"_s) {
            EXPECT_TRUE(linked.count(anchor)) << "not linked from anywhere: " << anchor.toStdString();
        }
    }
}

TEST_F(HelpSystemTest, ContextOfAWidgetIsFoundOnItsPageOrWindow) {
    QWidget window;
    SetHelpContext(&window, 2);
    auto* tabs = new QTabWidget(&window);
    auto* actions = new QWidget;
    auto* information = new QWidget;
    SetHelpContext(actions, 3);
    SetHelpContext(information, 21);
    tabs->addTab(actions, u" Actions "_s);
    tabs->addTab(information, u" Information "_s);
    auto* field = new QLineEdit(information);
    auto* stack = new QStackedWidget(&window);
    auto* plainPage = new QWidget;
    stack->addWidget(plainPage);
    auto* loose = new QLineEdit(&window);
    QDialog ownedDialog(&window);
    auto* dialogField = new QLineEdit(&ownedDialog);
    QWidget bare;

    EXPECT_EQ(HelpContextFor(&window), 2);
    EXPECT_EQ(HelpContextFor(field), 21) << "inside a page: the page's context";
    EXPECT_EQ(HelpContextFor(tabs->tabBar()), 3) << "the tab bar: the current page's context";
    tabs->setCurrentIndex(1);
    EXPECT_EQ(HelpContextFor(tabs->tabBar()), 21);
    EXPECT_EQ(HelpContextFor(plainPage), 2) << "a page without context: its window's";
    EXPECT_EQ(HelpContextFor(loose), 2);
    EXPECT_EQ(HelpContextFor(dialogField), 2) << "a dialog without context: its owner's";
    SetHelpContext(&ownedDialog, 28);
    EXPECT_EQ(HelpContextFor(dialogField), 28);
    EXPECT_EQ(HelpContextFor(&bare), 0);
    EXPECT_EQ(HelpContextFor(nullptr), 0);
}

TEST_F(HelpSystemTest, OpensTheHelpWindowAtTheTopicOfAContextOrElseTheContents) {
    const struct {
        int context;
        QString anchor;
    } cases[] = {{17, u"ctx-17"_s}, {28, u"ctx-28"_s}, {0, u"contents"_s}, {99, u"contents"_s}};
    for (const auto& c : cases) {
        ShowHelp(c.context);
        THelpWindow* help = HelpWindow();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_EQ(help->Anchor(), c.anchor) << c.context;
        EXPECT_EQ(QApplication::allWidgets().count(help), 1);
    }
    ShowHelp(31);
    auto* browser = HelpWindow()->findChild<QTextBrowser*>(u"txtHelp"_s);
    EXPECT_TRUE(browser->toPlainText().contains(u"Chemical application methods (CAM)"_s));
    QTest::mouseClick(HelpWindow()->findChild<QPushButton*>(u"btnContents"_s), Qt::LeftButton);
    EXPECT_EQ(HelpWindow()->Anchor(), u"contents"_s);
    QTest::mouseClick(HelpWindow()->findChild<QPushButton*>(u"btnBack"_s), Qt::LeftButton);
    EXPECT_EQ(HelpWindow()->Anchor(), u"ctx-31"_s);
}

TEST_F(HelpSystemTest, F1OpensTheTopicOfTheFocusedWindowOrPage) {
    InstallHelpKey();
    QWidget window;
    SetHelpContext(&window, 19);
    auto* field = new QLineEdit(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_F1);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(HelpWindow()->Anchor(), u"ctx-19"_s);
    EXPECT_EQ(field->text(), QString()) << "the key goes to the help system only";
}

TEST_F(HelpSystemTest, HelpOverAModalWindowBelongsToIt) {
    QDialog modal;
    SetHelpContext(&modal, 16);
    modal.open();
    ShowHelp(HelpContextFor(&modal));
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(HelpWindow()->parentWidget(), &modal) << "a modal window would block help of its own";
    EXPECT_EQ(HelpWindow()->Anchor(), u"ctx-16"_s);
    modal.close();
}

TEST_F(HelpSystemTest, MissingOrDamagedHelpFileGivesAWarningAndNoWindow) {
    QFile::remove(program.File(u"KELVO.HLP"_s));
    ShowHelpContents();
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Help file not found: "_s + program.File(u"KELVO.HLP"_s)});
    EXPECT_EQ(HelpWindow(), nullptr);

    const QByteArray damaged[] = {QByteArray("\x89PNG\r\n\x1a\n\xff\xfe\x00", 11),
                                  QByteArray("<html><body><h1>Help</h1></body></html>")};
    for (const QByteArray& content : damaged) {
        QFile file(program.File(u"KELVO.HLP"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        ShowHelp(17);
        const auto shown = ui.Take();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0].kind, TScriptedUserInterface::TKind::Warning);
        EXPECT_EQ(shown[0].text, u"The help file %1 is damaged: it has no table of contents."_s.arg(
                                     program.File(u"KELVO.HLP"_s)));
        EXPECT_EQ(HelpWindow(), nullptr);
    }
}

} // namespace
