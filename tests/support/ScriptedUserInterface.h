#pragma once

#include "foundation/UserInterface.h"

#include <QString>
#include <QVector>
#include <deque>

// The test handler of the user-interface port: records every message and question, answers questions
// from a script, and fails the test on a question nobody scripted or a message nobody checked.
class TScriptedUserInterface : public TUserInterface {
public:
    enum class TKind { Warning, Information, Message, ErrorBox, Error, Question, DestructiveQuestion, FileQuestion };
    struct TEntry {
        TKind kind;
        QString text;
        bool operator==(const TEntry&) const = default;
    };

    // The next question is answered Yes (true) or No/Cancel (false); with a text, the question must be it.
    void Answer(bool yes, const QString& expectedQuestion = {});
    // The next question is answered with the choice; Answer(true) counts as Save, Answer(false) as Cancel.
    void AnswerChoice(TSaveAnswer choice, const QString& expectedQuestion = {});
    // The next question is cancelled: Cancel to a Yes/No/Cancel question (Answer(false) is its No).
    void AnswerCancel(const QString& expectedQuestion = {});
    // The next file-name or directory question is answered with path (empty: the user cancelled).
    void AnswerPath(const QString& path);
    // Everything shown or asked since the last call, in order; marks it as checked.
    QVector<TEntry> Take();
    // Only the texts of Take().
    QStringList TakeTexts();
    // Fails the test for every entry not taken and every scripted answer not used; clears both.
    void VerifyAllChecked();

    int ProgressSteps() const { return m_progressSteps; }

    void Show(TMessageKind kind, const QString& text) override;
    bool Ask(TQuestionKind kind, const QString& text) override;
    // Recorded as a destructive question, answered from the same script.
    bool AskDestructive(const QString& text) override;
    TSaveAnswer AskSaveDiscardCancel(const QString& text) override;
    TYesNoCancel AskYesNoCancel(const QString& text) override;
    std::unique_ptr<TProgressWindow> CreateProgress(const QString& comment, int steps) override;
    QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) override;
    QString AskOpenFileName(const QString& caption, const QString& start, const QString& filter) override;
    QString AskDirectory(const QString& caption, const QString& start) override;

private:
    QString AnswerPathQuestion(const QString& caption);

    struct TScripted {
        bool yes;
        QString question;
        TSaveAnswer choice;
        bool cancel = false;
    };
    TScripted NextAnswer(TKind kind, const QString& text);
    QVector<TEntry> m_entries;
    std::deque<TScripted> m_answers;
    std::deque<QString> m_paths;
    int m_progressSteps = 0;
};

const char* KindName(TScriptedUserInterface::TKind kind);
void PrintTo(const TScriptedUserInterface::TEntry& entry, std::ostream* os);
