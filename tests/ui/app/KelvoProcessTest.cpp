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
    // The first is up once its single-instance server answers.
    QElapsedTimer waited;
    waited.start();
    bool listening = false;
    while (!listening && waited.elapsed() < 60000 && first.state() == QProcess::Running) {
        QLocalSocket probe;
        probe.connectToServer(TInstanceGuard::ServerName());
        listening = probe.waitForConnected(200);
        if (!listening) QTest::qWait(200);
    }
    ASSERT_TRUE(listening) << "the first kelvo never listened";

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

} // namespace
