#include "support/KelvoTest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// kelvo-cli on a working installation it cannot write: a read-only bind mount of its own for root (who may
// write any file), the write permissions taken away for anyone else.
class ReadOnlyInstallationTest : public TInstallationTest {
protected:
    void TearDown() override {
        if (geteuid() != 0) SetWritable(true);
        TInstallationTest::TearDown();
    }

    QString Home() const { return home.path(); }

    TCliRun Cli(const QStringList& arguments, bool readOnly) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, Home());
        env.remove(u"KELVO_HOME"_s);
        QProcess process;
        process.setProcessEnvironment(env);
        const QStringList cli = QStringList{QString::fromUtf8(KELVO_CLI), u"--install-dir"_s, InstallDir()} +
                                arguments;
        if (readOnly && geteuid() == 0)
            process.start(u"unshare"_s,
                          QStringList{u"-m"_s, u"sh"_s, u"-c"_s,
                                      u"mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" \"$0\" && "
                                      u"exec \"$@\""_s,
                                      InstallDir()} +
                              cli);
        else
            process.start(cli.first(), cli.mid(1));
        EXPECT_TRUE(process.waitForFinished(120000)) << "kelvo-cli did not end";
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // Takes away (or gives back) the write permission of every folder and file of the installation.
    void SetWritable(bool writable) {
        QDirIterator it(InstallDir(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        QStringList paths{InstallDir()};
        while (it.hasNext())
            paths << it.next();
        for (const QString& path : paths) {
            QFile file(path);
            const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
            file.setPermissions(writable ? file.permissions() | QFile::WriteOwner : file.permissions() & ~write);
        }
    }

    // Every file of the installation with its content's digest.
    QStringList Contents() const {
        QStringList contents;
        QDirIterator it(InstallDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            contents << file.fileName() + u' ' +
                            QString::fromLatin1(
                                QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
        }
        contents.sort();
        return contents;
    }

    QTemporaryDir home;
};

TEST_F(ReadOnlyInstallationTest, ReadingWorksAndEveryWriteSaysTheInstallationIsReadOnly) {
    const TCliRun created =
        Cli({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, u"Kept"_s, u"--crop"_s,
             u"Maize"_s, u"--root"_s, Home() + u"/projects"_s},
            false);
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    if (geteuid() == 0) {
        const TCliRun probe = Cli({u"substances"_s}, true);
        if (probe.err.contains(u"unshare"_s) || probe.err.contains(u"mount"_s))
            GTEST_SKIP() << "no read-only mount here: " << probe.err.toStdString();
    } else {
        SetWritable(false);
    }
    const QStringList before = Contents();

    const QString backup = Home() + u"/copy.sqlite"_s;
    const QStringList reading[] = {{u"substances"_s}, {u"project"_s, u"list"_s}, {u"backup"_s, backup}};
    for (const QStringList& arguments : reading) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const TCliRun run = Cli(arguments, true);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    EXPECT_TRUE(Cli({u"project"_s, u"list"_s}, true).out.contains(u"Kept"_s));
    EXPECT_TRUE(QFileInfo(backup).size() > 0);

    const QString reason = u"Kelvo cannot write its working installation %1: it is read-only\n"_s.arg(InstallDir());
    const QStringList writing[] = {
        {u"substance"_s, u"new"_s, u"NEWS"_s, u"new"_s},
        {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"COPY"_s, u"copy"_s},
        {u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, u"Other"_s, u"--crop"_s,
         u"Maize"_s, u"--root"_s, Home() + u"/projects"_s},
        {u"project"_s, u"delete"_s, u"Kept"_s},
        {u"run"_s, u"set"_s, u"Kept"_s, u"00001d_pa"_s, u"--interval"_s, u"20"_s},
    };
    for (const QStringList& arguments : writing) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const TCliRun run = Cli(QStringList{u"--yes"_s} + arguments, true);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.endsWith(reason)) << run.err.toStdString();
        // One reason, after the questions answered on the way.
        const QStringList lines = run.err.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.filter(QRegularExpression(u"^Answered "_s)).size() + 1, lines.size()) << run.err.toStdString();
    }
    EXPECT_EQ(Contents(), before);
    EXPECT_TRUE(QFileInfo::exists(Home() + u"/projects/Kept/.kelvo-project"_s));
}

} // namespace
