#include "support/KelvoTest.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// kelvo-cli on a fresh installation, its projects below <install>/projects: projects made with both
// wizards' paths, listed, edited, copied and deleted as a user of the command line would.
class ProjectCliTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        if (HasFatalFailure()) return;
        // Not there yet: --root makes it.
        root = ProjectsRoot() + u"/nested"_s;
    }

    TCliRun Cli(const QStringList& arguments) const {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << "kelvo-cli did not end";
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    // A command that must succeed; answers its messages.
    QStringList Ok(const QStringList& arguments) const {
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.exitCode, 0) << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
        return run.err.split(u'\n', Qt::SkipEmptyParts);
    }
    // A command that must be refused; answers its messages.
    QStringList Refused(const QStringList& arguments, int exitCode = 1) const {
        const TCliRun run = Cli(arguments);
        EXPECT_EQ(run.exitCode, exitCode)
            << arguments.join(u' ').toStdString() << ": " << run.out.toStdString();
        return run.err.split(u'\n', Qt::SkipEmptyParts);
    }
    QJsonObject Json(const QStringList& arguments) const {
        const TCliRun run = Cli(QStringList{u"--json"_s} + arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }
    QStringList Create(const QString& name, const QStringList& more) const {
        return Ok(QStringList{u"project"_s, u"create"_s, u"--substance"_s, u"EXAMPLE_P"_s, u"--name"_s, name,
                              u"--root"_s, root} +
                  more);
    }
    QStringList ProjectNames() const {
        QStringList names;
        for (const QJsonValue& p : Json({u"project"_s, u"list"_s})[u"projects"_s].toArray())
            names << p[u"name"_s].toString();
        return names;
    }
    // The runs of a project by RunID.
    QMap<QString, QJsonObject> Runs(const QString& project) const {
        QMap<QString, QJsonObject> runs;
        for (const QJsonValue& run : Json({u"project"_s, u"runs"_s, project})[u"runs"_s].toArray())
            runs.insert(run[u"runId"_s].toString(), run.toObject());
        return runs;
    }
    static QString Pattern(const QJsonObject& run) {
        QStringList rates;
        for (const QJsonValue& a : run[u"pattern"_s].toArray())
            rates << QString::number(a[u"rate"_s].toDouble()) + u'/' + a[u"cam"_s].toString();
        return u"%1 %2 %3-%4 %5 [%6]"_s.arg(run[u"method"_s].toString())
            .arg(run[u"applications"_s].toInt())
            .arg(run[u"firstDay"_s].toInt())
            .arg(run[u"lastDay"_s].toInt())
            .arg(run[u"interval"_s].toInt())
            .arg(rates.join(u", "_s));
    }

    QString root;
};

TEST_F(ProjectCliTest, CreateListEditCopyDelete) {
    // The FOCUS wizard's project: Maize at every scenario growing it, all water body types.
    EXPECT_EQ(Create(u"F1"_s, {u"--crop"_s, u"maize"_s, u"--description"_s, u"first"_s}),
              QStringList{u"Created runs: 22"_s});
    // The user-defined wizard's project: the chosen crops, water bodies and scenarios (sorted).
    EXPECT_EQ(Create(u"U1"_s, {u"--crops"_s, u"Cereals, winter,Maize"_s, u"--waterbodies"_s, u"stream"_s,
                               u"--scenarios"_s, u"R1,D4"_s}),
              QStringList{u"Created runs: 8"_s});
    EXPECT_EQ(ProjectNames(), (QStringList{u"F1"_s, u"U1"_s}));
    const QJsonObject shown = Json({u"project"_s, u"show"_s, u"f1"_s});
    EXPECT_EQ(shown[u"path"_s].toString(), root + u"/F1"_s);
    EXPECT_EQ(shown[u"description"_s].toString(), u"first"_s);
    EXPECT_EQ(shown[u"runs"_s].toInt(), 22);
    EXPECT_TRUE(QFileInfo(root + u"/F1"_s).isDir());

    QMap<QString, QJsonObject> user = Runs(u"U1"_s);
    // Numbers after the 8 of F1: the crops in the given order, the scenarios sorted.
    EXPECT_EQ(user.keys(), (QStringList{u"00009s_m1"_s, u"00009s_pa"_s, u"00010s_m1"_s, u"00010s_pa"_s,
                                        u"00011s_m1"_s, u"00011s_pa"_s, u"00012s_m1"_s, u"00012s_pa"_s}));
    EXPECT_EQ(user[u"00009s_pa"_s][u"crop"_s].toString(), u"Cereals, winter"_s);
    EXPECT_EQ(user[u"00009s_pa"_s][u"scenario"_s].toString(), u"D4"_s);
    EXPECT_EQ(user[u"00010s_pa"_s][u"scenario"_s].toString(), u"R1"_s);
    EXPECT_EQ(user[u"00011s_pa"_s][u"crop"_s].toString(), u"Maize"_s);

    // A drainage run's new pattern reaches its siblings; the text of a day is stored as typed.
    QMap<QString, QJsonObject> runs = Runs(u"F1"_s);
    EXPECT_EQ(Pattern(runs[u"00002p_pa"_s]), u"ground spray 1 116-146 1 [1/Foliar, linear]"_s);
    Ok({u"run"_s, u"set"_s, u"F1"_s, u"00002p_pa"_s, u"--apps"_s, u"2"_s, u"--interval"_s, u"10"_s,
        u"--first"_s, u"01-may"_s, u"--last"_s, u"200"_s, u"--rates"_s, u"1.5,0.12345"_s});
    runs = Runs(u"F1"_s);
    for (const QString& id : {u"00002p_pa"_s, u"00002p_m1"_s, u"00002s_pa"_s, u"00002s_m1"_s}) {
        EXPECT_EQ(Pattern(runs[id]),
                  u"ground spray 2 121-200 10 [1.5/Foliar, linear, 0.1234/Foliar, linear]"_s)
            << id.toStdString();
        EXPECT_EQ(runs[id][u"first"_s].toString(), u"01-may"_s);
    }
    EXPECT_EQ(Pattern(runs[u"00003p_pa"_s]), u"ground spray 1 116-146 1 [1/Foliar, linear]"_s);

    // Selection for the report.
    Ok({u"run"_s, u"select"_s, u"F1"_s, u"--all"_s, u"--off"_s});
    Ok({u"run"_s, u"select"_s, u"F1"_s, u"00003s_pa"_s});
    int selected = 0;
    for (const QJsonObject& run : Runs(u"F1"_s))
        selected += run[u"selected"_s].toBool() ? 1 : 0;
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(Runs(u"F1"_s)[u"00003s_pa"_s][u"selected"_s].toBool());

    // The copy: new numbers above every number in use, below the root given.
    EXPECT_EQ(Ok({u"project"_s, u"copy"_s, u"F1"_s, u"F1copy"_s, u"--root"_s, root}),
              (QStringList{u"Created runs: 22"_s, u"New project created: F1copy"_s}));
    const QMap<QString, QJsonObject> copied = Runs(u"F1copy"_s);
    EXPECT_EQ(copied.size(), 22);
    EXPECT_EQ(copied.firstKey(), u"00013d_m1"_s);
    EXPECT_EQ(copied.lastKey(), u"00020s_pa"_s);
    EXPECT_EQ(Pattern(copied[u"00014s_m1"_s]), Pattern(runs[u"00002s_m1"_s]));
    EXPECT_EQ(Json({u"project"_s, u"show"_s, u"F1copy"_s})[u"description"_s].toString(), u"Copy_of_first"_s);

    // Deletion: the questions need an answer; --keep-files keeps the directory.
    EXPECT_EQ(Refused({u"project"_s, u"delete"_s, u"F1copy"_s}),
              QStringList{u"Refused: \"Remove project: F1copy\" (answer with --yes)"_s});
    EXPECT_EQ(ProjectNames(), (QStringList{u"F1"_s, u"U1"_s, u"F1copy"_s}));
    EXPECT_EQ(Ok({u"--yes"_s, u"project"_s, u"delete"_s, u"F1copy"_s, u"--keep-files"_s}),
              (QStringList{u"Answered Yes: \"Remove project: F1copy\""_s,
                           u"Answered No: \"Also delete created files?\" (--keep-files)"_s}));
    EXPECT_TRUE(QFileInfo(root + u"/F1copy"_s).isDir());
    EXPECT_EQ(
        Ok({u"--yes"_s, u"project"_s, u"delete"_s, u"F1"_s}),
        (QStringList{u"Answered Yes: \"Remove project: F1\""_s,
                     u"Answered Yes: \"Also delete created files?\""_s, u"All created files deleted!"_s}));
    EXPECT_FALSE(QFileInfo::exists(root + u"/F1"_s));
    EXPECT_EQ(ProjectNames(), QStringList{u"U1"_s});
    EXPECT_EQ(Refused({u"project"_s, u"runs"_s, u"F1"_s}), QStringList{u"Project not found: F1"_s});
}

// Step 4: the mitigation of every drift run, of one water body type or of named runs, refused whole
// when one run refuses it; a copy taken before keeps Step 3, a copy taken after keeps the mitigation.
TEST_F(ProjectCliTest, MitigateTheDriftRunsAndCopyTheProject) {
    Create(u"F1"_s, {u"--crop"_s, u"maize"_s});
    Ok({u"project"_s, u"copy"_s, u"F1"_s, u"Step3"_s, u"--root"_s, root});
    const auto mitigations = [this](const QString& project) {
        QMap<QString, QString> shown;
        for (const QJsonObject& run : Runs(project))
            shown.insert(run[u"runId"_s].toString(), run[u"bufferDistance"_s].isNull()
                                                         ? u"focus/%1"_s.arg(run[u"driftReduction"_s].toInt())
                                                         : u"%1/%2"_s.arg(run[u"bufferDistance"_s].toDouble())
                                                               .arg(run[u"driftReduction"_s].toInt()));
        return shown;
    };
    const QMap<QString, QString> step3 = mitigations(u"F1"_s);
    ASSERT_EQ(step3.size(), 22);
    for (const QString& shown : step3)
        EXPECT_EQ(shown, u"focus/0"_s);

    struct TRefusal {
        QStringList arguments;
        QString message;
    };
    const TRefusal refusals[] = {
        {{u"--mitigation"_s, u"1"_s},
         u"Run 00001d_pa: The buffer must be at least the FOCUS distance of 1.30 m for this crop and water body"_s},
        {{u"--mitigation"_s, u"3"_s, u"--water"_s, u"focus_pond"_s},
         u"Run 00002p_pa: The buffer must be at least the FOCUS distance of 3.80 m for this crop and water body"_s},
        {{u"--mitigation"_s, u"-2"_s},
         u"Run 00001d_pa: The buffer must be at least the FOCUS distance of 1.30 m for this crop and water body"_s},
        {{u"--mitigation"_s, u"120"_s},
         u"Run 00001d_pa: The buffer of 120 m is too wide: it must lie between 1.30 m and 100 m"_s},
        {{u"--mitigation"_s, u"ten"_s},
         u"'ten' is not a buffer distance: give a number of metres from the FOCUS distance to 100, or focus"_s},
        {{u"--mitigation"_s, u"10"_s, u"--reduction"_s, u"80"_s},
         u"A drift reduction of 80 % is not a technique class: it must be one of 0, 50, 75, 90, 95 %"_s},
        {{u"--mitigation"_s, u"10"_s, u"--run"_s, u"00001d_m1"_s},
         u"Run 00001d_m1: A metabolite run gets no spray drift: it takes no buffer or drift reduction"_s},
        {{u"--mitigation"_s, u"10"_s, u"--run"_s, u"00099d_pa"_s}, u"Run 00099d_pa not found in the project"_s},
    };
    for (const TRefusal& r : refusals) {
        SCOPED_TRACE(r.arguments.join(u' ').toStdString());
        EXPECT_EQ(Refused(QStringList{u"project"_s, u"mitigate"_s, u"F1"_s} + r.arguments),
                  QStringList{r.message});
    }
    EXPECT_EQ(mitigations(u"F1"_s), step3);
    EXPECT_EQ(Refused({u"project"_s, u"mitigate"_s, u"F1"_s}, 2).value(0), u"--mitigation is missing"_s);
    QString otherDitch;
    for (const QString& runId : step3.keys())
        if (otherDitch.isEmpty() && runId.endsWith(u"d_pa"_s) && runId != u"00001d_pa"_s) otherDitch = runId;

    Ok({u"project"_s, u"mitigate"_s, u"F1"_s, u"--mitigation"_s, u"10"_s, u"--reduction"_s, u"75"_s});
    Ok({u"project"_s, u"mitigate"_s, u"F1"_s, u"--mitigation"_s, u"20"_s, u"--water"_s, u"focus_pond"_s});
    Ok({u"project"_s, u"mitigate"_s, u"F1"_s, u"--mitigation"_s, u"focus"_s, u"--reduction"_s, u"50"_s, u"--run"_s,
        u"00001d_pa"_s});
    Ok({u"project"_s, u"mitigate"_s, u"F1"_s, u"--mitigation"_s, u"focus"_s, u"--run"_s, otherDitch});
    const QMap<QString, QString> mitigated = mitigations(u"F1"_s);
    for (const auto [runId, shown] : mitigated.asKeyValueRange()) {
        SCOPED_TRACE(runId.toStdString());
        const QString expected = !runId.endsWith(u"_pa"_s)     ? u"focus/0"_s
                                 : runId == u"00001d_pa"_s     ? u"focus/50"_s
                                 : runId == otherDitch         ? u"focus/0"_s
                                 : runId.at(5) == u'p'         ? u"20/0"_s
                                                               : u"10/75"_s;
        EXPECT_EQ(shown, expected);
    }
    const TCliRun runs = Cli({u"project"_s, u"runs"_s, u"F1"_s});
    EXPECT_TRUE(runs.out.contains(u"BUFFER REDUCTION"_s)) << runs.out.toStdString();
    EXPECT_TRUE(runs.out.contains(u"yes      10     75 %      ground spray"_s)) << runs.out.toStdString();

    Ok({u"project"_s, u"copy"_s, u"F1"_s, u"Step4"_s, u"--root"_s, root});
    EXPECT_EQ(mitigations(u"Step3"_s).values(), step3.values());
    EXPECT_EQ(mitigations(u"Step4"_s).values(), mitigated.values());
}

TEST_F(ProjectCliTest, CreationRefusals) {
    Create(u"Taken"_s, {u"--crop"_s, u"Hops"_s});
    const QStringList create = {u"project"_s, u"create"_s, u"--root"_s, root};
    const QString substance = u"--substance"_s;
    const QString parent = u"EXAMPLE_P"_s;
    struct TCase {
        QStringList arguments;
        QStringList messages;
        int exitCode = 1;
    };
    const TCase cases[] = {
        {{substance, parent, u"--name"_s, QString(), u"--crop"_s, u"Maize"_s}, {u"Enter project name"_s}},
        {{substance, parent, u"--name"_s, u"TAKEN"_s, u"--crop"_s, u"Maize"_s},
         {u"Project name already exists"_s}},
        {{substance, parent, u"--name"_s, u"a,b"_s, u"--crop"_s, u"Maize"_s},
         {u"invalid character (/ \\ : ? \" < > |)"_s}},
        {{substance, parent, u"--name"_s, u"P"_s, u"--crop"_s, u"Appln, aerial"_s}, {}},
        {{substance, parent, u"--name"_s, u"P"_s, u"--crops"_s, u"Maize"_s, u"--waterbodies"_s, u"pond"_s,
          u"--scenarios"_s, u"D4,D3,R4"_s},
         {u"Scenarios not offered for these crops and water body types: D3, R4. Offered are: D4, D5, R1"_s}},
        {{substance, u"EXAMPLE_M1"_s, u"--name"_s, u"P"_s, u"--crop"_s, u"Maize"_s}, {}},
        {{substance, parent, u"--name"_s, u"P"_s}, {}, 2},
        {{substance, parent, u"--name"_s, u"NameOfTwentyOneChars"_s + u"X"_s, u"--crop"_s, u"Maize"_s},
         {},
         2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const QStringList messages = Refused(create + c.arguments, c.exitCode);
        if (!c.messages.isEmpty())
            EXPECT_EQ(messages, c.messages);
        else
            EXPECT_FALSE(messages.isEmpty());
    }
    EXPECT_EQ(ProjectNames(), QStringList{u"Taken"_s});
}

TEST_F(ProjectCliTest, RunEditsGoThroughTheRules) {
    Create(u"R"_s, {u"--crop"_s, u"Maize"_s});
    const QMap<QString, QJsonObject> before = Runs(u"R"_s);
    struct TCase {
        QStringList arguments;
        QString message; // the first message of the refusal
        int exitCode = 1;
    };
    const TCase cases[] = {
        // The window is too small at the run itself, or at another runoff scenario of the crop.
        {{u"00002p_pa"_s, u"--apps"_s, u"3"_s, u"--interval"_s, u"10"_s},
         u"application window too small: it must be > 30 d + ((no_of_appl -1) * min. interval)"_s},
        {{u"00007s_pa"_s, u"--apps"_s, u"2"_s, u"--interval"_s, u"5"_s, u"--last"_s, u"200"_s},
         u"Application window too small for run 00005p_pa. It must be > 30 d + ((no_of_appl -1) * min. interval)."_s},
        {{u"00002p_pa"_s, u"--first"_s, u"12-xyz"_s}, u"Invalid date. Use format dd-mmm (e.g. 12-sep)"_s},
        {{u"00002p_pa"_s, u"--apps"_s, u"9"_s}, u"Maximum umber of Application is 8"_s},
        {{u"00002p_m1"_s, u"--apps"_s, u"2"_s},
         u"Run 00002p_m1 is a metabolite run: its pattern follows its parent run"_s},
        {{u"00002p_pa"_s, u"--cams"_s, u"Foliar, linear"_s},
         u"Chemical application methods and depths are PRZM input: runoff runs only"_s},
        {{u"00002p_pa"_s, u"--method"_s, u"air blast"_s},
         u"Unknown application method: air blast. Valid are: aerial; granular; ground spray; soil incorporation"_s},
        {{u"00009p_pa"_s, u"--apps"_s, u"2"_s}, u"Run 00009p_pa not found in project R"_s},
        {{u"00002p_pa"_s, u"--rates"_s, u"1,2"_s}, u"The run has 1 applications; 2 values given"_s, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const QStringList messages =
            Refused(QStringList{u"run"_s, u"set"_s, u"R"_s} + c.arguments, c.exitCode);
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_EQ(messages.first(), c.message);
    }
    // Nothing of a refused edit stays.
    const QMap<QString, QJsonObject> after = Runs(u"R"_s);
    for (auto it = before.begin(); it != before.end(); ++it)
        EXPECT_EQ(Pattern(after[it.key()]), Pattern(it.value())) << it.key().toStdString();

    // A runoff run's applications and their spreading to the other runoff runs of the crop.
    Ok({u"run"_s, u"set"_s, u"R"_s, u"00005p_pa"_s, u"--rates"_s, u"0.5"_s, u"--cams"_s,
        u"soil surface (4 cm, linear)"_s, u"--depths"_s, u"2"_s});
    const QMap<QString, QJsonObject> spread = Runs(u"R"_s);
    for (const QString& id : {u"00005s_pa"_s, u"00006s_pa"_s, u"00008s_m1"_s})
        EXPECT_EQ(spread[id][u"pattern"_s].toArray()[0][u"cam"_s].toString(),
                  u"Soil surface (4 cm, linear)"_s)
            << id.toStdString();
    EXPECT_DOUBLE_EQ(spread[u"00006s_pa"_s][u"pattern"_s].toArray()[0][u"rate"_s].toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(spread[u"00002p_pa"_s][u"pattern"_s].toArray()[0][u"rate"_s].toDouble(), 1.0);

    // Copying a pattern to the runs of the crop that have room for it.
    Ok({u"run"_s, u"set"_s, u"R"_s, u"00001d_pa"_s, u"--last"_s, u"250"_s, u"--apps"_s, u"3"_s,
        u"--interval"_s, u"20"_s});
    const TCliRun copy = Cli({u"run"_s, u"copy-pattern"_s, u"R"_s, u"00001d_pa"_s});
    EXPECT_EQ(copy.exitCode, 0) << copy.err.toStdString();
    EXPECT_TRUE(copy.out.startsWith(u"Copied the pattern of run 00001d_pa\nSkipped 00002p_pa\n"_s))
        << copy.out.toStdString();
    EXPECT_TRUE(copy.err.startsWith(u"Application pattern is not copied to the following runs because the "
                                    "application window was too small.\n00002p_pa\n"_s))
        << copy.err.toStdString();

    // An interval alone is checked against the run's applications and window, and refused whole.
    const QJsonObject three = Runs(u"R"_s)[u"00001d_pa"_s];
    const QStringList messages =
        Refused({u"run"_s, u"set"_s, u"R"_s, u"00001d_pa"_s, u"--interval"_s, u"100"_s}, 1);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.first(),
              u"application window too small: it must be > 30 d + ((no_of_appl -1) * min. interval)"_s);
    EXPECT_EQ(Pattern(Runs(u"R"_s)[u"00001d_pa"_s]), Pattern(three));
}

} // namespace
