#include "support/KelvoTest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// kelvo-cli on the test installation: substances, one substance and default patterns, edited and read
// back as a user of the command line would.
class SubstanceCliTest : public TInstallationTest {
protected:
    TRun Cli(const QStringList& arguments) {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << "kelvo-cli did not end";
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // Runs a command that must succeed.
    TRun Ok(const QStringList& arguments) {
        const TRun run = Cli(arguments);
        EXPECT_EQ(0, run.exitCode) << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }

    // Runs a command that must be refused; answers its messages.
    QStringList Refused(const QStringList& arguments, int exitCode = 1) {
        const TRun run = Cli(arguments);
        EXPECT_EQ(exitCode, run.exitCode) << arguments.join(u' ').toStdString();
        return run.err.split(u'\n', Qt::SkipEmptyParts);
    }

    QJsonObject Json(const QStringList& arguments) {
        const TRun run = Ok(arguments + QStringList{u"--json"_s});
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
        EXPECT_EQ(QJsonParseError::NoError, error.error) << run.out.toStdString();
        return document.object();
    }

    QJsonObject Substance(const QString& code) { return Json({u"substance"_s, u"show"_s, code}); }

    QJsonObject Listed(const QString& code) {
        for (const QJsonValue& s : Json({u"substances"_s})[u"substances"_s].toArray())
            if (s[u"code"_s].toString() == code) return s.toObject();
        return {};
    }

    QJsonArray Defaults(const QString& code) {
        return Json({u"defaults"_s, u"list"_s, code})[u"defaults"_s].toArray();
    }
};

TEST_F(SubstanceCliTest, NewSubstanceIsEditedThroughTheRulesAndReadBack) {
    Ok({u"substance"_s, u"new"_s, u"NEWP"_s, u"New parent"_s});
    QJsonObject listed = Listed(u"NEWP"_s);
    EXPECT_EQ(u"New parent"_s, listed[u"name"_s].toString());
    EXPECT_TRUE(listed[u"isParent"_s].toBool());
    EXPECT_FALSE(listed[u"locked"_s].toBool());
    EXPECT_EQ(u"user"_s, listed[u"origin"_s].toString());
    EXPECT_FALSE(listed[u"complete"_s].toBool());
    EXPECT_EQ(u"system"_s, Listed(u"EXAMPLE_P"_s)[u"origin"_s].toString()) << "a predefined record shipped with Kelvo";

    // Without an answer the question is refused; the required values are checked in order.
    const QStringList set = {u"substance"_s, u"set"_s, u"NEWP"_s, u"MolMass=250"_s};
    EXPECT_EQ((QStringList{u"Refused: \"Save changes?\" (answer with --yes)"_s}), Refused(set));
    EXPECT_EQ((QStringList{u"Answered Yes: \"Save changes?\""_s, u"Solubility in water is required."_s}),
              Refused(QStringList{u"--yes"_s} + set));
    EXPECT_TRUE(Substance(u"NEWP"_s)[u"Substances"_s][u"MolMass"_s].isNull());
    EXPECT_EQ((QStringList{
                  u"250000 is not a valid value for field 'MolMass'. The allowed range is 10 to 9999.99"_s}),
              Refused({u"--yes"_s, u"substance"_s, u"set"_s, u"NEWP"_s, u"MolMass=250000"_s}));

    Ok({u"--yes"_s, u"substance"_s, u"set"_s, u"NEWP"_s, u"MolMass=250"_s, u"SlbWatRef=12"_s,
        u"DT50WatRef=3"_s, u"DT50SedRef=30"_s, u"vap=0.01"_s, u"halflife=7"_s, u"Substance_PRZM.fextrc=0.4"_s,
        u"Comment=from the cli"_s, u"DetailedSorption=true"_s});
    const QJsonObject shown = Substance(u"NEWP"_s);
    EXPECT_EQ(250.0, shown[u"Substances"_s][u"MolMass"_s].toDouble());
    EXPECT_EQ(u"from the cli"_s, shown[u"Substances"_s][u"Comment"_s].toString());
    EXPECT_TRUE(shown[u"Substances"_s][u"DetailedSorption"_s].toBool());
    EXPECT_EQ(7.0, shown[u"Substance_Macro"_s][u"halflife"_s].toDouble());
    EXPECT_EQ(0.4, shown[u"Substance_PRZM"_s][u"fextrc"_s].toDouble());
    EXPECT_EQ(u"New parent"_s, shown[u"Substance_Macro"_s][u"inform"_s].toString());
    EXPECT_EQ(1, shown[u"Substance_PRZM"_s][u"icombo3"_s].toInt());
    EXPECT_EQ(45, shown[u"Substance_PRZM"_s].toObject().size());

    // Unticking the parent box runs its rule; an empty value clears a field.
    Ok({u"--yes"_s, u"substance"_s, u"set"_s, u"NEWP"_s, u"IsParent=false"_s, u"Comment="_s});
    const QJsonObject metabolite = Substance(u"NEWP"_s);
    EXPECT_FALSE(metabolite[u"Substances"_s][u"IsParent"_s].toBool());
    EXPECT_TRUE(metabolite[u"Substances"_s][u"Comment"_s].isNull());
    EXPECT_EQ(0, metabolite[u"Substance_PRZM"_s][u"icombo3"_s].toInt());
}

TEST_F(SubstanceCliTest, DefaultPatternsAreEditedThroughTheRulesAndReadBack) {
    const QStringList key = {u"defaults"_s, u"set"_s, u"EXAMPLE_M1"_s, u"Potatoes"_s, u"D6"_s, u"1st"_s};
    const QStringList values = {u"DefAppMethod=ground spray"_s, u"DefNumberOfApps=2"_s,
                                u"DefMinIntervalApps=10"_s, u"DefFirstDayYrApp=100"_s, u"DefRate=0.5"_s};
    EXPECT_EQ(
        (QStringList{
            u"Predefined FOCUS substance. It is not allowed to change the default application pattern."_s}),
        Refused(key + values + QStringList{u"DefLastDayYrApp=140"_s}));

    Ok({u"substance"_s, u"new"_s, u"PAT"_s, u"patterns"_s});
    QStringList pattern = key;
    pattern[2] = u"PAT"_s;
    EXPECT_EQ((QStringList{
                  u"application window too small: it must be > 30 d + ((no_of_appl -1) * min. interval)"_s}),
              Refused(pattern + values + QStringList{u"DefLastDayYrApp=139"_s}));
    EXPECT_TRUE(Defaults(u"PAT"_s).isEmpty());
    Ok(pattern + values + QStringList{u"DefLastDayYrApp=140"_s});
    const QStringList repeated = {u"defaults"_s, u"set"_s, u"PAT"_s, u"Cereals, spring"_s, u"R2"_s, u"1st"_s};
    EXPECT_EQ((QStringList{u"Invalid Crop - Scenario combination."_s}),
              Refused(repeated + values + QStringList{u"DefLastDayYrApp=140"_s}));
    // The same key edits the row; a last day before the first wraps to next year with a warning.
    const TRun wrapped = Ok(pattern + QStringList{u"DefLastDayYrApp=20"_s});
    EXPECT_TRUE(wrapped.err.contains(
        u"Last day should always be later than First day, so Last day is assigned to next year."_s));

    const QJsonArray rows = Defaults(u"PAT"_s);
    ASSERT_EQ(1, rows.size());
    const QJsonObject row = rows[0].toObject();
    EXPECT_EQ(u"Potatoes"_s, row[u"CropCode"_s].toString());
    EXPECT_EQ(u"ground spray"_s, row[u"DefAppMethod"_s].toString());
    EXPECT_EQ(2, row[u"DefNumberOfApps"_s].toInt());
    EXPECT_EQ(100, row[u"DefFirstDayYrApp"_s].toInt());
    EXPECT_EQ(20, row[u"DefLastDayYrApp"_s].toInt());
    EXPECT_EQ(0.5, row[u"DefRate"_s].toDouble());
    EXPECT_FALSE(row[u"First"_s].toString().isEmpty());

    const QStringList remove = {u"defaults"_s, u"delete"_s, u"PAT"_s, u"Potatoes"_s, u"D6"_s, u"1st"_s};
    EXPECT_EQ((QStringList{u"Answered No: \"Delete record ?\""_s}), Refused(QStringList{u"--no"_s} + remove));
    EXPECT_EQ(1, Defaults(u"PAT"_s).size());
    Ok(QStringList{u"--yes"_s} + remove);
    EXPECT_TRUE(Defaults(u"PAT"_s).isEmpty());
    EXPECT_EQ((QStringList{u"Record is locked because it is a FOCUS predefined record"_s}),
              Refused({u"--yes"_s, u"defaults"_s, u"delete"_s, u"EXAMPLE_P"_s, u"Cereals, winter"_s, u"D1"_s,
                       u"1st"_s}));
}

TEST_F(SubstanceCliTest, CopyCarriesPatternsAndDeletionFollowsItsChecks) {
    Ok({u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"cEXAMPLE_P"_s, u"copy_of_EXAMPLE_P"_s});
    const QJsonObject copy = Substance(u"cEXAMPLE_P"_s)[u"Substances"_s].toObject();
    EXPECT_EQ(u"copy_of_EXAMPLE_P"_s, copy[u"Name"_s].toString());
    EXPECT_FALSE(copy[u"Locked"_s].toBool());
    EXPECT_TRUE(copy[u"MetSubCode1"_s].isNull());
    EXPECT_EQ(300.0, copy[u"MolMass"_s].toDouble());
    EXPECT_TRUE(Listed(u"cEXAMPLE_P"_s)[u"complete"_s].toBool());
    EXPECT_EQ(9, Defaults(u"cEXAMPLE_P"_s).size());

    EXPECT_EQ((QStringList{u"Record is locked because it is a FOCUS predefined record"_s}),
              Refused({u"--yes"_s, u"substance"_s, u"delete"_s, u"EXAMPLE_M1"_s}));
    Ok({u"substance"_s, u"new"_s, u"M"_s, u"metabolite"_s});
    Ok({u"--yes"_s, u"substance"_s, u"set"_s, u"cEXAMPLE_P"_s, u"MetSubCode1=M"_s});
    EXPECT_EQ((QStringList{u"Answered Yes: \"Delete record ?\""_s,
                           u"Substance is a metabolite. Remove parent substance first."_s}),
              Refused({u"--yes"_s, u"substance"_s, u"delete"_s, u"M"_s}));
    EXPECT_EQ((QStringList{u"Refused: \"Delete record ?\" (answer with --yes)"_s}),
              Refused({u"substance"_s, u"delete"_s, u"cEXAMPLE_P"_s}));
    Ok({u"--yes"_s, u"substance"_s, u"delete"_s, u"cEXAMPLE_P"_s});
    EXPECT_TRUE(Listed(u"cEXAMPLE_P"_s).isEmpty());
    EXPECT_EQ((QStringList{u"Substance: cEXAMPLE_P not found"_s}),
              Refused({u"defaults"_s, u"list"_s, u"cEXAMPLE_P"_s}));
}

// Setting one of a pair of coupled values sets the other as the editor does.
TEST_F(SubstanceCliTest, SetKeepsCoupledValuesConsistent) {
    Ok({u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"PAR"_s, u"Parent"_s});
    Ok({u"--yes"_s, u"substance"_s, u"set"_s, u"PAR"_s, u"fext=0.04"_s, u"q10fac=0"_s, u"Kom=50"_s});
    QJsonObject shown = Substance(u"PAR"_s);
    EXPECT_DOUBLE_EQ(0.4, shown[u"Substance_PRZM"_s][u"fextrc"_s].toDouble());
    EXPECT_EQ(0, shown[u"Substance_PRZM"_s][u"iqfac"_s].toInt());
    EXPECT_NEAR(86.2, shown[u"Substance_Macro"_s][u"Koc"_s].toDouble(), 1e-12);
    Ok({u"--yes"_s, u"substance"_s, u"set"_s, u"PAR"_s, u"Substance_PRZM.fextrc=0.2"_s, u"q10fac=1"_s,
        u"KocSed=17.24"_s});
    shown = Substance(u"PAR"_s);
    EXPECT_DOUBLE_EQ(0.02, shown[u"Substance_Macro"_s][u"fext"_s].toDouble());
    EXPECT_EQ(1, shown[u"Substance_PRZM"_s][u"iqfac"_s].toInt());
    EXPECT_NEAR(10, shown[u"Substances"_s][u"KomSed"_s].toDouble(), 1e-12);
}

TEST_F(SubstanceCliTest, NewSubstanceDialogChecks) {
    struct TCase {
        QString code;
        QString name;
        QString message;
    };
    const TCase cases[] = {
        {u"  "_s, u"x"_s, u"Enter a substance code"_s},
        {u"A.B"_s, u"x"_s, u"invalid character (<space> , . / \\ ( ) : ? \" < > | *)"_s},
        {u"A B"_s, u"x"_s, u"invalid character (<space> , . / \\ ( ) : ? \" < > | *)"_s},
        {u"EXAMPLE_P"_s, u"x"_s, u"EXAMPLE_P is not a unique substance code"_s},
        {u" NEW "_s, u" "_s, u"Enter a substance name"_s},
        // Codes that differ only in letter case are one key for the database and the models.
        {u"example_p"_s, u"x"_s, u"example_p is not a unique substance code"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        const QStringList shown = Refused({u"substance"_s, u"new"_s, c.code, c.name});
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(c.message, shown.last());
    }
    Refused({u"substance"_s, u"new"_s, u"C23456789012345678901"_s, u"x"_s}, 2);
    EXPECT_TRUE(Listed(u"NEW"_s).isEmpty());
    EXPECT_EQ(2, Json({u"substances"_s})[u"substances"_s].toArray().size());
}

} // namespace
