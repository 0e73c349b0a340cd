#include "domain/ProjectTestBase.h"
#include "foundation/Errors.h"

#include <QFile>

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

} // namespace
