#include "store/Connection.h"
#include "store/ScenarioSchema.h"
#include "support/KelvoTest.h"
#include "ui/app/InstanceGuard.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <initializer_list>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class KelvoProcessTest : public TInstallationTest {
protected:
    // Waits until a kelvo answers on the single-instance server, while any of the processes runs.
    static bool Listening(std::initializer_list<const QProcess*> processes) {
        const auto running = [&processes] {
            return std::any_of(processes.begin(), processes.end(),
                               [](const QProcess* p) { return p->state() == QProcess::Running; });
        };
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 60000 && running()) {
            QLocalSocket probe;
            probe.connectToServer(TInstanceGuard::ServerName());
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
};

// One test, as the single-instance server is one per user: tests of it must not run side by side.
TEST_F(KelvoProcessTest, OneKelvoRunsPerUser) {
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
