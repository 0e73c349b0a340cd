#include "ScreensTest.h"

#include "domain/ProjectDirectoryRebuild.h"
#include "foundation/Installation.h"
#include "ui/bound/DBNavigator.h"
#include "ui/screens/Main.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// The project browser over "Alpha" and "Beta", driven by clicks.
class MainTest : public TScreensTest {
protected:
    void SetUp() override {
        TScreensTest::SetUp();
        if (HasFatalFailure()) return;
        SetModelAvailable(TModelKind::Przm, true);
        SetModelAvailable(TModelKind::Macro, false);
        Open();
    }
    void TearDown() override {
        main.reset();
        SetModelAvailable(TModelKind::Przm, false);
        TScreensTest::TearDown();
    }
    void Open() {
        main = std::make_unique<TfrmMain>();
        main->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }

    QTableView* Projects() { return Control<QTableView>(main.get(), u"grdProjects"_s); }
    QTableView* Runs() { return Control<QTableView>(main.get(), u"grdRuns"_s); }
    void Click(const QString& button) {
        QTest::mouseClick(Control<QAbstractButton>(main.get(), button), Qt::LeftButton);
    }
    QString CurrentProject() { return Projects()->currentIndex().siblingAtColumn(0).data().toString(); }
    QStringList Selected(int projectId) {
        return Column(u"SELECT coalesce(Selected, '') FROM Runs WHERE ProjectID = ? ORDER BY RunID"_s,
                      {projectId});
    }
    QString Saved(int project) const { return u"Saved all files at subdirectory "_s + paths[project]; }
    QString Overwrite(int project) const {
        return u"Are you sure you want to overwrite existing input files and delete existing output files at "_s +
               paths[project] + u" directories?"_s;
    }

    // Answers the export dialog with OK after checking its boxes.
    void ExportWith(bool przm, bool macro, int project = 1) {
        AnswerModal([this, przm, macro, project](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), u"Create project files"_s);
            EXPECT_EQ(Control<QLabel>(modal, u"pnlPath"_s)->text(), paths[project]);
            const auto* cbPRZM = Control<QCheckBox>(modal, u"cbPRZM"_s);
            const auto* cbMACRO = Control<QCheckBox>(modal, u"cbMACRO"_s);
            EXPECT_EQ(cbPRZM->isChecked(), przm);
            EXPECT_EQ(cbPRZM->isEnabled(), przm);
            EXPECT_EQ(cbMACRO->isChecked(), macro);
            EXPECT_EQ(cbMACRO->isEnabled(), macro);
            EXPECT_TRUE(Control<QCheckBox>(modal, u"cbTOXSWA"_s)->isChecked());
            EXPECT_FALSE(Control<QCheckBox>(modal, u"cbTOXSWA"_s)->isEnabled());
            QTest::mouseClick(Control<QPushButton>(modal, u"btnOK"_s), Qt::LeftButton);
        });
        Click(u"btnReport"_s);
    }

    std::unique_ptr<TfrmMain> main;
};

TEST_F(MainTest, ShowsTheNewestProjectWithItsRunsUnderTheirCaptions) {
    EXPECT_EQ(main->windowTitle(), u"Overview of composed projects"_s);
    EXPECT_EQ(Headers(Projects()), (QStringList{u"Name"_s, u"Description"_s, u"Substance Code"_s,
                                                u"Created"_s, u"Modified"_s, u"Path"_s}));
    EXPECT_EQ(Headers(Runs()), (QStringList{u"ID"_s, u"Crop"_s, u"No in Season"_s, u"Scenario"_s,
                                            u"WaterbodyType"_s, u"#Appls."_s, u"Selected for Report"_s,
                                            u"Step 4"_s}));
    EXPECT_EQ(CurrentProject(), u"Beta"_s);
    EXPECT_EQ(Projects()->currentIndex().row(), Projects()->model()->rowCount() - 1);
    QStringList runs = GridColumn(Runs(), 0);
    runs.sort();
    EXPECT_EQ(runs, Column(u"SELECT RunID FROM Runs WHERE ProjectID = ? ORDER BY RunID"_s, {ids[1]}));
    EXPECT_EQ(Runs()->toolTip(), u"double click to select/unselect for report"_s);
    // Dates are shown as dates, without a time of day.
    for (const int column : {3, 4})
        for (const QString& date : GridColumn(Projects(), column))
            EXPECT_TRUE(QRegularExpression(u"^\\d{4}-\\d{2}-\\d{2}$"_s).match(date).hasMatch()) << date.toStdString();

    // Moving to "Alpha" shows its runs.
    QTest::mouseClick(Projects()->viewport(), Qt::LeftButton, {},
                      CellCentre(Projects(), GridColumn(Projects(), 0).indexOf(u"Alpha"_s), 0));
    EXPECT_EQ(CurrentProject(), u"Alpha"_s);
    runs = GridColumn(Runs(), 0);
    runs.sort();
    EXPECT_EQ(runs, Column(u"SELECT RunID FROM Runs WHERE ProjectID = ? ORDER BY RunID"_s, {ids[0]}));
}

// The "Step 4" column sums up each run's mitigation and stays empty for a run at Step 3.
TEST_F(MainTest, TheRunsGridShowsEachRunsStep4Mitigation) {
    const QStringList ids = GridColumn(Runs(), 0);
    ASSERT_GE(ids.size(), 3);
    const struct {
        QVariant buffer;
        QVariant reduction;
        QString shown;
    } cases[] = {{10.0, 75, u"10 m, 75 %"_s}, {12.5, QVariant(), u"12.5 m"_s}, {QVariant(), 50, u"FOCUS, 50 %"_s}};
    QStringList expected(ids.size(), QString());
    int row = 0;
    for (const auto& c : cases) {
        while (!ids[row].endsWith(u"_pa"_s))
            ++row;
        db().Execute(u"UPDATE Runs SET BufferDistance = ?, DriftReduction = ? WHERE RunID = ?"_s,
                     {c.buffer, c.reduction, ids[row]});
        expected[row++] = c.shown;
    }
    dm->tblRuns.refresh();
    EXPECT_EQ(GridColumn(Runs(), 7), expected);
}

// A double click or Space toggles the current run's "Selected for Report"; twice leaves it as it was.
TEST_F(MainTest, DoubleClickOrSpaceTogglesTheRunAndTwiceLeavesItAsItWas) {
    const struct {
        const char* name;
        int row;
        std::function<void(int)> toggle;
    } ways[] = {
        {"double click", 0,
         [this](int row) {
             QTest::qWait(QApplication::doubleClickInterval() + 50);
             QTest::mouseDClick(Runs()->viewport(), Qt::LeftButton, {}, CellCentre(Runs(), row, 0));
         }},
        {"Space", 1, [this](int) { QTest::keyClick(Runs(), Qt::Key_Space); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        const QString runId = GridColumn(Runs(), 0).value(way.row);
        const auto stored = [&] {
            return Value(u"SELECT coalesce(Selected, '') FROM Runs WHERE RunID = ?"_s, {runId}).toString();
        };
        const QString before = stored();
        ClickCell(Runs(), way.row, 0);
        way.toggle(way.row);
        EXPECT_EQ(stored(), before.isEmpty() ? u"Yes"_s : QString());
        EXPECT_EQ(GridColumn(Runs(), 6).value(way.row), stored());
        way.toggle(way.row);
        EXPECT_EQ(stored(), before);
    }
}

TEST_F(MainTest, SelectAllRunsSetsOrEmptiesEveryRunOfTheProjectOnly) {
    const QStringList alpha = Selected(ids[0]);
    auto* cbSelect = Control<QCheckBox>(main.get(), u"cbSelect"_s);
    EXPECT_TRUE(cbSelect->isChecked());
    Click(u"cbSelect"_s);
    for (const QString& selected : Selected(ids[1]))
        EXPECT_EQ(selected, QString());
    for (const QString& shown : GridColumn(Runs(), 6))
        EXPECT_EQ(shown, QString());
    Click(u"cbSelect"_s);
    for (const QString& selected : Selected(ids[1]))
        EXPECT_EQ(selected, u"Yes"_s);
    EXPECT_EQ(Selected(ids[0]), alpha);
}

TEST_F(MainTest, RemoveRunDeletesTheCurrentRunAfterTheQuestion) {
    const int before = Value(u"SELECT count(*) FROM Runs WHERE ProjectID = ?"_s, {ids[1]}).toInt();
    ClickCell(Runs(), 0, 0);
    const QString runId = GridColumn(Runs(), 0).value(0);
    ui.Answer(false, u"Are you sure?"_s);
    Click(u"btnRemoveRun"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Are you sure?"_s});
    EXPECT_EQ(Value(u"SELECT count(*) FROM Runs WHERE ProjectID = ?"_s, {ids[1]}).toInt(), before);

    ui.Answer(true, u"Are you sure?"_s);
    Click(u"btnRemoveRun"_s);
    ui.TakeTexts();
    EXPECT_EQ(Value(u"SELECT count(*) FROM Runs WHERE RunID = ?"_s, {runId}).toInt(), 0);
    EXPECT_FALSE(GridColumn(Runs(), 0).contains(runId));
}

TEST_F(MainTest, WithoutRunsRemoveAndEditSayNoRunsAvailable) {
    db().Execute(u"DELETE FROM Runs WHERE ProjectID = ?"_s, {ids[1]});
    // Moving away and back reads the runs of "Beta" again.
    auto* navigator = Control<TDBNavigator>(main.get(), u"DBNavigator1"_s);
    QTest::mouseClick(navigator->button(TDBNavigator::First), Qt::LeftButton);
    QTest::mouseClick(navigator->button(TDBNavigator::Last), Qt::LeftButton);
    ASSERT_EQ(CurrentProject(), u"Beta"_s);
    EXPECT_EQ(Runs()->model()->rowCount(), 0);
    Click(u"btnRemoveRun"_s);
    Click(u"btnEdit"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"No runs available."_s, u"No runs available."_s}));
}

TEST_F(MainTest, ExportWritesTheChosenFilesAndAsksBeforeOverwriting) {
    ExportWith(true, false);
    EXPECT_EQ(ui.TakeTexts(), QStringList{Saved(1)});
    EXPECT_TRUE(QFileInfo::exists(paths[1] + u"/Beta_report.txt"_s));
    EXPECT_FALSE(QDir(paths[1] + u"/PRZM"_s).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    EXPECT_FALSE(QFileInfo::exists(paths[0] + u"/Alpha_report.txt"_s));

    // The user's own file in the earlier export stays when the overwrite is declined.
    QFile output(paths[1] + u"/TOXSWA/output.txt"_s);
    ASSERT_TRUE(output.open(QIODevice::WriteOnly));
    output.close();
    ui.Answer(false, Overwrite(1));
    ExportWith(true, false);
    EXPECT_EQ(ui.TakeTexts(), QStringList{Overwrite(1)});
    EXPECT_TRUE(output.exists());

    // PRZM unavailable: offered unchecked and disabled, and no PRZM files are written.
    SetModelAvailable(TModelKind::Przm, false);
    ui.Answer(true, Overwrite(1));
    ExportWith(false, false);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{Overwrite(1), Saved(1)}));
    EXPECT_FALSE(output.exists());
    EXPECT_TRUE(QDir(paths[1] + u"/PRZM"_s).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    EXPECT_TRUE(QFileInfo::exists(paths[1] + u"/Beta_report.txt"_s));
}

// Exports and edits keep the list in the order of creation, and the project clicked stays current.
TEST_F(MainTest, TheProjectListKeepsTheOrderOfCreation) {
    const QStringList created = {u"Alpha"_s, u"Beta"_s};
    ASSERT_EQ(GridColumn(Projects(), 0), created);
    for (const int project : {0, 1, 0}) {
        ClickCell(Projects(), project, 0);
        ASSERT_EQ(CurrentProject(), created[project]);
        if (QFileInfo::exists(paths[project] + u"/TOXSWA"_s)) ui.Answer(true, Overwrite(project));
        ExportWith(true, false, project);
        EXPECT_EQ(ui.TakeTexts().last(), Saved(project));
        EXPECT_EQ(GridColumn(Projects(), 0), created);
        EXPECT_EQ(CurrentProject(), created[project]);
        AnswerModal([](QWidget* modal) {
            QTest::mouseClick(Control<QPushButton>(modal, u"btnOK"_s), Qt::LeftButton);
        });
        Click(u"btnEdit"_s);
        EXPECT_EQ(GridColumn(Projects(), 0), created);
        EXPECT_EQ(CurrentProject(), created[project]);
    }
    ClickCell(Projects(), 1, 0);
    EXPECT_EQ(CurrentProject(), u"Beta"_s);
    main.reset();
    Open();
    EXPECT_EQ(CurrentProject(), u"Beta"_s) << "opens on the newest";
}

// The copy's name and description are checked while the dialog is open: a refused one stays there for
// correction, and a suggestion too long for a project is shown whole with a message.
TEST_F(MainTest, CopyRefusesANameWhileTheDialogIsOpen) {
    const QString longDescription = QString(95, u'd');
    db().Execute(u"UPDATE Projects SET Name = 'LongProjectNameX', Description = ? WHERE ProjectID = ?"_s,
                 {longDescription, ids[1]});
    main.reset();
    Open();
    const QString tooLong = u"Copy_of_LongProjectNameX"_s;
    struct TTry {
        QString name;
        QString refusal;
    } tries[] = {
        {QString(), u"Enter project name"_s},
        {u"Alpha"_s, u"Project name already exists"_s},
    };
    AnswerModal([&](QWidget* modal) {
        auto* name = Control<QLineEdit>(modal, u"edtNameNew"_s);
        EXPECT_EQ(name->text(), tooLong);
        EXPECT_EQ(ui.TakeTexts(),
                  QStringList{u"The name "_s + tooLong + u" is longer than 20 characters: please shorten it."_s});
        auto* ok = Control<QPushButton>(modal, u"btnOK"_s);
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_EQ(ui.TakeTexts(),
                  QStringList{u"The name "_s + tooLong + u" is longer than 20 characters: please shorten it."_s});
        for (const TTry& t : tries) {
            name->selectAll();
            QTest::keyClick(name, Qt::Key_Delete);
            QTest::keyClicks(name, t.name);
            QTest::mouseClick(ok, Qt::LeftButton);
            EXPECT_EQ(ui.TakeTexts(), QStringList{t.refusal});
            EXPECT_TRUE(modal->isVisible());
            EXPECT_EQ(name->text(), t.name);
        }
        name->setCursorPosition(name->text().size());
        QTest::keyClicks(name, u"2"_s);
        QTest::mouseClick(ok, Qt::LeftButton);
        auto* description = Control<QLineEdit>(modal, u"edtDescNew"_s);
        EXPECT_EQ(ui.TakeTexts(),
                  QStringList{u"The project description has 103 characters, more than 100: please shorten it."_s});
        EXPECT_TRUE(modal->isVisible());
        EXPECT_EQ(description->text(), u"Copy_of_"_s + longDescription);
        EXPECT_EQ(modal->focusWidget(), description);
        description->setCursorPosition(description->text().size());
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(description, Qt::Key_Backspace);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    Click(u"btnCopy"_s);
    EXPECT_EQ(ui.TakeTexts().last(), u"New project created: Alpha2"_s);
    EXPECT_EQ(CurrentProject(), u"Alpha2"_s);
    EXPECT_EQ(Value(u"SELECT Description FROM Projects WHERE Name = 'Alpha2'"_s).toString(),
              u"Copy_of_"_s + longDescription.left(92));
}

TEST_F(MainTest, CancelledExportDialogWritesNothing) {
    AnswerModal([](QWidget* modal) {
        QTest::mouseClick(Control<QPushButton>(modal, u"btnCancel"_s), Qt::LeftButton);
    });
    Click(u"btnReport"_s);
    EXPECT_FALSE(QFileInfo::exists(paths[1] + u"/Beta_report.txt"_s));
}

TEST_F(MainTest, CopyStoresTheCopyUnderTheNameEnteredAndMakesItCurrent) {
    AnswerModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), u"Copy Project"_s);
        EXPECT_EQ(Control<QLineEdit>(modal, u"edtName"_s)->text(), u"Beta"_s);
        EXPECT_EQ(Control<QLineEdit>(modal, u"edtDesc"_s)->text(), u"about Beta"_s);
        auto* name = Control<QLineEdit>(modal, u"edtNameNew"_s);
        EXPECT_EQ(name->text(), u"Copy_of_Beta"_s);
        EXPECT_EQ(Control<QLineEdit>(modal, u"edtDescNew"_s)->text(), u"Copy_of_about Beta"_s);
        EXPECT_EQ(modal->focusWidget(), name);
        name->selectAll();
        QTest::keyClicks(name, u"Gamma"_s);
        QTest::mouseClick(Control<QPushButton>(modal, u"btnOK"_s), Qt::LeftButton);
    });
    Click(u"btnCopy"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Created runs: 8"_s, u"New project created: Gamma"_s}));
    EXPECT_EQ(CurrentProject(), u"Gamma"_s);
    const int copyId = Value(u"SELECT ProjectID FROM Projects WHERE Name = 'Gamma'"_s).toInt();
    EXPECT_EQ(Value(u"SELECT count(*) FROM Runs WHERE ProjectID = ?"_s, {copyId}).toInt(),
              Value(u"SELECT count(*) FROM Runs WHERE ProjectID = ?"_s, {ids[1]}).toInt());
    EXPECT_EQ(Runs()->model()->rowCount(),
              Value(u"SELECT count(*) FROM Runs WHERE ProjectID = ?"_s, {copyId}).toInt());

    // Cancel stores nothing.
    AnswerModal([](QWidget* modal) {
        QTest::mouseClick(Control<QPushButton>(modal, u"btnCancel"_s), Qt::LeftButton);
    });
    Click(u"btnCopy"_s);
    EXPECT_EQ(Value(u"SELECT count(*) FROM Projects"_s).toInt(), 3);
}

TEST_F(MainTest, NavigatorDeleteAsksTwiceAndKeepsTheFilesOnNo) {
    ExportWith(true, false);
    ui.TakeTexts();
    auto* navigator = Control<TDBNavigator>(main.get(), u"DBNavigator1"_s);
    ui.Answer(false, u"Remove project: Beta"_s);
    QTest::mouseClick(navigator->button(TDBNavigator::Delete), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Remove project: Beta"_s});
    EXPECT_EQ(Value(u"SELECT count(*) FROM Projects WHERE Name = 'Beta'"_s).toInt(), 1);

    ui.Answer(true, u"Remove project: Beta"_s);
    ui.Answer(false, u"Also delete created files?"_s);
    QTest::mouseClick(navigator->button(TDBNavigator::Delete), Qt::LeftButton);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Remove project: Beta"_s, u"Also delete created files?"_s}));
    EXPECT_EQ(Value(u"SELECT count(*) FROM Projects WHERE Name = 'Beta'"_s).toInt(), 0);
    EXPECT_EQ(Value(u"SELECT count(*) FROM Runs WHERE ProjectID = ?"_s, {ids[1]}).toInt(), 0);
    EXPECT_TRUE(QFileInfo(paths[1]).isDir());
    EXPECT_EQ(GridColumn(Projects(), 0), QStringList{u"Alpha"_s});
}

TEST_F(MainTest, NavigatorDeleteWithItsFilesRemovesTheDirectory) {
    ExportWith(true, false);
    ui.TakeTexts();
    ui.Answer(true, u"Remove project: Beta"_s);
    ui.Answer(true, u"Also delete created files?"_s);
    QTest::mouseClick(Control<TDBNavigator>(main.get(), u"DBNavigator1"_s)->button(TDBNavigator::Delete),
                      Qt::LeftButton);
    using TKind = TScriptedUserInterface::TKind;
    EXPECT_EQ(ui.Take(), (QVector<TScriptedUserInterface::TEntry>{
                             {TKind::DestructiveQuestion, u"Remove project: Beta"_s},
                             {TKind::DestructiveQuestion, u"Also delete created files?"_s},
                             {TKind::Information, u"All created files deleted!"_s}}));
    EXPECT_FALSE(QFileInfo::exists(paths[1]));
    EXPECT_EQ(Value(u"SELECT count(*) FROM ToxswaMap WHERE Name = 'Beta'"_s).toInt(), 0);
}

TEST_F(MainTest, ViewReportWithoutAReportSaysHowToMakeOne) {
    Click(u"btnViewReport"_s);
    EXPECT_EQ(
        ui.TakeTexts(),
        QStringList{u"Report not available. Please create it with aid 'Export FOCUS input...' button"_s});
}

// The report of an export that was killed half way is shown with a warning; a finished one without.
TEST_F(MainTest, ViewReportWarnsOfAnUnfinishedExport) {
    ExportWith(true, false);
    ui.TakeTexts();
    for (const bool unfinished : {false, true}) {
        if (unfinished) {
            QFile marker(paths[1] + u'/' + ExportIncompleteMarker);
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
        QString shown;
        AnswerModal([&shown](QWidget* modal) {
            shown = modal->windowTitle();
            modal->close();
        });
        Click(u"btnViewReport"_s);
        EXPECT_TRUE(shown.contains(u"Beta_report.txt"_s)) << shown.toStdString();
        const QStringList warnings =
            unfinished ? QStringList{u"The last export of this project did not finish: the report may be "
                                     u"incomplete and may not match the model files. Export the project again."_s}
                       : QStringList();
        EXPECT_EQ(ui.TakeTexts(), warnings);
    }
}

TEST_F(MainTest, ClosingClosesTheLists) {
    Click(u"BitBtn1"_s);
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(dm->qryProjects.active());
    EXPECT_FALSE(dm->tblRuns.active());
}

} // namespace

namespace {

// Archive..., Open archive... and Restore...: the current project into an archive, the archive checked,
// and the project recreated from it after it was removed, under another project root.
TEST_F(MainTest, ArchiveOpenArchiveAndRestoreThroughTheButtons) {
    const QString archive = projectsDir.filePath(u"Beta.kelvo.zip"_s);
    ui.AnswerPath(archive);
    Click(u"btnArchive"_s);
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"Archive project Beta"_s, u"Archived project Beta in "_s + archive}));
    ASSERT_TRUE(QFileInfo::exists(archive));

    ui.AnswerPath(archive);
    Click(u"btnOpenArchive"_s);
    const QStringList opened = ui.TakeTexts();
    ASSERT_EQ(2, opened.size());
    EXPECT_TRUE(opened[1].startsWith(archive + u": project Beta, "_s) && opened[1].endsWith(u"every checksum right"_s))
        << opened[1].toStdString();

    // Cancelled: nothing asked further, nothing written.
    ui.AnswerPath(QString());
    Click(u"btnRestore"_s);
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Restore project from archive"_s});

    const QStringList rows = Column(u"SELECT RunID || '|' || coalesce(Selected, '') FROM Runs WHERE ProjectID = ? "
                                    u"ORDER BY RunID"_s,
                                    {ids[1]});
    main.reset();
    db().Execute(u"DELETE FROM Projects WHERE Name = 'Beta'"_s);
    Open();
    const QString root = projectsDir.filePath(u"restored"_s);
    ASSERT_TRUE(QDir().mkpath(root));
    ui.AnswerPath(archive);
    ui.AnswerPath(root);
    Click(u"btnRestore"_s);
    const QStringList restored = ui.TakeTexts();
    ASSERT_EQ(3, restored.size()) << restored.join(u" / "_s).toStdString();
    EXPECT_EQ(u"Restored project Beta from "_s + archive, restored[2]);
    EXPECT_EQ(u"Beta"_s, CurrentProject());
    const QString id = Column(u"SELECT ProjectID FROM Projects WHERE Name = 'Beta'"_s, {}).value(0);
    const QStringList after = Column(u"SELECT RunID || '|' || coalesce(Selected, '') FROM Runs WHERE ProjectID = ? "
                                     u"ORDER BY RunID"_s,
                                     {id});
    EXPECT_EQ(rows.size(), after.size());
    EXPECT_TRUE(QFileInfo::exists(root + u"/Beta/.kelvo-project"_s));
}

} // namespace
