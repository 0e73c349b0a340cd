#include "foundation/Installation.h"
#include "export/StandinInstaller.h"
#include "foundation/Errors.h"
#include "store/ScenarioDatabaseBuilder.h"
#include "support/KelvoTest.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

void TInstallationTest::SetUp() {
    TKelvoTest::SetUp();
    ASSERT_TRUE(tempDir.isValid());
    try {
        BuildScenarioDatabase(QString::fromUtf8(KELVO_DATA_SOURCE_DIR), DatabaseFile());
        InstallStandins(QString::fromUtf8(KELVO_STANDINS_SOURCE_DIR), tempDir.path());
    } catch (const EKelvoError& e) {
        FAIL() << "building the installation failed: " << e.Message().toStdString();
    }
    SetInstallationDir(tempDir.path());
}

void TInstallationTest::TearDown() {
    SetInstallationDir(QString());
    TKelvoTest::TearDown();
}

QString TInstallationTest::InstallDir() const {
    return QDir(tempDir.path()).absolutePath() + u'/';
}

QString TInstallationTest::ProjectsRoot() const {
    return QDir(projectsDir.path()).absolutePath() + u"/projects"_s;
}

QString TInstallationTest::DatabaseFile() const {
    return InstallDir() + u"data/kelvo_db.sqlite"_s;
}
