#include "ui/app/InstanceGuard.h"

#include "foundation/Installation.h"
#include "foundation/UserInterface.h"

#include <QFileInfo>
#include <QLocalSocket>
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

TInstanceGuard::TInstanceGuard(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &TInstanceGuard::Accept);
}

QString TInstanceGuard::ServerName() {
    return u"Kelvo_gui-%1"_s.arg(getuid());
}

bool TInstanceGuard::Claim() {
    const QString name = ServerName();
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (AskToRaise(name)) return false;
        if (m_server.listen(name)) return true;
        // Another start may have begun listening in between; else the socket is a crashed Kelvo's.
        if (m_server.serverError() == QAbstractSocket::AddressInUseError && !Answers(name))
            QLocalServer::removeServer(name);
    }
    return m_server.listen(name);
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
