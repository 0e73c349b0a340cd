#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// The single-instance guard of the kelvo program, one per user: the instance holds a lock file and listens
// on a local server named "Kelvo_gui". A later start finds the lock held, connects to the server, asks the
// first to come to the front and ends silently. The lock of a crashed Kelvo is stale (its process is
// gone) and is taken over with its socket; of two starts at the same moment exactly one gets the lock.
class TInstanceGuard : public QObject {
    Q_OBJECT

public:
    explicit TInstanceGuard(QObject* parent = nullptr);

    // True when this process is the one instance; false when another one runs and was asked to come to
    // the front.
    bool Claim();

    static QString ServerName();

signals:
    // A later start asked this instance to come to the front.
    void raiseRequested();

private:
    void Accept();

    QLockFile m_lock;
    QLocalServer m_server;
};

// Whether a TOXSWA shell runs: its local server "TOXSWA" answers.
bool ToxswaShellRuns();
// Kelvo runs beside a TOXSWA shell only when that shell started it (TOXSWA/toxswa.lck exists); otherwise
// says "TOXSWA is already running. ..." and answers false.
bool ToxswaAllowsStart();
