#include "support/FileSizeLimit.h"

#include "foundation/Errors.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void RunChild(int output, long bytes, TScriptedUserInterface& ui,
                           const std::function<void()>& operation) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    QJsonObject outcome;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        outcome[u"error"_s] = u"setrlimit failed"_s;
    } else {
        try {
            operation();
        } catch (const EKelvoError& e) {
            outcome[u"error"_s] = e.Message();
        } catch (const EAbort&) {
            outcome[u"error"_s] = u"(aborted)"_s;
        }
    }
    outcome[u"messages"_s] = QJsonArray::fromStringList(ui.TakeTexts());
    // The file-size limit does not apply to the pipe.
    const QByteArray answer = QJsonDocument(outcome).toJson(QJsonDocument::Compact);
    qsizetype sent = 0;
    while (sent < answer.size()) {
        const ssize_t n =
            ::write(output, answer.constData() + sent, static_cast<size_t>(answer.size() - sent));
        if (n <= 0) break;
        sent += n;
    }
    ::_exit(0); // no destructors, no leak report: the parent owns everything the child inherited
}

} // namespace

TLimitedOutcome RunWithFileSizeLimit(long bytes, TScriptedUserInterface& ui,
                                     const std::function<void()>& operation) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        RunChild(pipeEnds[1], bytes, ui, operation);
    }
    ::close(pipeEnds[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return {};
    TLimitedOutcome outcome;
    outcome.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !answer.isEmpty();
    const QJsonObject object = QJsonDocument::fromJson(answer).object();
    outcome.error = object[u"error"_s].toString();
    for (const QJsonValue& message : object[u"messages"_s].toArray())
        outcome.messages << message.toString();
    return outcome;
}
