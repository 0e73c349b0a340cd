#include "support/KelvoTest.h"
#include "support/WalReplay.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

// Every job of kelvo-cli that changes the scenario database is whole: replaying the write-ahead log
// commit by commit shows only the state before the job and the state after it.

namespace {

struct TJob {
    const char* name;
    QStringList preparation; // commands run before, each must succeed; ';' separates them
    QStringList job;
};

class JobCommitsTest : public TInstallationTest {
protected:
    QString Root() const { return ProjectsRoot(); }

    void Cli(QStringList arguments) {
        arguments.replaceInStrings(u"<root>"_s, Root());
        QProcess process;
        // A copy goes to the default projects root below HOME: a home of the test's own, never the user's.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, Root() + u"/home"_s);
        QDir().mkpath(Root() + u"/home"_s);
        process.setProcessEnvironment(environment);
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir(), u"--yes"_s} + arguments);
        ASSERT_TRUE(process.waitForFinished(300000));
        ASSERT_EQ(0, process.exitCode())
            << arguments.join(u' ').toStdString() << ": " << process.readAllStandardError().toStdString();
    }

    // Runs the preparation, then the job under the replay; answers the number of commits it made.
    qsizetype Replay(const TJob& job) {
        QStringList command;
        for (const QString& word : job.preparation + QStringList{u";"_s}) {
            if (word != u";"_s) {
                command << word;
                continue;
            }
            if (!command.isEmpty()) Cli(command);
            command.clear();
            if (HasFatalFailure()) return -1;
        }
        TWalReplay replay(DatabaseFile());
        Cli(job.job);
        if (HasFatalFailure()) return -1;
        const QStringList states = replay.CommitStates();
        const QString after = TWalReplay::Dump(DatabaseFile());
        EXPECT_NE(replay.Before(), after) << "the job changed nothing";
        for (qsizetype i = 0; i < states.size(); ++i)
            EXPECT_TRUE(states[i] == replay.Before() || states[i] == after)
                << "commit " << i + 1 << " of " << states.size() << " leaves a state between before and after";
        return states.size();
    }
};

// The jobs run one after the other on one installation: the project the first makes, the next copy
// and delete.
const QStringList BigProject = {u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s,
                                u"--name"_s,  u"JOBS"_s,   u"--crop"_s,      u"Vegetables, leafy"_s,
                                u"--root"_s,  u"<root>"_s};

TEST_F(JobCommitsTest, EveryJobIsOneStep) {
    const TJob jobs[] = {
        {"substance new", {}, {u"substance"_s, u"new"_s, u"NEWS"_s, u"new_substance"_s}},
        {"substance copy", {}, {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"COPYP"_s, u"copied"_s}},
        {"substance set",
         {},
         {u"substance"_s, u"set"_s, u"COPYP"_s, u"Substances.MolMass=301"_s, u"Substance_PRZM.dknum=12"_s}},
        {"substance delete",
         {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"GONE"_s, u"gone"_s},
         {u"substance"_s, u"delete"_s, u"GONE"_s}},
        {"exchange import",
         {u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"BACK"_s, u"back"_s, u";"_s, u"exchange"_s, u"write"_s,
          u";"_s, u"substance"_s, u"delete"_s, u"BACK"_s},
         {u"exchange"_s, u"import"_s}},
        {"project create", {}, BigProject},
        {"project copy", {}, {u"project"_s, u"copy"_s, u"JOBS"_s, u"JOBS2"_s}},
        {"run set",
         {},
         {u"run"_s, u"set"_s, u"JOBS"_s, u"00001d_pa"_s, u"--last"_s, u"250"_s, u"--apps"_s, u"2"_s,
          u"--interval"_s, u"20"_s, u"--rates"_s, u"0.5,0.25"_s}},
        {"run copy-pattern",
         {u"run"_s, u"set"_s, u"JOBS"_s, u"00001d_pa"_s, u"--apps"_s, u"1"_s, u"--rates"_s, u"0.3"_s},
         {u"run"_s, u"copy-pattern"_s, u"JOBS"_s, u"00001d_pa"_s}},
        {"project delete", {}, {u"project"_s, u"delete"_s, u"JOBS"_s}},
        {"defaults set",
         {u"substance"_s, u"new"_s, u"PAT"_s, u"patterns"_s},
         {u"defaults"_s, u"set"_s, u"PAT"_s, u"Potatoes"_s, u"D6"_s, u"1st"_s, u"DefAppMethod=ground spray"_s,
          u"DefNumberOfApps=2"_s, u"DefMinIntervalApps=10"_s, u"DefFirstDayYrApp=100"_s,
          u"DefLastDayYrApp=140"_s, u"DefRate=0.5"_s}},
    };
    for (const TJob& job : jobs) {
        SCOPED_TRACE(job.name);
        const qsizetype commits = Replay(job);
        if (HasFatalFailure()) return;
        std::printf("%s: %lld commit(s)\n", job.name, static_cast<long long>(commits));
    }
}

} // namespace
