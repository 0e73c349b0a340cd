#include "ui/app/InstanceGuard.h"

#include "foundation/Installation.h"
#include "foundation/UserInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int answerTimeout = 1000;

bool Answers(const QString& name) {
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(answerTimeout);
}

// Asks the running instance to come to the front; false when nobody answers.
bool AskToRaise(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(answerTimeout)) return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(answerTimeout);
    socket.disconnectFromServer();
    return true;
}

} // namespace

TInstanceGuard::TInstanceGuard(QObject* parent)
    : QObject(parent), m_lock(QDir::tempPath() + u"/%1.lck"_s.arg(ServerName())) {
    // Only a lock whose process is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &TInstanceGuard::Accept);
}

QString TInstanceGuard::ServerName() {
    return u"Kelvo_gui-%1"_s.arg(getuid());
}

bool TInstanceGuard::Claim() {
    const QString name = ServerName();
    if (m_lock.tryLock(0)) {
        QLocalServer::removeServer(name); // the socket of a crashed Kelvo
        m_server.listen(name);
        return true;
    }
    // A lock that cannot be written at all must not keep Kelvo from running.
    if (m_lock.error() != QLockFile::LockFailedError) return true;
    // The instance may still be starting: give it a few seconds to listen.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (AskToRaise(name)) return false;
        QThread::msleep(250);
    }
    return false;
}

void TInstanceGuard::Accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise")) emit raiseRequested();
        });
    }
}

bool ToxswaShellRuns() {
    return Answers(u"TOXSWA"_s);
}

bool ToxswaAllowsStart() {
    if (!ToxswaShellRuns() || QFileInfo::exists(InstallationDir() + u"TOXSWA/toxswa.lck"_s)) return true;
    ShowMessage(u"TOXSWA is already running. First stop TOXSWA or start KELVO from TOXSWA shell."_s);
    return false;
}
