#include "support/KelvoTest.h"
#include "ui/app/InstanceGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Guards of this process on installations in a temporary folder, with their lock files and sockets in a
// runtime directory of their own.
class InstanceGuardTest : public TKelvoTest {
protected:
    void SetUp() override {
        TKelvoTest::SetUp();
        ASSERT_TRUE(runtime.isValid() && installations.isValid());
        saved = qgetenv("XDG_RUNTIME_DIR");
        hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }
    void TearDown() override {
        if (hadRuntime)
            qputenv("XDG_RUNTIME_DIR", saved);
        else
            qunsetenv("XDG_RUNTIME_DIR");
        TKelvoTest::TearDown();
    }
    QString Installation(const QString& name) const { return installations.filePath(name) + u'/'; }

    QTemporaryDir runtime;
    QTemporaryDir installations;
    QByteArray saved;
    bool hadRuntime = false;
};

TEST_F(InstanceGuardTest, OneInstallationRunsOnceAndTheSecondStartRaisesTheFirstEvenDuringItsStart) {
    const QString dir = Installation(u"a"_s);
    TInstanceGuard first(dir);
    ASSERT_TRUE(first.Claim());
    QSignalSpy raised(&first, &TInstanceGuard::raiseRequested);
    {
        // The same installation written another way is the same installation.
        TInstanceGuard second(installations.filePath(u"x/../a"_s));
        EXPECT_FALSE(second.Claim());
    }
    // The request arrives while the first is still starting: it waits for the launcher.
    QTest::qWait(300);
    EXPECT_EQ(raised.count(), 0);
    first.Ready();
    EXPECT_EQ(raised.count(), 1);

    // Once the launcher is there a request is passed on at once.
    TInstanceGuard third(dir);
    EXPECT_FALSE(third.Claim());
    EXPECT_TRUE(raised.wait(5000));
    EXPECT_EQ(raised.count(), 2);
}

TEST_F(InstanceGuardTest, TwoInstallationsRunSideBySide) {
    TInstanceGuard a(Installation(u"a"_s));
    TInstanceGuard b(Installation(u"b"_s));
    EXPECT_TRUE(a.Claim());
    EXPECT_TRUE(b.Claim());
    EXPECT_NE(TInstanceGuard::ServerName(Installation(u"a"_s)), TInstanceGuard::ServerName(Installation(u"b"_s)));
}

TEST_F(InstanceGuardTest, LockAndSocketLiveInTheRuntimeDirectoryOrElseTheTemporaryOne) {
    const QString dir = Installation(u"a"_s);
    const QString name = u"kelvo-%1-"_s.arg(getuid());
    {
        TInstanceGuard guard(dir);
        ASSERT_TRUE(guard.Claim());
        const QString lock = TInstanceGuard::LockFileName(dir);
        EXPECT_EQ(QFileInfo(lock).path(), QDir::cleanPath(runtime.path()));
        EXPECT_TRUE(QFileInfo(lock).fileName().startsWith(name)) << lock.toStdString();
        EXPECT_TRUE(QFileInfo::exists(lock));
        EXPECT_TRUE(QFileInfo::exists(TInstanceGuard::ServerName(dir)));
        EXPECT_EQ(QFileInfo(TInstanceGuard::ServerName(dir)).path(), QDir::cleanPath(runtime.path()));
    }
    EXPECT_EQ(QDir(runtime.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System),
              QStringList()) << "the lock and the socket go with the instance";

    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(QFileInfo(TInstanceGuard::LockFileName(dir)).path(), QDir::tempPath());
}

} // namespace
