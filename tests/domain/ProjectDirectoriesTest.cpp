#include "domain/ProjectExport.h"
#include "domain/ProjectTestBase.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"

#include <QFile>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Project directories below the temporary folder; the home directory is a folder of it too.
class ProjectDirectoriesTest : public TProjectTest {
protected:
    void SetUp() override {
        TProjectTest::SetUp();
        if (HasFatalFailure()) return;
        savedHome = qgetenv("HOME");
        home = InstallDir() + u"home"_s;
        ASSERT_TRUE(QDir().mkpath(home));
        qputenv("HOME", home.toUtf8());
    }
    void TearDown() override {
        qputenv("HOME", savedHome);
        TProjectTest::TearDown();
    }

    // A directory holding a file, so a test sees whether anything in it was deleted.
    static QString Filled(const QString& directory) {
        EXPECT_TRUE(QDir().mkpath(directory));
        const QString file = directory + u"/keep.txt"_s;
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("data");
        return file;
    }

    QByteArray savedHome;
    QString home;
};

TEST_F(ProjectDirectoriesTest, LayoutOfAProjectDirectory) {
    TProject project(u"P1"_s, QString());
    project.SetPath(root + u"/P1"_s);
    EXPECT_EQ(project.ReportFileName(), root + u"/P1/P1_report.txt"_s);
    EXPECT_FALSE(project.HasToxswaDirectory());
    project.CreateDirectories();
    for (const QString& sub : {u""_s, u"/TOXSWA"_s, u"/PRZM"_s, u"/MACRO"_s})
        EXPECT_TRUE(QFileInfo(project.GetPath() + sub).isDir()) << sub.toStdString();
    EXPECT_TRUE(project.HasToxswaDirectory());
    project.CreateDirectories(); // nothing missing: nothing shown
}

// Each level is made alone: a missing parent fails its children too, each with a message, and a
// missing projects root is made even when the project lives elsewhere.
TEST_F(ProjectDirectoriesTest, DirectoriesThatCannotBeMade) {
    ASSERT_TRUE(QDir(root).removeRecursively());
    TProject project(u"Y"_s, QString());
    const QString path = InstallDir() + u"missing/Y"_s;
    project.SetPath(path);
    project.CreateDirectories();
    EXPECT_EQ(ui.TakeTexts(), (QStringList{u"error creating directory: "_s + path,
                                           u"error creating directory: "_s + path + u"/TOXSWA"_s,
                                           u"error creating directory: "_s + path + u"/PRZM"_s,
                                           u"error creating directory: "_s + path + u"/MACRO"_s}));
    EXPECT_TRUE(QFileInfo(root).isDir());
}

TEST_F(ProjectDirectoriesTest, DeletingTheProjectDirectory) {
    // The whole tree goes; a link inside it is removed, not followed.
    const QString outside = Filled(InstallDir() + u"outside"_s);
    TProject project(u"P1"_s, QString());
    project.SetPath(root + u"/P1"_s);
    project.CreateDirectories();
    Filled(project.GetPath() + u"/TOXSWA/deep"_s);
    ASSERT_TRUE(QFile::link(InstallDir() + u"outside"_s, project.GetPath() + u"/PRZM/link"_s));
    EXPECT_TRUE(project.DeleteProjectDirectory());
    EXPECT_FALSE(QFileInfo::exists(project.GetPath()));
    EXPECT_TRUE(QFileInfo::exists(outside));
    EXPECT_TRUE(QFileInfo(root).isDir());
    // A directory that does not exist: false, nothing changes.
    EXPECT_FALSE(project.DeleteProjectDirectory());
}

TEST_F(ProjectDirectoriesTest, RefusesToDeleteWhatIsNotPlainlyTheProjectsOwn) {
    const QString linkTarget = InstallDir() + u"target"_s;
    Filled(linkTarget);
    ASSERT_TRUE(QFile::link(linkTarget, root + u"/Linked"_s));
    Filled(root + u"/Other"_s);
    Filled(root + u"/sub/deeper"_s);
    struct TCase {
        QString name;
        QString path;
        QString reason;
        QString kept; // a file that must still exist afterwards
    };
    const TCase cases[] = {
        {u"P1"_s, QString(), u"the project has no directory"_s, root + u"/Other/keep.txt"_s},
        {u"P1"_s, u"P1"_s, u"it is not an absolute path"_s, root + u"/Other/keep.txt"_s},
        {QString(), u"/"_s, u"it is the file-system root"_s, root + u"/Other/keep.txt"_s},
        {u"home"_s, home, u"it is or contains the home directory"_s, Filled(home)},
        {u"home"_s, home + u"/../home"_s, u"it is or contains the home directory"_s, home + u"/keep.txt"_s},
        {u"projects"_s, root, u"it is or contains the projects root"_s, root + u"/Other/keep.txt"_s},
        {u"x"_s, QDir::cleanPath(InstallDir()), u"it is or contains the home directory"_s,
         root + u"/Other/keep.txt"_s},
        {u"projects"_s, root + u"/sub/.."_s, u"it is or contains the projects root"_s,
         root + u"/sub/deeper/keep.txt"_s},
        {u"P1"_s, root + u"/Other"_s, u"its last part is not the project name \"P1\""_s,
         root + u"/Other/keep.txt"_s},
        {u"Linked"_s, root + u"/Linked"_s, u"it is a symbolic link"_s, linkTarget + u"/keep.txt"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        TProject project(c.name, QString());
        project.SetPath(c.path);
        try {
            project.DeleteProjectDirectory();
            ADD_FAILURE() << "not refused";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(e.Message(),
                      u"The project directory \"%1\" is not deleted: %2."_s.arg(c.path, c.reason));
        }
        EXPECT_TRUE(QFileInfo::exists(c.kept));
    }
    EXPECT_TRUE(QFileInfo(root + u"/Linked"_s).isSymLink());
}

// A project that Kelvo stored and whose directory it made and marked, as a wizard leaves it.
class ProjectFolderTest : public ProjectDirectoriesTest {
protected:
    // The home directory beside the installation, as a user's is.
    void SetUp() override {
        ProjectDirectoriesTest::SetUp();
        if (HasFatalFailure()) return;
        home = QDir::cleanPath(ProjectsRoot() + u"/../home"_s);
        ASSERT_TRUE(QDir().mkpath(home));
        qputenv("HOME", home.toUtf8());
    }
    std::unique_ptr<TProject> Stored(const QString& name, const QString& projectRoot) {
        auto project = NewProject(name, u"EXAMPLE_P"_s, {u"Maize"_s}, {u"D4"_s}, {u"focus_pond"_s});
        project->SetPath(projectRoot);
        EXPECT_TRUE(project->Save(true));
        EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 2"_s});
        return project;
    }
    static QString Marker(const QString& directory) {
        QFile file(directory + u'/' + ProjectMarkerName);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static void Write(const QString& file, const QByteArray& bytes) {
        EXPECT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    int ProjectRows() { return Value(u"SELECT COUNT(*) FROM Projects"_s).toInt(); }
};

// A new project's folder is made and marked with the project's ID and the working installation.
TEST_F(ProjectFolderTest, SavingMakesAndMarksTheFolder) {
    const auto project = Stored(u"Trial"_s, root);
    EXPECT_EQ(project->GetPath(), root + u"/Trial"_s);
    EXPECT_EQ(Marker(project->GetPath()),
              u"ProjectID=%1\nInstallation=%2\n"_s.arg(project->ProjectID).arg(InstallationDir()));
    // An empty folder already there is taken.
    ASSERT_TRUE(QDir().mkpath(root + u"/Empty"_s));
    EXPECT_FALSE(Marker(Stored(u"Empty"_s, root)->GetPath()).isEmpty());
}

// Creation refuses a folder that holds anything and roots in Kelvo's own directories or inside another
// project's folder; nothing is stored and nothing in the way is touched.
TEST_F(ProjectFolderTest, CreationRefusesFoldersThatAreNotFree) {
    const auto other = Stored(u"Other"_s, root);
    Filled(home + u"/Documents"_s);
    Filled(root + u"/Taken"_s);
    const QString installation = QDir::cleanPath(InstallationDir());
    const QString program = QDir::cleanPath(ProgramDir());
    const struct {
        QString name;
        QString root;
        QString message;
    } cases[] = {
        {u"Documents"_s, home,
         u"The folder %1/Documents already exists and is not empty: choose another name or project root."_s
             .arg(home)},
        {u"Taken"_s, root,
         u"The folder %1/Taken already exists and is not empty: choose another name or project root."_s.arg(
             root)},
        {u"data"_s, installation,
         u"The project root %1 is not taken: it is, holds or lies inside the working installation %1."_s.arg(
             installation)},
        {u"PRZM"_s, installation + u"/MACRO"_s,
         u"The project root %1/MACRO is not taken: it is, holds or lies inside the working installation %1."_s
             .arg(installation)},
        {u"Inner"_s, program,
         u"The project root %1 is not taken: it is, holds or lies inside the program directory %1."_s.arg(
             program)},
        {u"Inner"_s, other->GetPath() + u"/TOXSWA"_s,
         u"The project root %1/TOXSWA is not taken: it lies inside the project folder %1."_s.arg(
             other->GetPath())},
    };
    const int rows = ProjectRows();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        auto project = NewProject(c.name, u"EXAMPLE_P"_s, {u"Maize"_s}, {u"D4"_s}, {u"focus_pond"_s});
        project->SetPath(c.root);
        try {
            project->Save(true);
            ADD_FAILURE() << "not refused";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(project->GetPath(), c.root);
        EXPECT_EQ(ProjectRows(), rows);
        EXPECT_FALSE(QFileInfo::exists(c.root + u'/' + c.name + u'/' + ProjectMarkerName));
    }
    EXPECT_TRUE(QFileInfo::exists(home + u"/Documents/keep.txt"_s));
    EXPECT_TRUE(QFileInfo::exists(root + u"/Taken/keep.txt"_s));
    EXPECT_FALSE(QFileInfo::exists(installation + u"/data/data"_s));
}

// A folder that is not this project's own in this installation is neither exported into nor deleted:
// the refusal names it, and nothing in it changes.
TEST_F(ProjectFolderTest, ExportAndDeletionTouchOnlyTheProjectsOwnFolder) {
    const auto project = Stored(u"Trial"_s, root);
    const QString path = project->GetPath();
    const QString installation = QDir::cleanPath(InstallationDir());
    const QString linkTarget = InstallDir() + u"target"_s;
    Filled(linkTarget);
    const struct {
        const char* name;
        std::function<QString()> prepare; // makes the case, answers the project path to use
        QString reason;
    } cases[] = {
        {"marked for another project",
         [&] {
             Write(path + u'/' + ProjectMarkerName,
                   u"ProjectID=%1\nInstallation=%2\n"_s.arg(project->ProjectID + 1)
                       .arg(InstallationDir())
                       .toUtf8());
             return path;
         },
         u"it is the folder of another project or of another working installation"_s},
        {"marked by another installation sharing the projects root",
         [&] {
             Write(path + u'/' + ProjectMarkerName,
                   u"ProjectID=%1\nInstallation=%2/\n"_s.arg(project->ProjectID).arg(home).toUtf8());
             return path;
         },
         u"it is the folder of another project or of another working installation"_s},
        {"unmarked, holding a user's files",
         [&] {
             QFile::remove(path + u'/' + ProjectMarkerName);
             Write(path + u"/notes.txt"_s, "mine");
             return path;
         },
         u"Kelvo did not make it for this project and it holds notes.txt"_s},
        {"holding another project's folder",
         [&] {
             Write(path + u"/TOXSWA/Inner/"_s + ProjectMarkerName, "ProjectID=99\nInstallation=/x/\n");
             return path;
         },
         u"it holds the folder of another project, %1/TOXSWA/Inner"_s.arg(path)},
        {"a project named data with the working installation as its root",
         [&] { return installation + u"/data"_s; },
         u"it is, holds or lies inside the working installation %1"_s.arg(installation)},
        {"a symbolic link",
         [&] {
             EXPECT_TRUE(QFile::link(linkTarget, root + u"/Linked"_s));
             return root + u"/Linked"_s;
         },
         u"it is a symbolic link"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir(path).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(path + u"/TOXSWA"_s));
        Write(path + u"/TOXSWA/output.txt"_s, "model output");
        Write(path + u'/' + ProjectMarkerName,
              u"ProjectID=%1\nInstallation=%2\n"_s.arg(project->ProjectID).arg(InstallationDir()).toUtf8());
        const QString used = c.prepare();
        const QString name = QFileInfo(used).fileName();
        TProject target(name, QString());
        target.ProjectID = project->ProjectID;
        target.SetPath(used);
        const QString refusal = u"The project directory \"%1\" is not deleted: %2."_s.arg(used, c.reason);
        try {
            target.DeleteProjectDirectory();
            ADD_FAILURE() << "deletion not refused";
        } catch (const EKelvoError& e) {
            EXPECT_EQ(e.Message(), refusal);
        }
        // The export says why and claims no removal.
        EXPECT_FALSE(ExportProject(target, {}));
        EXPECT_EQ(ui.TakeTexts(), QStringList{refusal});
        EXPECT_TRUE(QFileInfo::exists(path + u"/TOXSWA/output.txt"_s));
        EXPECT_TRUE(QFileInfo::exists(installation + u"/data/kelvo_db.sqlite"_s));
        EXPECT_TRUE(QFileInfo::exists(linkTarget + u"/keep.txt"_s));
    }
}

// The deletion removes what an export writes and keeps, naming them, the user's own files; a folder of
// an older Kelvo, unmarked, is taken when it holds only what an export writes.
TEST_F(ProjectFolderTest, DeletionKeepsTheUsersOwnFiles) {
    const auto project = Stored(u"Trial"_s, root);
    const QString path = project->GetPath();
    for (const QString& file : {u"/TOXSWA/t.txt"_s, u"/PRZM/MZ/przm.pzm"_s, u"/MACRO/m.txt"_s,
                                u"/Trial_report.txt"_s, u"/notes.txt"_s, u"/mine/plan.txt"_s})
        Write(path + file, "x");
    EXPECT_TRUE(project->DeleteProjectDirectory());
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Your own files in %1 are kept: mine, notes.txt"_s.arg(path)});
    EXPECT_EQ(QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u"mine"_s, u"notes.txt"_s}));
    EXPECT_TRUE(QFileInfo::exists(path + u"/mine/plan.txt"_s));

    ASSERT_TRUE(QDir(path).removeRecursively());
    for (const QString& file : {u"/TOXSWA/t.txt"_s, u"/Trial_report.txt"_s, u"/EXPORT_INCOMPLETE.txt"_s})
        Write(path + file, "x");
    EXPECT_TRUE(project->DeleteProjectDirectory());
    EXPECT_FALSE(QFileInfo::exists(path));
}

} // namespace
