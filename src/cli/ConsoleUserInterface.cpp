#include "cli/ConsoleUserInterface.h"

#include <QTextStream>
#include <algorithm>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

void WriteLine(const QString& text) {
    QTextStream err(stderr);
    err << QString(text).remove(u'\r') << Qt::endl;
}

// A progress bar redrawn in place on the terminal.
class TConsoleProgress : public TProgressWindow {
public:
    TConsoleProgress(const QString& comment, int steps) : m_comment(comment), m_steps(steps) {}
    ~TConsoleProgress() override {
        if (!m_drawn) return;
        QTextStream err(stderr);
        err << Qt::endl;
    }
    void Start() override { Draw(); }
    void Step() override {
        ++m_done;
        Draw();
    }

private:
    void Draw() {
        constexpr int width = 30;
        const int done = m_steps > 0 ? std::min(m_done, m_steps) : 0;
        const int filled = m_steps > 0 ? done * width / m_steps : 0;
        QTextStream(stderr) << u"\r%1 [%2%3] %4/%5"_s
                                   .arg(m_comment, QString(filled, u'#'), QString(width - filled, u' '))
                                   .arg(done)
                                   .arg(m_steps)
                            << Qt::flush;
        m_drawn = true;
    }

    QString m_comment;
    int m_steps;
    int m_done = 0;
    bool m_drawn = false;
};

class TSilentProgress : public TProgressWindow {
public:
    void Start() override {}
    void Step() override {}
};

} // namespace

void TConsoleUserInterface::Show(TMessageKind, const QString& text) {
    WriteLine(text);
}

bool TConsoleUserInterface::Ask(TQuestionKind, const QString& text) {
    switch (m_answer) {
    case TCliAnswer::Yes:
        WriteLine(u"Answered Yes: \"%1\""_s.arg(text));
        return true;
    case TCliAnswer::No:
        WriteLine(u"Answered No: \"%1\""_s.arg(text));
        return false;
    case TCliAnswer::Refuse:
        WriteLine(u"Refused: \"%1\" (answer with --yes)"_s.arg(text));
        return false;
    }
    return false;
}

TSaveAnswer TConsoleUserInterface::AskSaveDiscardCancel(const QString& text) {
    switch (m_answer) {
    case TCliAnswer::Yes:
        WriteLine(u"Answered Save: \"%1\""_s.arg(text));
        return TSaveAnswer::Save;
    case TCliAnswer::No:
        WriteLine(u"Answered Discard: \"%1\""_s.arg(text));
        return TSaveAnswer::Discard;
    case TCliAnswer::Refuse:
        break;
    }
    WriteLine(u"Refused: \"%1\" (answer with --yes or --no)"_s.arg(text));
    return TSaveAnswer::Cancel;
}

std::unique_ptr<TProgressWindow> TConsoleUserInterface::CreateProgress(const QString& comment, int steps) {
    if (isatty(STDERR_FILENO)) return std::make_unique<TConsoleProgress>(comment, steps);
    return std::make_unique<TSilentProgress>();
}

QString TConsoleUserInterface::AskSaveFileName(const QString& caption, const QString&, const QString&) {
    QTextStream(stderr) << caption << u" (refused: give the file name as an argument)"_s << Qt::endl;
    return {};
}

QString TConsoleUserInterface::AskDirectory(const QString& caption, const QString&) {
    QTextStream(stderr) << caption << u" (refused: give the directory as an argument)"_s << Qt::endl;
    return {};
}
