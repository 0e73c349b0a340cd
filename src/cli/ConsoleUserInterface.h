#pragma once

#include "foundation/UserInterface.h"

// How kelvo-cli answers the questions of the core.
enum class TCliAnswer {
    Refuse, // no --yes or --no: answer No and say which question was refused
    Yes,    // --yes
    No      // --no
};

// The user-interface handler of kelvo-cli: messages go to stderr, questions are answered by --yes or
// --no, and progress is drawn as a bar on stderr when stderr is a terminal.
class TConsoleUserInterface : public TUserInterface {
public:
    explicit TConsoleUserInterface(TCliAnswer answer) : m_answer(answer) {}

    void Show(TMessageKind kind, const QString& text) override;
    bool Ask(TQuestionKind kind, const QString& text) override;
    // --yes saves, --no discards, neither cancels.
    TSaveAnswer AskSaveDiscardCancel(const QString& text) override;
    std::unique_ptr<TProgressWindow> CreateProgress(const QString& comment, int steps) override;
    // kelvo-cli takes file and directory names as arguments: a question for one is refused.
    QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    QString AskDirectory(const QString& caption, const QString& start) override;

private:
    TCliAnswer m_answer;
};
