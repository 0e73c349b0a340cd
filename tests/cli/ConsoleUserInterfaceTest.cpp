#include "cli/ConsoleUserInterface.h"
#include "support/KelvoTest.h"

#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs an action with stderr sent to a file; answers what it wrote.
QString CaptureStderr(const QString& file, const std::function<void()>& action) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int target = open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(target, STDERR_FILENO);
    close(target);
    action();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    QFile captured(file);
    EXPECT_TRUE(captured.open(QIODevice::ReadOnly));
    return QString::fromUtf8(captured.readAll());
}

TEST(ConsoleUserInterfaceTest, AnswersQuestionsAsToldAndNamesThemOnStderr) {
    struct TCase {
        TCliAnswer answer;
        bool yes;
        QString said;
    };
    const TCase cases[] = {
        {TCliAnswer::Refuse, false, u"Refused: \"Save changes?\" (answer with --yes)\n"_s},
        {TCliAnswer::Yes, true, u"Answered Yes: \"Save changes?\"\n"_s},
        {TCliAnswer::No, false, u"Answered No: \"Save changes?\"\n"_s},
    };
    QTemporaryDir temp;
    for (const TCase& c : cases) {
        TConsoleUserInterface console(c.answer);
        bool answer = !c.yes;
        const QString said = CaptureStderr(
            temp.filePath(u"err"_s), [&] { answer = console.Ask(TQuestionKind::YesNo, u"Save changes?"_s); });
        EXPECT_EQ(answer, c.yes);
        EXPECT_EQ(said, c.said);
    }
}

TEST(ConsoleUserInterfaceTest, ShowsMessagesOnStderrAndNoProgressBarOffTheTerminal) {
    QTemporaryDir temp;
    TConsoleUserInterface console(TCliAnswer::Refuse);
    const QString said = CaptureStderr(temp.filePath(u"err"_s), [&] {
        console.Show(TMessageKind::Warning, u"Last day should always be later"_s);
        console.Show(TMessageKind::Error, u"Application window too small\n\rN.B. All R scenarios"_s);
        std::unique_ptr<TProgressWindow> progress = console.CreateProgress(u"Updating MACRO database"_s, 3);
        progress->Start();
        progress->Step();
    });
    EXPECT_EQ(said,
              u"Last day should always be later\nApplication window too small\nN.B. All R scenarios\n"_s);
}

} // namespace
