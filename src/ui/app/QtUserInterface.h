#pragma once

#include "foundation/UserInterface.h"

class QWidget;

// The user-interface handler of the kelvo program: Qt message boxes with the platform's standard
// titles, the progress window, the hourglass cursor and the file dialogs. Every box is modal over the
// active window.
class TQtUserInterface : public TUserInterface {
public:
    void Show(TMessageKind kind, const QString& text) override;
    bool Ask(TQuestionKind kind, const QString& text) override;
    bool AskDestructive(const QString& text) override;
    TSaveAnswer AskSaveDiscardCancel(const QString& text) override;
    TYesNoCancel AskYesNoCancel(const QString& text) override;
    std::unique_ptr<TProgressWindow> CreateProgress(const QString& comment, int steps) override;
    void SetBusy(bool busy) override;
    QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    QString AskOpenFileName(const QString& caption, const QString& start, const QString& filter) override;
    QString AskDirectory(const QString& caption, const QString& start) override;
};

// The window that owns a box or dialog opened now: the active modal window, else the active window.
QWidget* DialogOwner();
