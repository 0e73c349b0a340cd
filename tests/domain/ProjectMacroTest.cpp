#include "ExportTestBase.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

class ProjectMacroTest : public TExportTest {
protected:
    TConnection& db() { return macro->dbMacroADO; }

    void OpenMacro() { ASSERT_TRUE(macro->OpenMacroDatabase()); }

    QVector<TSqlRow> RunRows() {
        return db()
            .Select(
                u"SELECT runid, first_day, last_day, num_apps, min_int, app_method, compound, cropname, "
                u"text_info, location, pathinout, projectname, projectID FROM run WHERE projectname = 'P1' "
                u"ORDER BY runid"_s)
            .rows;
    }
    QVector<TSqlRow> ApplicationRows() {
        return db()
            .Select(u"SELECT RunID, ApplicationNr, Dose FROM applications ORDER BY RunID, ApplicationNr"_s)
            .rows;
    }
};

TEST_F(ProjectMacroTest, OneRowPerRunNumber) {
    OpenMacro();
    db().Execute(u"INSERT INTO run (runid, projectname) VALUES (999, 'P1'), (998, 'P2')"_s);
    project->Description.clear();
    // Number 12: three water bodies and a metabolite; the ditch run speaks for all.
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Pome/stone fruit, early applns"_s,
            .water = u"focus_ditch"_s,
            .method = u"air blast"_s,
            .rates = {0.75, 1.5},
            .first = 90,
            .last = 150,
            .interval = 10});
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Pome/stone fruit, early applns"_s,
            .water = u"focus_pond"_s,
            .rates = {3}});
    AddRun({.number = 12,
            .suffix = u"_m1"_s,
            .location = u"D1"_s,
            .crop = u"Pome/stone fruit, early applns"_s,
            .water = u"focus_ditch"_s,
            .rates = {4}});
    // Number 13: the first run is not selected, the second is written.
    AddRun({.number = 13,
            .suffix = u"_pa"_s,
            .location = u"D2"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s,
            .rates = {5},
            .selected = false});
    AddRun({.number = 13,
            .suffix = u"_pa"_s,
            .location = u"D2"_s,
            .crop = u"Maize"_s,
            .water = u"focus_stream"_s,
            .method = u"spraying by hand"_s,
            .rates = {0.001},
            .first = 1,
            .last = 365,
            .interval = 1});
    // Runoff runs go to PRZM.
    AddRun({.number = 14,
            .suffix = u"_pa"_s,
            .location = u"R1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s});
    AddRun({.number = 15,
            .suffix = u"_pa"_s,
            .location = u"D3"_s,
            .crop = u"Vegetables, root"_s,
            .water = u"focus_ditch"_s,
            .method = u"soil incorporation"_s,
            .cropNr = u"2nd"_s});

    project->ExportMACRORuns();
    EXPECT_EQ(ui.ProgressSteps(), 7);
    const QString macroDir = project->Path + u"/MACRO/"_s;
    const QVector<TSqlRow> expected{
        {12, 90, 150, 2, 10, 1, u"EXAMPLE_P"_s, u"Pome/stone fruit"_s, u"P1"_s, u"D1"_s, macroDir + u"PFE"_s,
         u"P1"_s, 1},
        {13, 1, 365, 1, 1, -1, u"EXAMPLE_P"_s, u"Maize"_s, u"P1"_s, u"D2"_s, macroDir + u"MZ"_s, u"P1"_s, 1},
        {15, 100, 160, 1, 14, 4, u"EXAMPLE_P"_s, u"Vegetables, root"_s, u"P1"_s, u"D3"_s, macroDir + u"VR"_s,
         u"P1"_s, 1},
    };
    EXPECT_EQ(RunRows(), expected);
    EXPECT_EQ(db().Select(u"SELECT runid FROM run WHERE projectname <> 'P1'"_s).rows,
              QVector<TSqlRow>{{998}});
    EXPECT_EQ(ApplicationRows(),
              (QVector<TSqlRow>{{12, 1, 750.0}, {12, 2, 1500.0}, {13, 1, 1.0}, {15, 1, 1000.0}}));
    for (const QString& folder : {u"PFE"_s, u"MZ"_s, u"VR"_s})
        EXPECT_TRUE(QFileInfo(macroDir + folder).isDir()) << folder.toStdString();
}

TEST_F(ProjectMacroTest, ReExportKeepsApplicationsAboveTheNewNumber) {
    TRun& run = AddRun({.number = 12,
                        .suffix = u"_pa"_s,
                        .location = u"D4"_s,
                        .crop = u"Maize"_s,
                        .water = u"focus_ditch"_s,
                        .rates = {1, 2, 3}});
    project->ExportMACRORuns();
    EXPECT_FALSE(macro->dbMacroADO.IsOpen()) << "the export closes what it opened";
    run.NumberOfApps = 2;
    run.SetNumberOfApplications(2);
    run.GetApplication(2)->Rate = 0.5;
    project->ExportMACRORuns();
    OpenMacro();
    EXPECT_EQ(RunRows().size(), 1);
    EXPECT_EQ(RunRows()[0][3].toInt(), 2);
    EXPECT_EQ(ApplicationRows(), (QVector<TSqlRow>{{12, 1, 1000.0}, {12, 2, 500.0}, {12, 3, 3000.0}}));
}

TEST_F(ProjectMacroTest, OnlyRunoffRunsStillRemoveTheProjectsRows) {
    OpenMacro();
    db().Execute(u"INSERT INTO run (runid, projectname) VALUES (7, 'P1')"_s);
    AddRun({.number = 14,
            .suffix = u"_pa"_s,
            .location = u"R1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s});
    project->ExportMACRORuns();
    EXPECT_EQ(RunRows(), QVector<TSqlRow>());
}

TEST_F(ProjectMacroTest, DataModuleOperations) {
    OpenMacro();
    ASSERT_NE(macro->OpenCompoundTable(), nullptr);
    macro->tblCompound.appendRecord({u"A"_s, u"a"_s});
    macro->tblCompound.appendRecord({u"B"_s, u"b"_s});
    TTable* compound = macro->ClearCompoundTable();
    ASSERT_EQ(compound, &macro->tblCompound);
    EXPECT_TRUE(compound->active());
    EXPECT_TRUE(compound->isEmpty());
    TTable* metab = macro->ClearMetabTable();
    ASSERT_EQ(metab, &macro->tblMetab);
    EXPECT_TRUE(metab->isEmpty());
    EXPECT_NO_THROW(macro->RemoveProjectRuns(u"nobody"_s));
    macro->CloseMacroDatabase();
    EXPECT_FALSE(macro->tblCompound.active());

    ASSERT_TRUE(QFile::remove(macro->DatabasePath()));
    EXPECT_FALSE(macro->OpenMacroDatabase());
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Unable to open MACRO database: "_s + InstallDir() +
                                          u"MACRO/pest_focus.sqlite"_s});
}

} // namespace
