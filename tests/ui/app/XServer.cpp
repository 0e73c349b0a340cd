#include "XServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace {

// Xvfb on a display it chooses itself; stopped at the end.
class TXvfb {
public:
    ~TXvfb() {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) m_process.kill();
        m_process.waitForFinished(5000);
    }
    // The display, or empty with the reason in why.
    QString Start(const QString& screen, QString& why) {
        const QString program = QStandardPaths::findExecutable(u"Xvfb"_s);
        if (program.isEmpty()) {
            why = u"Xvfb is not installed (scripts/deps installs the package xvfb)"_s;
            return {};
        }
        m_process.start(program,
                        {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s, screen, u"-nolisten"_s, u"tcp"_s});
        const QDeadlineTimer deadline(15000);
        while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning && !deadline.hasExpired())
            m_process.waitForReadyRead(100);
        const QString number = QString::fromLatin1(m_process.readLine()).trimmed();
        if (number.isEmpty()) {
            why = u"Xvfb did not start: "_s + QString::fromLocal8Bit(m_process.readAllStandardError()).trimmed();
            return {};
        }
        return u":"_s + number;
    }

private:
    QProcess m_process;
};

} // namespace

TXServerRun RunOnXServer(const QString& filter, const QString& screen, const QProcessEnvironment& extra) {
    TXServerRun run;
    TXvfb xvfb;
    const QString display = xvfb.Start(screen, run.notStarted);
    if (display.isEmpty()) return run;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"DISPLAY"_s, display);
    env.remove(u"WAYLAND_DISPLAY"_s);
    // The X platform's session bus client keeps a buffer to the end, as the suppressions know.
    if (!env.contains(u"LSAN_OPTIONS"_s))
        env.insert(u"LSAN_OPTIONS"_s,
                   u"suppressions="_s + QString::fromUtf8(KELVO_DATA_SOURCE_DIR) + u"/../tests/lsan.supp"_s);
    env.insert(extra);
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {u"--gtest_filter="_s + filter});
    if (!child.waitForFinished(300000)) child.kill();
    child.waitForFinished(5000);
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    run.output = QString::fromLocal8Bit(child.readAll());
    return run;
}

bool OnXServer() {
    return QGuiApplication::platformName() == u"xcb"_s;
}
