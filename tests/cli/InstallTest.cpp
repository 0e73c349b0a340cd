#include "support/KelvoTest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

TRun RunProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(300000)) << program.toStdString() << " did not end";
    TRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Every file below dir with its content's digest.
QStringList Contents(const QString& dir) {
    QStringList contents;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        contents << file.fileName() + u' ' +
                        QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
    }
    contents.sort();
    return contents;
}

// This build installed into a temporary root, by `cmake --install` with DESTDIR and the prefix /usr or
// as its Debian package unpacked; the installed kelvo-cli run from there on a fresh working installation
// while its program directory is read-only (a bind mount of its own for root, who may write anywhere; no
// write permission for others).
class InstallTest : public TKelvoTest {
protected:
    void SetUp() override {
        TKelvoTest::SetUp();
        ASSERT_TRUE(dest.isValid());
    }

    void InstallWithCMake() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"DESTDIR"_s, dest.path());
        const TRun install = RunProgram(QString::fromUtf8(KELVO_CMAKE),
                                        {u"--install"_s, QString::fromUtf8(KELVO_BUILD_DIR), u"--prefix"_s, u"/usr"_s},
                                        env);
        ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();
    }

    void InstallThePackage() {
        const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString cpack = QFileInfo(QString::fromUtf8(KELVO_CMAKE)).absolutePath() + u"/cpack"_s;
        const TRun pack = RunProgram(cpack,
                                     {u"-G"_s, u"DEB"_s, u"--config"_s,
                                      QString::fromUtf8(KELVO_BUILD_DIR) + u"/CPackConfig.cmake"_s, u"-B"_s,
                                      packages.path()},
                                     env);
        ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString() << pack.err.toStdString();
        const QStringList made = QDir(packages.path()).entryList({u"kelvo_*_amd64.deb"_s}, QDir::Files);
        ASSERT_EQ(made.size(), 1) << pack.out.toStdString();
        const TRun unpack =
            RunProgram(u"dpkg-deb"_s, {u"-x"_s, packages.path() + u'/' + made.first(), dest.path()}, env);
        ASSERT_EQ(unpack.exitCode, 0) << unpack.err.toStdString();
        const TRun control = RunProgram(u"dpkg-deb"_s, {u"-f"_s, packages.path() + u'/' + made.first(), u"Depends"_s}, env);
        EXPECT_TRUE(control.out.contains(u"libqt6widgets6"_s)) << control.out.toStdString();
        EXPECT_TRUE(control.out.contains(u"libqt6sql6-sqlite"_s)) << control.out.toStdString();
    }

    QString Prefix() const { return dest.path() + u"/usr"_s; }
    QString ProgramDir() const { return Prefix() + u"/lib/kelvo"_s; }

    TRun Cli(const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, home.path());
        env.insert(u"KELVO_HOME"_s, home.path() + u"/kelvo"_s);
        const QStringList cli = QStringList{Prefix() + u"/bin/kelvo-cli"_s} + arguments;
        if (geteuid() != 0) return RunProgram(cli.first(), cli.mid(1), env);
        return RunProgram(u"unshare"_s,
                          QStringList{u"-m"_s, u"sh"_s, u"-c"_s,
                                      u"mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" \"$0\" && exec \"$@\""_s,
                                      ProgramDir()} +
                              cli,
                          env);
    }

    // The installed files, and the installed kelvo-cli at work.
    void CheckTheInstallation();

    QTemporaryDir dest;
    QTemporaryDir packages;
    QTemporaryDir home;
};

void InstallTest::CheckTheInstallation() {
    for (const QString& file : {u"/bin/kelvo"_s, u"/bin/kelvo-cli"_s, u"/lib/kelvo/kelvo"_s,
                                u"/lib/kelvo/templates/data/kelvo_db.sqlite"_s, u"/lib/kelvo/KELVO.HLP"_s,
                                u"/share/applications/eu.kelvo.Kelvo.desktop"_s,
                                u"/share/metainfo/eu.kelvo.Kelvo.metainfo.xml"_s,
                                u"/share/icons/hicolor/48x48/apps/kelvo.png"_s,
                                u"/share/bash-completion/completions/kelvo-cli"_s,
                                u"/share/zsh/vendor-completions/_kelvo-cli"_s})
        EXPECT_TRUE(QFileInfo::exists(Prefix() + file)) << file.toStdString();
    EXPECT_FALSE(QFileInfo::exists(ProgramDir() + u"/kelvo-screens"_s));
    QFile desktop(Prefix() + u"/share/applications/eu.kelvo.Kelvo.desktop"_s);
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(desktop.readAll());
    EXPECT_TRUE(entry.contains(u"\nExec=/usr/bin/kelvo\n"_s)) << entry.toStdString();
    EXPECT_TRUE(entry.contains(u"\nTryExec=/usr/bin/kelvo\n"_s)) << entry.toStdString();
    EXPECT_TRUE(entry.contains(u"\nIcon=kelvo\n"_s)) << entry.toStdString();
    // The manual page says what --help says: every command is in it.
    QFile manual(Prefix() + u"/share/man/man1/kelvo-cli.1"_s);
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(manual.readAll());
    EXPECT_TRUE(page.contains(u".TH KELVO-CLI \"1\""_s)) << page.left(200).toStdString();
    for (const QString& command : {u"backup"_s, u"drift"_s, u"exchange"_s, u"project"_s, u"restore"_s, u"run"_s,
                                   u"substance"_s, u"\\-\\-install\\-dir"_s})
        EXPECT_TRUE(page.contains(command)) << command.toStdString();

    if (geteuid() != 0) {
        QDirIterator it(ProgramDir(), QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile entryFile(it.next());
            entryFile.setPermissions(entryFile.permissions() & ~(QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
        }
    }
    const QStringList before = Contents(ProgramDir());
    const TRun info = Cli({u"info"_s});
    if (info.err.contains(u"unshare"_s) || info.err.contains(u"mount"_s))
        GTEST_SKIP() << "no read-only mount can be made here: " << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(u"Program directory: %1/\n"_s.arg(ProgramDir()))) << info.out.toStdString();

    const TRun first = Cli({u"substances"_s});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(u"Kelvo made its working installation"_s)) << first.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.path() + u"/kelvo/data/kelvo_db.sqlite"_s));
    const TRun created = Cli({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s,
                              u"Installed"_s, u"--crop"_s, u"Maize"_s, u"--root"_s, home.path() + u"/projects"_s});
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    const TRun exported = Cli({u"--yes"_s, u"project"_s, u"export"_s, u"Installed"_s});
    EXPECT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.path() + u"/projects/Installed/Installed_report.txt"_s));
    EXPECT_EQ(Contents(ProgramDir()), before);

    // The desktop's own checks of the entry and the metainfo.
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [tool, arguments] :
         {std::pair{u"desktop-file-validate"_s, QStringList{Prefix() + u"/share/applications/eu.kelvo.Kelvo.desktop"_s}},
          std::pair{u"appstreamcli"_s, QStringList{u"validate"_s, u"--no-net"_s,
                                                   Prefix() + u"/share/metainfo/eu.kelvo.Kelvo.metainfo.xml"_s}}}) {
        const QString program = QStandardPaths::findExecutable(tool);
        ASSERT_FALSE(program.isEmpty()) << tool.toStdString() << " is missing: scripts/deps installs it";
        const TRun check = RunProgram(program, arguments, env);
        EXPECT_EQ(check.exitCode, 0) << tool.toStdString() << ": " << check.out.toStdString() << check.err.toStdString();
    }
}

TEST_F(InstallTest, CMakeInstallGivesAProgramThatSeedsItsWorkingInstallationAndNeverWritesItsOwnDirectory) {
    InstallWithCMake();
    if (!HasFatalFailure()) CheckTheInstallation();
}

TEST_F(InstallTest, TheDebianPackageUnpackedGivesTheSameProgram) {
    InstallThePackage();
    if (!HasFatalFailure()) CheckTheInstallation();
}

} // namespace
