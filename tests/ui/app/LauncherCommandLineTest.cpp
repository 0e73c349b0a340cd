#include "foundation/Installation.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"
#include "ui/app/LauncherCommandLine.h"

#include <QDir>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TOutcome {
    std::optional<int> code;
    QString out;
    QString err;
};

TOutcome Take(const QStringList& options) {
    TOutcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.code = TakeLauncherOptions(QStringList{u"kelvo"_s} + options, out, err);
    return outcome;
}

TEST(LauncherCommandLineTest, VersionHelpAndTheInstallationAreReadBeforeAnyWindow) {
    const TOutcome version = Take({u"--version"_s});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, u"Kelvo %1 (scenario database schema version %2)\n"_s.arg(ProgramVersion())
                               .arg(ScenarioSchemaVersion));
    const TOutcome help = Take({u"-platform"_s, u"offscreen"_s, u"--help"_s});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(u"--install-dir DIR"_s)) << help.out.toStdString();

    for (const QStringList& options : {QStringList{u"--install-dir"_s, u"somewhere"_s},
                                       QStringList{u"--install-dir=somewhere"_s}}) {
        SCOPED_TRACE(options.join(u' ').toStdString());
        const TOutcome start = Take(QStringList{u"-style"_s, u"fusion"_s} + options);
        EXPECT_EQ(start.code, std::nullopt);
        EXPECT_EQ(InstallationDir(), QDir(u"somewhere"_s).absolutePath() + u'/');
        SetInstallationDir(QString());
    }
    const TOutcome missing = Take({u"--install-dir"_s});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, u"kelvo: --install-dir needs a folder\n"_s);
    EXPECT_EQ(Take({}).code, std::nullopt);
}

// The real launcher answers --version without a display.
TEST(LauncherCommandLineTest, TheLauncherPrintsItsVersionWithoutADisplay) {
    QProcess kelvo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"DISPLAY"_s);
    env.remove(u"WAYLAND_DISPLAY"_s);
    env.remove(u"QT_QPA_PLATFORM"_s);
    kelvo.setProcessEnvironment(env);
    kelvo.start(QString::fromUtf8(KELVO_GUI), {u"--version"_s});
    ASSERT_TRUE(kelvo.waitForFinished(60000));
    EXPECT_EQ(kelvo.exitCode(), 0) << kelvo.readAllStandardError().toStdString();
    EXPECT_TRUE(kelvo.readAllStandardOutput().startsWith("Kelvo " + ProgramVersion().toUtf8()));
}

} // namespace
