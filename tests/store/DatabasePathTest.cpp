#include "export/StandinInstaller.h"
#include "foundation/Installation.h"
#include "store/Connection.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioDatabaseBuilder.h"
#include "store/SchemaCheck.h"
#include "store/WorkingInstallation.h"
#include "support/KelvoTest.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

// Characters a URI gives a meaning of its own, each in a folder name.
const QStringList folderNames = {u"Kelvo%41"_s, u"Kelvo#1"_s, u"Kelvo?mode=ro"_s, u"Kelvo Home"_s};

class DatabasePathTest : public TKelvoTest {
protected:
    void TearDown() override {
        SetInstallationDir(QString());
        SetProgramDir(QString());
        TKelvoTest::TearDown();
    }

    // Everything under the temporary folder, relative to it.
    QStringList Contents() const {
        QStringList files;
        const QDir root(tempDir.path());
        for (const QFileInfo& info : root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            files << info.fileName();
        files.sort();
        return files;
    }

    QTemporaryDir tempDir;
};

// A program directory and a working installation whose names hold such a character open their own files:
// the working installation is made from the program's templates, opened and checked against them, and
// nothing appears beside either folder.
TEST_F(DatabasePathTest, FolderNamesWithUriCharactersOpenTheirOwnFiles) {
    for (const QString& name : folderNames) {
        SCOPED_TRACE(name.toStdString());
        SetProgramDir(QString());
        SetInstallationDir(QString());
        const QString programDir = tempDir.filePath(u"program "_s + name) + u'/';
        const QString workingDir = tempDir.filePath(u"work "_s + name) + u'/';
        BuildScenarioDatabase(QString::fromUtf8(KELVO_DATA_SOURCE_DIR),
                              programDir + u"templates/data/kelvo_db.sqlite"_s);
        InstallStandins(QString::fromUtf8(KELVO_STANDINS_SOURCE_DIR), programDir + u"templates"_s);
        SetProgramDir(programDir);
        SetInstallationDir(workingDir);
        const QStringList before = Contents();

        ASSERT_TRUE(MakeWorkingInstallation());
        EXPECT_EQ(ui.TakeTexts().size(), 1);
        {
            TdmKelvoADO dm;
            ASSERT_TRUE(dm.OpenDatabase()) << ui.TakeTexts().join(u'\n').toStdString();
            dm.CloseDatabase();
        }
        EXPECT_TRUE(ui.TakeTexts().isEmpty());
        QStringList expected = before;
        if (!expected.contains(u"work "_s + name)) expected << u"work "_s + name;
        expected.sort();
        EXPECT_EQ(Contents(), expected);
        EXPECT_EQ(QDir(workingDir + u"data"_s).entryList(QDir::Files | QDir::NoDotAndDotDot),
                  QStringList{u"kelvo_db.sqlite"_s});

        // The check reads the program's own template: a column missing from the working database is found.
        TConnection c;
        c.Open(workingDir + u"data/kelvo_db.sqlite"_s);
        EXPECT_TRUE(MissingSchemaParts(c, programDir + u"templates/data/kelvo_db.sqlite"_s).isEmpty());
        c.Close();
        TConnection program;
        program.Open(programDir + u"templates/data/kelvo_db.sqlite"_s);
        program.Execute(u"CREATE TABLE Added (Id INTEGER)"_s);
        program.Close();
        c.Open(workingDir + u"data/kelvo_db.sqlite"_s);
        EXPECT_EQ(MissingSchemaParts(c, programDir + u"templates/data/kelvo_db.sqlite"_s),
                  QStringList{u"table Added"_s});
        c.Close();
        EXPECT_EQ(Contents(), expected);
    }
}

} // namespace
