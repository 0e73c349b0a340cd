#include "support/KelvoTest.h"

#include "store/Connection.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QStringList err;
};

// kelvo-cli substance metabolites on a parent PAR of 300 g/mol with free metabolites M100 and M150.
class MetaboliteCliTest : public TInstallationTest {
protected:
    void SetUp() override {
        TInstallationTest::SetUp();
        if (HasFatalFailure()) return;
        db.Open(DatabaseFile());
        for (const auto& [code, parent, mass] :
             {std::tuple{u"PAR"_s, true, 300.0}, {u"M100"_s, false, 100.0}, {u"M150"_s, false, 150.0}}) {
            for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s}) {
                db.Execute(
                    u"CREATE TEMP TABLE Clone AS SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table),
                    {parent ? u"EXAMPLE_P"_s : u"EXAMPLE_M1"_s});
                db.Execute(u"UPDATE Clone SET SubstanceCode = ?"_s, {code});
                db.Execute(u"INSERT INTO %1 SELECT * FROM Clone"_s.arg(table));
                db.Execute(u"DROP TABLE Clone"_s);
            }
            db.Execute(
                u"UPDATE Substances SET Locked = 0, MetSubCode1 = NULL, MolMass = ? WHERE SubstanceCode = ?"_s,
                {mass, code});
        }
    }

    void TearDown() override {
        db.Close();
        TInstallationTest::TearDown();
    }

    TRun Cli(const QStringList& arguments) {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << "kelvo-cli did not end";
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return run;
    }

    QJsonObject Json(const QStringList& arguments) {
        const TRun run =
            Cli(QStringList{u"--yes"_s, u"--json"_s, u"substance"_s, u"metabolites"_s} + arguments);
        EXPECT_EQ(0, run.exitCode) << run.err.join(u'\n').toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }

    QVariant Stored(const QString& table, const QString& code, const QString& column) {
        const TSqlResult result =
            db.Select(u"SELECT \"%1\" FROM %2 WHERE SubstanceCode = ?"_s.arg(column, table), {code});
        return result.rows.isEmpty() ? QVariant() : result.rows[0][0];
    }

    QStringList Rows() {
        QStringList rows;
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s})
            for (const TSqlRow& r : db.Select(u"SELECT * FROM %1 ORDER BY SubstanceCode"_s.arg(table)).rows) {
                QStringList values;
                for (const QVariant& v : r)
                    values << v.toString();
                rows << values.join(u'|');
            }
        return rows;
    }

    TConnection db;
};

TEST_F(MetaboliteCliTest, FractionGivenOnOneBasisIsConvertedAndStored) {
    QJsonObject shown = Json({u"PAR"_s, u"--scheme"_s, u"3"_s, u"--m1"_s, u"M150"_s, u"--przm1"_s, u"0.4"_s,
                              u"--m2"_s, u"M100"_s, u"--macro2"_s, u"0.05"_s});
    EXPECT_EQ(3, shown[u"scheme"_s].toInt());
    EXPECT_EQ(u"0.400"_s, shown[u"przm1"_s].toString());
    EXPECT_EQ(u"0.200"_s, shown[u"macro1"_s].toString());
    EXPECT_EQ(u"0.150"_s, shown[u"przm2"_s].toString());
    EXPECT_EQ(u"0.050"_s, shown[u"macro2"_s].toString());
    EXPECT_EQ(3, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"icombo3"_s).toInt());
    EXPECT_EQ(0.4, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr121a"_s).toDouble());
    EXPECT_EQ(0.15, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr131a"_s).toDouble());
    EXPECT_EQ(u"M100"_s, Stored(u"Substances"_s, u"PAR"_s, u"MetSubCode2"_s).toString());
    EXPECT_EQ(0.2, Stored(u"Substance_Macro"_s, u"M150"_s, u"fconvert"_s).toDouble());
    EXPECT_EQ(0.05, Stored(u"Substance_Macro"_s, u"M100"_s, u"fconvert"_s).toDouble());

    // The chain keeps the first step as it was when only the second one is given.
    shown = Json({u"PAR"_s, u"--scheme"_s, u"4"_s, u"--m2"_s, u"M100"_s, u"--przm2"_s, u"0.7"_s});
    EXPECT_EQ(u"M150"_s, shown[u"metabolite1"_s].toString());
    EXPECT_EQ(u"0.400"_s, shown[u"przm1"_s].toString());
    EXPECT_EQ(u"0.700"_s, shown[u"przm2"_s].toString());
    EXPECT_EQ(0.0, Stored(u"Substance_Macro"_s, u"M100"_s, u"fconvert"_s).toDouble());
    EXPECT_EQ(0.0, Stored(u"Substance_PRZM"_s, u"PAR"_s, u"dtr131a"_s).toDouble());
}

// Nothing is stored when the scheme is refused or its saving is not confirmed, not even the conversion
// factors that the scheme stores at once.
TEST_F(MetaboliteCliTest, RefusedOrUnconfirmedSchemeChangesNothing) {
    const QStringList scheme = {u"substance"_s, u"metabolites"_s, u"PAR"_s,     u"--scheme"_s, u"3"_s,
                                u"--m1"_s,      u"M150"_s,        u"--przm1"_s, u"0.4"_s,      u"--m2"_s,
                                u"M100"_s,      u"--przm2"_s,     u"0.1"_s};
    const QStringList before = Rows();
    TRun run = Cli(QStringList{u"--yes"_s} + scheme + QStringList{u"--macro2"_s, u"abc"_s});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(run.err, QStringList{u"Invalid fraction. Enter a correct numeric value"_s});
    EXPECT_EQ(before, Rows());

    run = Cli(scheme);
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(run.err, QStringList{u"Refused: \"Save changes?\" (answer with --yes)"_s});
    EXPECT_EQ(before, Rows());

    run = Cli(QStringList{u"--yes"_s} + scheme.mid(0, 5) + QStringList{u"--m1"_s, u"EXAMPLE_M1"_s});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(run.err, QStringList{u"EXAMPLE_M1 cannot be a metabolite of PAR"_s});
    EXPECT_EQ(before, Rows());
}

TEST_F(MetaboliteCliTest, OptionsMustFitTheScheme) {
    const struct {
        QStringList options;
        QString refusal;
    } cases[] = {
        {{u"--scheme"_s, u"1"_s, u"--m1"_s, u"M150"_s}, u"--m1 is not used in scheme 1"_s},
        {{u"--scheme"_s, u"2"_s, u"--przm2"_s, u"0.1"_s}, u"--przm2 is not used in scheme 2"_s},
        {{u"--scheme"_s, u"4"_s, u"--macro2"_s, u"0.1"_s}, u"--macro2 is not used in scheme 4"_s},
        {{u"--scheme"_s, u"5"_s}, u"--scheme is 1, 2, 3 or 4"_s},
        {{}, u"--scheme is missing"_s},
    };
    for (const auto& c : cases) {
        const TRun run = Cli(QStringList{u"substance"_s, u"metabolites"_s, u"PAR"_s} + c.options);
        EXPECT_EQ(2, run.exitCode);
        EXPECT_EQ(c.refusal, run.err.value(0));
    }
}

} // namespace
