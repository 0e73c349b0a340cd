#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (logout, kill, Ctrl+C in the terminal) into a signal of the event loop, so the
// program ends through its normal close. The handler only writes a byte into a pipe; the rest runs in the
// event loop. One per process; the default handling comes back when it is destroyed. A signal that
// arrives before Deliver waits for it (the program is still starting).
class TTerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TTerminationSignals(QObject* parent = nullptr);
    ~TTerminationSignals() override;
    TTerminationSignals(const TTerminationSignals&) = delete;
    TTerminationSignals& operator=(const TTerminationSignals&) = delete;

    // From now on terminationRequested is emitted, also for a signal that came earlier.
    void Deliver();

signals:
    void terminationRequested();

private:
    void Arrived();

    QSocketNotifier* m_notifier = nullptr;
};
