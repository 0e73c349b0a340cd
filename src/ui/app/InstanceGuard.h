#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// The single-instance guard of the kelvo program: a local server named "Kelvo_gui" (one per user). A
// second start connects to it, asks the first to come to the front and ends silently. A socket left by a
// crashed Kelvo, where nobody answers, is removed; of two starts at the same moment exactly one listens.
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

    QLocalServer m_server;
};

// Whether a TOXSWA shell runs: its local server "TOXSWA" answers.
bool ToxswaShellRuns();
// Kelvo runs beside a TOXSWA shell only when that shell started it (TOXSWA/toxswa.lck exists); otherwise
// says "TOXSWA is already running. ..." and answers false.
bool ToxswaAllowsStart();
