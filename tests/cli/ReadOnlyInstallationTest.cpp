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

// kelvo-cli on folders it cannot write: a read-only bind mount of its own for root (who may write any
// file), the write permissions taken away for anyone else.
class ReadOnlyInstallationTest : public TInstallationTest {
protected:
    void TearDown() override {
        if (geteuid() != 0)
            for (const QString& dir : std::as_const(readOnly))
                SetWritable(dir, true);
        TInstallationTest::TearDown();
    }

    QString Home() const { return home.path(); }

    // Makes dir read-only for the runs made with readOnlyRun; false where that cannot be done here.
    bool MakeReadOnly(const QString& dir) {
        readOnly << dir;
        if (geteuid() != 0) {
            SetWritable(dir, false);
            return true;
        }
        const TCliRun probe = Cli({u"info"_s}, true);
        if (probe.err.contains(u"unshare"_s) || probe.err.contains(u"mount"_s)) {
            readOnly.clear();
            return false;
        }
        return true;
    }

    TCliRun Cli(const QStringList& arguments, bool readOnlyRun) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"HOME"_s, Home());
        env.remove(u"KELVO_HOME"_s);
        QProcess process;
        process.setProcessEnvironment(env);
        const QStringList cli = QStringList{QString::fromUtf8(KELVO_CLI), u"--install-dir"_s, InstallDir()} +
                                arguments;
        if (readOnlyRun && geteuid() == 0) {
            QString mounts;
            for (const QString& dir : std::as_const(readOnly))
                mounts += u"mount --bind '%1' '%1' && mount -o remount,bind,ro '%1' '%1' && "_s.arg(dir);
            process.start(u"unshare"_s, QStringList{u"-m"_s, u"sh"_s, u"-c"_s, mounts + u"exec \"$@\""_s, u"sh"_s} + cli);
        }
        else
            process.start(cli.first(), cli.mid(1));
        EXPECT_TRUE(process.waitForFinished(120000)) << "kelvo-cli did not end";
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // Takes away (or gives back) the write permission of every folder and file in dir.
    static void SetWritable(const QString& dir, bool writable) {
        QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        QStringList paths{dir};
        while (it.hasNext())
            paths << it.next();
        for (const QString& path : paths) {
            QFile file(path);
            const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
            file.setPermissions(writable ? file.permissions() | QFile::WriteOwner : file.permissions() & ~write);
        }
    }

    // Every file in dir with its content's digest.
    static QStringList Contents(const QString& dir) {
        QStringList contents;
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
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
    QStringList readOnly;
};

TEST_F(ReadOnlyInstallationTest, ReadingWorksAndEveryWriteSaysTheInstallationIsReadOnly) {
    const TCliRun created =
        Cli({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, u"Kept"_s, u"--crop"_s,
             u"Maize"_s, u"--root"_s, Home() + u"/projects"_s},
            false);
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    if (!MakeReadOnly(InstallDir())) GTEST_SKIP() << "no read-only mount can be made here";
    const QStringList before = Contents(InstallDir());

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
    EXPECT_EQ(Contents(InstallDir()), before);
    EXPECT_TRUE(QFileInfo::exists(Home() + u"/projects/Kept/.kelvo-project"_s));
}

// A re-export into a project folder (or root) that cannot be written is refused at once: the earlier
// export stays whole, and no moved-aside copy is left beside it.
TEST_F(ReadOnlyInstallationTest, AReExportIntoAReadOnlyFolderChangesNothing) {
    const QString root = Home() + u"/projects"_s;
    const QString folder = root + u"/Kept"_s;
    ASSERT_EQ(Cli({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, u"Kept"_s,
                   u"--crop"_s, u"Maize"_s, u"--root"_s, root},
                  false)
                  .exitCode,
              0);
    const TCliRun first = Cli({u"--yes"_s, u"project"_s, u"export"_s, u"Kept"_s}, false);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    for (const QString& dir : {folder, root}) {
        SCOPED_TRACE(dir.toStdString());
        if (!MakeReadOnly(dir)) GTEST_SKIP() << "no read-only mount can be made here";
        const QStringList before = Contents(root);
        const TCliRun again = Cli({u"--yes"_s, u"project"_s, u"export"_s, u"Kept"_s}, true);
        EXPECT_EQ(again.exitCode, 1);
        EXPECT_FALSE(again.out.contains(u"Saved all files"_s)) << again.out.toStdString();
        EXPECT_TRUE(again.err.contains(u"Cannot write"_s)) << again.err.toStdString();
        EXPECT_EQ(Contents(root), before);
        EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{u"Kept"_s});
        if (geteuid() != 0) SetWritable(dir, true);
        readOnly.clear();
    }
}

} // namespace
