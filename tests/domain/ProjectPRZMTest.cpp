#include "ExportTestBase.h"

#include <QDirIterator>

using namespace Qt::Literals::StringLiterals;

namespace {

class ProjectPRZMTest : public TExportTest {
protected:
    QString Folder(const QString& name) const { return project->Path + u"/PRZM/"_s + name; }

    // Every file below the project's PRZM directory, relative to it.
    QStringList PRZMFiles() const {
        QStringList files;
        QDirIterator it(project->Path + u"/PRZM"_s, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(project->Path.size() + 6);
        files.sort();
        return files;
    }

    void SetCams(TRun& run, const QStringList& cams) {
        for (int i = 0; i < cams.size(); ++i)
            run.GetApplication(i + 1)->CAM = cams[i];
    }
};

TEST_F(ProjectPRZMTest, SharedFoldersAndVegetableSeasons) {
    // Cereals share one folder over scenarios and water bodies; the later run of a scenario wins it.
    TRun& first = AddRun({.number = 12,
                          .suffix = u"_pa"_s,
                          .location = u"R1"_s,
                          .crop = u"Cereals, winter"_s,
                          .water = u"focus_pond"_s,
                          .rates = {0.5, 1.25},
                          .first = 100,
                          .last = 170});
    SetCams(first, {u"Foliar, linear"_s, u"Foliar, linear"_s});
    first.GetApplication(2)->Depi = 12.5;
    TRun& later = AddRun({.number = 12,
                          .suffix = u"_pa"_s,
                          .location = u"R1"_s,
                          .crop = u"Cereals, winter"_s,
                          .water = u"focus_stream"_s,
                          .rates = {0.5, 1.25},
                          .first = 101,
                          .last = 171});
    SetCams(later, {u"Foliar, linear"_s, u"Foliar, linear"_s});
    TRun& r3 = AddRun({.number = 13,
                       .suffix = u"_pa"_s,
                       .location = u"R3"_s,
                       .crop = u"Cereals, winter"_s,
                       .water = u"focus_ditch"_s,
                       .rates = {0.5, 1.25},
                       .first = 90,
                       .last = 200,
                       .interval = 21});
    SetCams(r3, {u"Foliar, linear"_s, u"Foliar, linear"_s});
    AddRun({.number = 14,
            .suffix = u"_pa"_s,
            .location = u"R4"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_ditch"_s,
            .selected = false});
    AddRun({.number = 15,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_ditch"_s});
    // The two seasons of root vegetables go to folders of their own; an unknown CAM is number 0.
    TRun& root1 = AddRun({.number = 16,
                          .suffix = u"_pa"_s,
                          .location = u"R2"_s,
                          .crop = u"Vegetables, root"_s,
                          .water = u"focus_ditch"_s,
                          .rates = {999}});
    SetCams(root1, {u"no such CAM"_s});
    TRun& root2 = AddRun({.number = 17,
                          .suffix = u"_pa"_s,
                          .location = u"R2"_s,
                          .crop = u"Vegetables, root"_s,
                          .water = u"focus_ditch"_s,
                          .rates = {0.001},
                          .cropNr = u"2nd"_s});
    SetCams(root2, {u"Injected at depth"_s});
    // Only D runs: no folder.
    AddRun({.number = 18,
            .suffix = u"_pa"_s,
            .location = u"D3"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s});

    project->ExportPRZMRuns();
    EXPECT_EQ(ui.ProgressSteps(), 8);
    EXPECT_EQ(PRZMFiles(), (QStringList{u"CW/przm.pzm"_s, u"VR_1st/przm.pzm"_s, u"VR_2nd/przm.pzm"_s}));
    for (const QString& file : PRZMFiles())
        ExpectGolden(ReadAll(project->Path + u"/PRZM/"_s + file), u"przm_folders/"_s + file);
}

TEST_F(ProjectPRZMTest, ConsistencyWarningsKeepTheFirstRunsPattern) {
    TRun& first = AddRun({.number = 12,
                          .suffix = u"_pa"_s,
                          .location = u"R1"_s,
                          .crop = u"Maize"_s,
                          .water = u"focus_ditch"_s,
                          .rates = {1, 1}});
    SetCams(first, {u"Soil surface (4 cm, linear)"_s, u"Foliar, linear"_s});
    TRun& apps = AddRun({.number = 12,
                         .suffix = u"_pa"_s,
                         .location = u"R1"_s,
                         .crop = u"Maize"_s,
                         .water = u"focus_pond"_s,
                         .rates = {2, 2, 2}});
    SetCams(apps, {u"Soil surface (4 cm, linear)"_s, u"Soil surface (4 cm, linear)"_s,
                   u"Soil surface (4 cm, linear)"_s});
    TRun& method = AddRun({.number = 13,
                           .suffix = u"_pa"_s,
                           .location = u"R2"_s,
                           .crop = u"Maize"_s,
                           .water = u"focus_ditch"_s,
                           .method = u"air blast"_s,
                           .rates = {1, 1}});
    SetCams(method, {u"Soil surface (4 cm, linear)"_s, u"Foliar, exponential"_s});

    project->ExportPRZMRuns();
    EXPECT_EQ(
        ui.Take(),
        (QVector<TScriptedUserInterface::TEntry>{
            // within the first run: its second CAM differs from its first
            {TScriptedUserInterface::TKind::Warning, u"Different CAM for RunID: 00012"_s},
            {TScriptedUserInterface::TKind::Warning, u"Different number of applications for RunID: 00012"_s},
            {TScriptedUserInterface::TKind::Warning, u"Different application method for RunID: 00013"_s},
            {TScriptedUserInterface::TKind::Warning, u"Different CAM for RunID: 00013"_s},
        }));
    const QString pzm = QString::fromLatin1(ReadAll(Folder(u"MZ/przm.pzm"_s)));
    EXPECT_TRUE(pzm.contains(u"[Applications]\r\nAppMethod=ground spray\r\nNumberOfApp=2\r\n"
                             u"1=1.0000   1     4.0\r\n2=1.0000   2     4.0\r\n[R1]"_s))
        << pzm.toStdString();
    EXPECT_TRUE(pzm.contains(u"R1=00012\r\nR2=00013\r\n"_s));
}

TEST_F(ProjectPRZMTest, ARunSettingsFileConvertsToTheSameDescription) {
    const TRun& first = AddRun({.number = 12,
                                .suffix = u"_pa"_s,
                                .location = u"R1"_s,
                                .crop = u"Maize"_s,
                                .water = u"focus_ditch"_s,
                                .rates = {1, 2}});
    AddRun({.number = 13,
            .suffix = u"_pa"_s,
            .location = u"R4"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s,
            .rates = {1, 2},
            .first = 120,
            .last = 180});
    project->ExportPRZMRuns();
    const QByteArray exported = ReadAll(Folder(u"MZ/przm.pzm"_s));
    ASSERT_TRUE(QFile::remove(Folder(u"MZ/przm.pzm"_s)));

    const QString settings = project->PRZMSettingsFileName(first);
    EXPECT_EQ(settings, Folder(u"MZ/przm.ini"_s));
    project->ConvertPRZMSettings(settings);
    EXPECT_EQ(PRZMFiles(), QStringList()) << "nothing to convert without a settings file";
    for (const TRun* run : project->Runs->Items<TRun>())
        project->WritePRZMRunSettings(*run);
    project->ConvertPRZMSettings(settings);
    EXPECT_EQ(ReadAll(Folder(u"MZ/przm.pzm"_s)), exported);
}

TEST_F(ProjectPRZMTest, NothingForDrainageOrUnselectedRuns) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s});
    AddRun({.number = 13,
            .suffix = u"_pa"_s,
            .location = u"R1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s,
            .selected = false});
    project->ExportPRZMRuns();
    EXPECT_EQ(PRZMFiles(), QStringList());
    EXPECT_EQ(QDir(project->Path + u"/PRZM"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
}

TEST_F(ProjectPRZMTest, ADirectoryThatCannotBeWrittenStopsTheExport) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"R1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s});
    ASSERT_TRUE(QDir(project->Path + u"/PRZM"_s).removeRecursively());
    EXPECT_THROW(project->ExportPRZMRuns(), EKelvoError);
}

TEST_F(ProjectPRZMTest, ProjectListColumns) {
    TConnection& db = dm->dbKelvoADO;
    struct TCase {
        int id;
        QString name;
        QString path;
        QString created;
        bool listed;
    };
    const TCase cases[] = {
        {1, u"P1"_s, u"/home/u/KelvoProjects/P1"_s, u"2024-05-06T07:08:00"_s, true},
        {2, u"A_name_of_25_characters"_s, u"/p/"_s + QString(90, u'x'), u"2003-04-09T23:59:00"_s, true},
        {3, u"Example"_s, u"/example"_s, u"2003-01-01T00:00:00"_s, false},
        {4, u"NotFocus"_s, u"/nf"_s, u"2003-01-01T00:00:00"_s, false},
    };
    for (const TCase& c : cases) {
        db.Execute(u"INSERT INTO Projects VALUES (?, ?, '', ?, 'EXAMPLE_P', ?, ?)"_s,
                   {c.id, c.name, c.path, c.created, c.created});
        db.Execute(u"INSERT INTO ToxswaMap VALUES (?, ?, '', ?, ?)"_s, {c.id, c.name, c.created, c.id != 4});
        db.Execute(u"INSERT INTO MapxProject VALUES (?, ?)"_s, {c.id, c.id});
    }
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    dm->WritePRZMProjectList();
    QLocale::setDefault(saved);
    ExpectGolden(ReadAll(InstallDir() + u"PRZM/przm.prj"_s), u"przm_project_list/przm.prj"_s);
}

} // namespace
