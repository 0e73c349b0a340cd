#include "ui/app/InstanceGuard.h"

#include "foundation/Installation.h"
#include "foundation/UserInterface.h"

#include <QCryptographicHash>
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

TInstanceGuard::TInstanceGuard(const QString& installationDir, QObject* parent)
    : QObject(parent), m_serverName(ServerName(installationDir)), m_lock(LockFileName(installationDir)) {
    // Only a lock whose process is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &TInstanceGuard::Accept);
}

QString TInstanceGuard::InstanceName(const QString& installationDir) {
    // The same installation however its path is written (trailing "/", "..", a symbolic link), also
    // before its first start has made it: the deepest existing folder is resolved, the rest appended.
    QString path = QDir::cleanPath(QFileInfo(installationDir).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(path) && path != u"/"_s) {
        rest = u'/' + QFileInfo(path).fileName() + rest;
        path = QFileInfo(path).path();
    }
    path = QDir::cleanPath(QFileInfo(path).canonicalFilePath() + rest);
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(12);
    return u"kelvo-%1-%2"_s.arg(getuid()).arg(QString::fromLatin1(hash));
}

QString TInstanceGuard::RuntimeDir() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return QDir::cleanPath(runtime);
    return QDir::tempPath();
}

QString TInstanceGuard::LockFileName(const QString& installationDir) {
    return RuntimeDir() + u'/' + InstanceName(installationDir) + u".lck"_s;
}

QString TInstanceGuard::ServerName(const QString& installationDir) {
    return RuntimeDir() + u'/' + InstanceName(installationDir) + u".socket"_s;
}

bool TInstanceGuard::Claim() {
    if (m_lock.tryLock(0)) {
        QLocalServer::removeServer(m_serverName); // the socket of a crashed Kelvo
        m_server.listen(m_serverName);
        return true;
    }
    // A lock that cannot be written at all must not keep Kelvo from running.
    if (m_lock.error() != QLockFile::LockFailedError) return true;
    // The instance may still be starting: give it a few seconds to listen.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (AskToRaise(m_serverName)) return false;
        QThread::msleep(250);
    }
    return false;
}

void TInstanceGuard::Ready() {
    m_ready = true;
    if (!m_raisePending) return;
    m_raisePending = false;
    emit raiseRequested();
}

void TInstanceGuard::RaiseRequestArrived() {
    if (m_ready)
        emit raiseRequested();
    else
        m_raisePending = true;
}

void TInstanceGuard::Accept() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("raise")) RaiseRequestArrived();
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
