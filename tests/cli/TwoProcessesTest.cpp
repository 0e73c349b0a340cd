#include "store/Connection.h"
#include "support/KelvoTest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// Two kelvo-cli processes work on one scenario database at the same time, as the TOXSWA shell or a second
// Kelvo do beside the launcher: edits and exports interleave, every one succeeds without a word about a
// lock, and no edit is lost. A writer kept out longer than the busy timeout is told who holds the file.
// KELVO_TWO_PROCESS_OPS sets the operations per process.

namespace {

class TwoProcessesTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        if (HasFatalFailure()) return;
        for (const QString& name : {u"PA"_s, u"PB"_s})
            Cli({u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, name, u"--crop"_s,
                 u"Maize"_s, u"--root"_s, ProjectsRoot()});
    }

    QStringList Arguments(const QStringList& arguments) const {
        return QStringList{u"--install-dir"_s, InstallDir(), u"--yes"_s} + arguments;
    }
    void Cli(const QStringList& arguments) const {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI), Arguments(arguments));
        ASSERT_TRUE(process.waitForFinished(120000));
        ASSERT_EQ(0, process.exitCode()) << process.readAllStandardError().toStdString();
    }

    // The drainage parent runs of a project, one per run number.
    QStringList Runs(const QString& project) {
        TConnection c;
        c.Open(DatabaseFile());
        QStringList runs;
        for (const TSqlRow& row :
             c.Select(
                  u"SELECT r.RunID FROM Runs r JOIN Projects p ON p.ProjectID = r.ProjectID WHERE p.Name = ? "
                  u"AND r.LocationCode LIKE 'D%' AND r.RunID LIKE '%d_pa' ORDER BY r.RunID"_s,
                  {project})
                 .rows)
            runs << row[0].toString();
        return runs;
    }
    double Rate(const QString& runId) {
        TConnection c;
        c.Open(DatabaseFile());
        return c.Select(u"SELECT Rate FROM Applications WHERE RunID = ? AND ApplicationNr = 1"_s, {runId})
            .rows.value(0)
            .value(0)
            .toDouble();
    }
};

// One process's queue of operations, each started when the one before it has ended.
struct TWorker {
    QStringList (*next)(int index, const QStringList& runs);
    QStringList runs;
    int count = 0;
    int done = 0;
    std::unique_ptr<QProcess> process{};
    QElapsedTimer clock{};
};

TEST_F(TwoProcessesTest, InterleavedEditsAndExportsAllSucceedAndNoEditIsLost) {
    const int operations = qEnvironmentVariableIsSet("KELVO_TWO_PROCESS_OPS")
                               ? qEnvironmentVariableIntValue("KELVO_TWO_PROCESS_OPS")
                               : 150;
    const QStringList runsA = Runs(u"PA"_s);
    const QStringList runsB = Runs(u"PB"_s);
    ASSERT_GE(runsA.size(), 2);
    ASSERT_GE(runsB.size(), 2);
    // The first process edits the runs of PA in turn; the second exports PB and edits its runs between.
    TWorker workers[] = {
        {[](int i, const QStringList& runs) {
             return QStringList{
                 u"run"_s, u"set"_s, u"PA"_s, runs[i % runs.size()], u"--rates"_s, QString::number(i + 1)};
         },
         runsA, operations, 0, nullptr, QElapsedTimer()},
        {[](int i, const QStringList& runs) {
             if (i % 2 == 0) return QStringList{u"project"_s, u"export"_s, u"PB"_s};
             return QStringList{u"run"_s,     u"set"_s,
                                u"PB"_s,      runs[(i / 2) % runs.size()],
                                u"--rates"_s, QString::number(i + 1)};
         },
         runsB, operations, 0, nullptr, QElapsedTimer()},
    };
    QElapsedTimer total;
    total.start();
    qint64 longest = 0;
    while (workers[0].done < operations || workers[1].done < operations) {
        ASSERT_LT(total.elapsed(), 600000) << "the two processes did not finish within ten minutes";
        for (TWorker& w : workers) {
            if (w.process && w.process->state() == QProcess::NotRunning) {
                const QString err = QString::fromUtf8(w.process->readAllStandardError());
                EXPECT_EQ(QProcess::NormalExit, w.process->exitStatus());
                EXPECT_EQ(0, w.process->exitCode())
                    << w.process->arguments().join(u' ').toStdString() << ": " << err.toStdString();
                EXPECT_FALSE(err.contains(u"lock"_s, Qt::CaseInsensitive)) << err.toStdString();
                longest = std::max(longest, w.clock.elapsed());
                w.process.reset();
                ++w.done;
            }
            if (!w.process && w.done < w.count) {
                w.process = std::make_unique<QProcess>();
                w.clock.start();
                w.process->start(QString::fromUtf8(KELVO_CLI), Arguments(w.next(w.done, w.runs)));
            }
        }
        if (workers[0].process) workers[0].process->waitForFinished(5);
        if (workers[1].process) workers[1].process->waitForFinished(5);
        if (HasFailure()) break;
    }
    const double seconds = static_cast<double>(total.elapsed()) / 1000.0;
    std::printf("two processes: %d operations in %.1f s (%.2f per second), longest operation %lld ms\n",
                2 * operations, seconds, 2 * operations / seconds, static_cast<long long>(longest));

    // Each run keeps the rate of its last edit.
    for (int i = std::max(0, operations - static_cast<int>(runsA.size())); i < operations; ++i)
        EXPECT_EQ(i + 1, Rate(runsA[i % runsA.size()])) << runsA[i % runsA.size()].toStdString();
    for (int i = 1; i < operations; i += 2) {
        if (i + 2 * runsB.size() < operations) continue;
        EXPECT_EQ(i + 1, Rate(runsB[(i / 2) % runsB.size()])) << runsB[(i / 2) % runsB.size()].toStdString();
    }
}

TEST_F(TwoProcessesTest, AWriterKeptOutPastTheTimeoutIsToldWhoHoldsTheFile) {
    const QString runId = Runs(u"PA"_s).value(0);
    TConnection holder;
    holder.Open(DatabaseFile());
    holder.BeginTrans();
    holder.Execute(u"UPDATE Projects SET Description = 'held' WHERE Name = 'PB'"_s);
    QProcess process;
    process.start(QString::fromUtf8(KELVO_CLI),
                  Arguments({u"run"_s, u"set"_s, u"PA"_s, runId, u"--rates"_s, u"9"_s}));
    ASSERT_TRUE(process.waitForFinished(60000));
    holder.RollbackTrans();
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(1, process.exitCode());
    const QString who = u"%1 is in use by test_cli (process %2) and stayed locked: "_s.arg(
        DatabaseFile(), QString::number(QCoreApplication::applicationPid()));
    EXPECT_TRUE(err.startsWith(who)) << err.toStdString();
    EXPECT_NE(9.0, Rate(runId));
}

} // namespace
