#include "store/Connection.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"
#include "ui/app/InstanceGuard.h"

#include <QElapsedTimer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <algorithm>
#include <initializer_list>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class KelvoProcessTest : public TInstallationTest {
protected:
    // The lock files and sockets of these starts in a runtime directory of the test's own.
    void SetUp() override {
        TInstallationTest::SetUp();
        ASSERT_TRUE(runtime.isValid());
        hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    }
    void TearDown() override {
        if (hadRuntime)
            qputenv("XDG_RUNTIME_DIR", saved);
        else
            qunsetenv("XDG_RUNTIME_DIR");
        TInstallationTest::TearDown();
    }

    // Waits until a kelvo answers on the single-instance server, while any of the processes runs.
    bool Listening(std::initializer_list<const QProcess*> processes) const {
        const auto running = [&processes] {
            return std::any_of(processes.begin(), processes.end(),
                               [](const QProcess* p) { return p->state() == QProcess::Running; });
        };
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 60000 && running()) {
            QLocalSocket probe;
            probe.connectToServer(TInstanceGuard::ServerName(InstallDir()));
            if (probe.waitForConnected(200)) return true;
            QTest::qWait(200);
        }
        return false;
    }

    void Start(QProcess& process) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"KELVO_HOME"_s, InstallDir());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QString::fromUtf8(KELVO_GUI), QStringList());
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    QTemporaryDir runtime;
    QByteArray saved;
    bool hadRuntime = false;
};

TEST_F(KelvoProcessTest, OneKelvoRunsPerInstallation) {
    {
        SCOPED_TRACE("a second start ends at once while the first keeps running");
        QProcess first;
        Start(first);
        ASSERT_TRUE(Listening({&first})) << "the first kelvo never listened";
        QProcess second;
        Start(second);
        EXPECT_TRUE(second.waitForFinished(20000)) << "the second kelvo did not end";
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        QTest::qWait(300);
        EXPECT_EQ(first.state(), QProcess::Running);

        first.kill(); // a crash: its socket stays behind
        ASSERT_TRUE(first.waitForFinished(10000));
    }
    {
        SCOPED_TRACE("a crashed kelvo does not stop the next start");
        QProcess next;
        Start(next);
        EXPECT_TRUE(Listening({&next})) << "a stale socket stopped the start";
        next.terminate();
        EXPECT_TRUE(next.waitForFinished(10000));
    }
    {
        SCOPED_TRACE("two starts at the same moment leave one running");
        QProcess a;
        QProcess b;
        Start(a);
        Start(b);
        ASSERT_TRUE(Listening({&a, &b}));
        QTest::qWait(2000);
        EXPECT_EQ((a.state() == QProcess::Running) + (b.state() == QProcess::Running), 1);
        for (QProcess* p : {&a, &b}) {
            p->terminate();
            p->waitForFinished(10000);
        }
    }
}

// SIGTERM (logout, kill) and SIGINT (Ctrl+C) end Kelvo as Exit does, here with the about box still open:
// the substances are written back to PRZM, the single-instance lock goes, the exit code is 0.
TEST_F(KelvoProcessTest, TerminationSignalsEndKelvoAsExitDoes) {
    const std::pair<const char*, int> cases[] = {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}};
    const QString chemicals = InstallDir() + u"PRZM/wpic/chmdat.dat"_s;
    const QDateTime old(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    for (const auto& [name, number] : cases) {
        SCOPED_TRACE(name);
        {
            QFile file(chemicals);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QProcess kelvo;
        Start(kelvo);
        ASSERT_TRUE(Listening({&kelvo}));
        QTest::qWait(1000);
        ASSERT_EQ(::kill(static_cast<pid_t>(kelvo.processId()), number), 0);
        ASSERT_TRUE(kelvo.waitForFinished(30000)) << "kelvo did not end";
        EXPECT_EQ(kelvo.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(kelvo.exitCode(), 0);
        EXPECT_FALSE(QFileInfo::exists(TInstanceGuard::LockFileName(InstallDir())));
        EXPECT_FALSE(QFileInfo::exists(TInstanceGuard::ServerName(InstallDir())));
        EXPECT_GT(QFileInfo(chemicals).lastModified(), old) << "the PRZM substances were not written back";
    }
}

// A scenario database that is there but refused never ends the start: the process is still waiting for
// its user well after it began to listen (the offscreen platform leaves its messages unanswered).
TEST_F(KelvoProcessTest, ARefusedDatabaseNeverEndsTheStart) {
    const std::pair<const char*, QByteArray> databases[] = {
        {"newer schema", QByteArray()},
        {"damaged", QByteArray(4096, '\x5a')},
    };
    for (const auto& [name, content] : databases) {
        SCOPED_TRACE(name);
        QFile file(DatabaseFile());
        ASSERT_TRUE(file.exists());
        if (content.isEmpty()) {
            TConnection c;
            c.Open(file.fileName());
            c.Execute(u"UPDATE meta SET Value = ? WHERE Key = 'SchemaVersion'"_s, {ScenarioSchemaVersion + 1});
        } else {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
            file.close();
        }
        QProcess kelvo;
        Start(kelvo);
        ASSERT_TRUE(Listening({&kelvo})) << "kelvo ended before it listened";
        QTest::qWait(3000);
        EXPECT_EQ(kelvo.state(), QProcess::Running) << "exit code " << kelvo.exitCode();
        kelvo.kill();
        ASSERT_TRUE(kelvo.waitForFinished(10000));
    }
}

} // namespace
