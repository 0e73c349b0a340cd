#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

class TScriptedProgress : public TProgressWindow {
public:
    explicit TScriptedProgress(int* steps) : m_steps(steps) {}
    void Start() override {}
    void Step() override { ++*m_steps; }

private:
    int* m_steps;
};

} // namespace

const char* KindName(TScriptedUserInterface::TKind kind) {
    switch (kind) {
    case TScriptedUserInterface::TKind::Warning: return "warning";
    case TScriptedUserInterface::TKind::Information: return "information";
    case TScriptedUserInterface::TKind::Message: return "message";
    case TScriptedUserInterface::TKind::ErrorBox: return "error box";
    case TScriptedUserInterface::TKind::Error: return "error";
    case TScriptedUserInterface::TKind::Question: return "question";
    case TScriptedUserInterface::TKind::DestructiveQuestion: return "destructive question";
    case TScriptedUserInterface::TKind::FileQuestion: return "file question";
    }
    return "?";
}

void PrintTo(const TScriptedUserInterface::TEntry& entry, std::ostream* os) {
    *os << KindName(entry.kind) << " \"" << entry.text.toStdString() << "\"";
}

void TScriptedUserInterface::Answer(bool yes, const QString& expectedQuestion) {
    m_answers.push_back({yes, expectedQuestion, yes ? TSaveAnswer::Save : TSaveAnswer::Cancel});
}

void TScriptedUserInterface::AnswerChoice(TSaveAnswer choice, const QString& expectedQuestion) {
    m_answers.push_back({choice == TSaveAnswer::Save, expectedQuestion, choice});
}

void TScriptedUserInterface::AnswerCancel(const QString& expectedQuestion) {
    m_answers.push_back({false, expectedQuestion, TSaveAnswer::Cancel, true});
}

void TScriptedUserInterface::AnswerPath(const QString& path) { m_paths.push_back(path); }

QVector<TScriptedUserInterface::TEntry> TScriptedUserInterface::Take() {
    QVector<TEntry> taken;
    taken.swap(m_entries);
    return taken;
}

QStringList TScriptedUserInterface::TakeTexts() {
    QStringList texts;
    for (const TEntry& e : Take())
        texts << e.text;
    return texts;
}

void TScriptedUserInterface::VerifyAllChecked() {
    for (const TEntry& e : m_entries)
        ADD_FAILURE() << "Unchecked " << KindName(e.kind) << ": \"" << e.text.toStdString() << "\"";
    for (const TScripted& a : m_answers)
        ADD_FAILURE() << "Scripted answer never asked for: " << (a.yes ? "Yes" : "No") << " to \""
                      << a.question.toStdString() << "\"";
    for (const QString& p : m_paths)
        ADD_FAILURE() << "Scripted path never asked for: \"" << p.toStdString() << "\"";
    m_entries.clear();
    m_answers.clear();
    m_paths.clear();
}

void TScriptedUserInterface::Show(TMessageKind kind, const QString& text) {
    TKind k = TKind::Message;
    switch (kind) {
    case TMessageKind::Warning: k = TKind::Warning; break;
    case TMessageKind::Information: k = TKind::Information; break;
    case TMessageKind::Message: k = TKind::Message; break;
    case TMessageKind::ErrorBox: k = TKind::ErrorBox; break;
    case TMessageKind::Error: k = TKind::Error; break;
    }
    m_entries.append({k, text});
}

bool TScriptedUserInterface::Ask(TQuestionKind, const QString& text) {
    return NextAnswer(TKind::Question, text).yes;
}

bool TScriptedUserInterface::AskDestructive(const QString& text) {
    return NextAnswer(TKind::DestructiveQuestion, text).yes;
}

TSaveAnswer TScriptedUserInterface::AskSaveDiscardCancel(const QString& text) {
    return NextAnswer(TKind::Question, text).choice;
}

TYesNoCancel TScriptedUserInterface::AskYesNoCancel(const QString& text) {
    const TScripted answer = NextAnswer(TKind::Question, text);
    return answer.cancel ? TYesNoCancel::Cancel : answer.yes ? TYesNoCancel::Yes : TYesNoCancel::No;
}

TScriptedUserInterface::TScripted TScriptedUserInterface::NextAnswer(TKind kind, const QString& text) {
    m_entries.append({kind, text});
    if (m_answers.empty()) {
        ADD_FAILURE() << "Question nobody scripted: \"" << text.toStdString() << "\"";
        return {false, {}, TSaveAnswer::Cancel};
    }
    const TScripted answer = m_answers.front();
    m_answers.pop_front();
    if (!answer.question.isEmpty()) {
        EXPECT_EQ(answer.question.toStdString(), text.toStdString()) << "asked a different question";
    }
    return answer;
}

std::unique_ptr<TProgressWindow> TScriptedUserInterface::CreateProgress(const QString&, int) {
    return std::make_unique<TScriptedProgress>(&m_progressSteps);
}

QString TScriptedUserInterface::AnswerPathQuestion(const QString& caption) {
    m_entries.append({TKind::FileQuestion, caption});
    if (m_paths.empty()) {
        ADD_FAILURE() << "File question nobody scripted: \"" << caption.toStdString() << "\"";
        return {};
    }
    const QString path = m_paths.front();
    m_paths.pop_front();
    return path;
}

QString TScriptedUserInterface::AskSaveFileName(const QString& caption, const QString&, const QString&) {
    return AnswerPathQuestion(caption);
}

QString TScriptedUserInterface::AskOpenFileName(const QString& caption, const QString&, const QString&) {
    return AnswerPathQuestion(caption);
}

QString TScriptedUserInterface::AskDirectory(const QString& caption, const QString&) {
    return AnswerPathQuestion(caption);
}
