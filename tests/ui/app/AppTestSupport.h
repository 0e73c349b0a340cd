#pragma once

#include "support/KelvoTest.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>

class QWidget;

// Answers the next modal window: as soon as one is active, calls answer with it (Qt's own widget tests
// do it this way). Fails the test when none appears within a few seconds.
void AnswerModal(std::function<void(QWidget*)> answer);

// A program directory in a temporary folder with the program files of the source tree (help,
// introduction, map outlines, the scenario database's template) at the places the build puts them.
class TProgramDir {
public:
    TProgramDir();
    ~TProgramDir();
    QString Path() const;
    QString File(const QString& relativePath) const;

private:
    QTemporaryDir m_dir;
};

// The source of a program file in the source tree.
QString DataSourceFile(const QString& relativePath);

// Takes the local files handed to the desktop while it lives, instead of the user's browser.
class TFileUrlCatcher : public QObject {
    Q_OBJECT
public:
    TFileUrlCatcher();
    ~TFileUrlCatcher() override;
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url);
};
