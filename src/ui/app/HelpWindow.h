#pragma once

#include <QDialog>

class QTextBrowser;

// The help window: the help file in a browser with its own history, opened at an anchor.
class THelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* owner);

    // Shows the file at the anchor (empty: the top).
    void Open(const QString& fileName, const QString& anchor);
    // The anchor shown last.
    QString Anchor() const;

private:
    QTextBrowser* m_browser;
};
