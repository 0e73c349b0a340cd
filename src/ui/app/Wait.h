#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The progress window that long operations show while they walk through the runs of a project: a red
// bar with its percentage and a comment.
class TfrmWait : public QWidget {
    Q_OBJECT
public:
    // Made hidden, the bar's maximum set to steps (0 steps give an empty bar) and the comment shown.
    TfrmWait(const QString& comment, int steps, QWidget* owner = nullptr);

    // Shows the window (not modal) with the bar at 0.
    void Start();
    // Advances the bar by one.
    void Step();

protected:
    bool event(QEvent* event) override;

private:
    QProgressBar* m_gauge;
    QLabel* m_comment;
};
