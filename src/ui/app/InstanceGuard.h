#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// The single-instance guard of the kelvo program, one per user and working installation: the instance
// holds a lock file and listens on a local socket beside it, both in the user's runtime directory
// (XDG_RUNTIME_DIR, else the temporary directory) and named after the user and a short hash of the
// installation's path. A later start on the same installation finds the lock held, asks the first to come
// to the front and ends silently; another installation runs beside it. The lock of a crashed Kelvo is
// stale (its process is gone) and is taken over with its socket; of two starts at the same moment exactly
// one gets the lock.
class TInstanceGuard : public QObject {
    Q_OBJECT

public:
    explicit TInstanceGuard(const QString& installationDir, QObject* parent = nullptr);

    // True when this process is the one instance; false when another one runs and was asked to come to
    // the front.
    bool Claim();
    // The launcher is there: a request to come to the front that arrived during the start is passed on
    // now, later ones at once.
    void Ready();

    // The name of the socket and the lock file of an installation, without directory or extension.
    static QString InstanceName(const QString& installationDir);
    // The directory holding the lock file and the socket.
    static QString RuntimeDir();
    static QString LockFileName(const QString& installationDir);
    static QString ServerName(const QString& installationDir);

signals:
    // A later start asked this instance to come to the front.
    void raiseRequested();

private:
    void Accept();
    void RaiseRequestArrived();

    QString m_serverName;
    QLockFile m_lock;
    QLocalServer m_server;
    bool m_ready = false;
    bool m_raisePending = false;
};

// Whether a TOXSWA shell runs: its local server "TOXSWA" answers.
bool ToxswaShellRuns();
// Kelvo runs beside a TOXSWA shell only when that shell started it (TOXSWA/toxswa.lck exists); otherwise
// says "TOXSWA is already running. ..." and answers false.
bool ToxswaAllowsStart();
