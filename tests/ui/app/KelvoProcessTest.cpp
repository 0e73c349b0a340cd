#include "support/KelvoTest.h"
#include "ui/app/InstanceGuard.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

class KelvoProcessTest : public TInstallationTest {
protected:
    // Waits until a kelvo answers on the single-instance server.
    static bool Listening(const QProcess& process) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 60000 && process.state() == QProcess::Running) {
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

TEST_F(KelvoProcessTest, ASecondStartEndsAtOnceWhileTheFirstKeepsRunning) {
    QProcess first;
    Start(first);
    ASSERT_TRUE(Listening(first)) << "the first kelvo never listened";

    QProcess second;
    Start(second);
    EXPECT_TRUE(second.waitForFinished(20000)) << "the second kelvo did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    QTest::qWait(300);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    EXPECT_TRUE(first.waitForFinished(10000));
}

TEST_F(KelvoProcessTest, ACrashedKelvoDoesNotStopTheNextStart) {
    QProcess crashed;
    Start(crashed);
    ASSERT_TRUE(Listening(crashed));
    crashed.kill(); // its socket stays behind
    ASSERT_TRUE(crashed.waitForFinished(10000));

    QProcess next;
    Start(next);
    EXPECT_TRUE(Listening(next)) << "a stale socket stopped the start";
    next.terminate();
    EXPECT_TRUE(next.waitForFinished(10000));
}

TEST_F(KelvoProcessTest, TwoStartsAtTheSameMomentLeaveOneRunning) {
    QProcess a;
    QProcess b;
    Start(a);
    Start(b);
    ASSERT_TRUE(Listening(a.state() == QProcess::Running ? a : b));
    QTest::qWait(2000);
    const int running = (a.state() == QProcess::Running) + (b.state() == QProcess::Running);
    EXPECT_EQ(running, 1);
    for (QProcess* p : {&a, &b}) {
        p->terminate();
        p->waitForFinished(10000);
    }
}

} // namespace
