#include "support/KelvoTest.h"

#include "export/PRZMSubstance.h"
#include "store/Connection.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// kelvo-cli przm records, exchange import and exchange write on the test installation, whose chemical
// data file holds EXAMPLE_P with EXAMPLE_M1.
class ExchangeCliTest : public TInstallationTest {
protected:
    // Runs kelvo-cli, in a process whose regional settings are those of the locale name when one is given.
    TRun Cli(const QStringList& arguments, const QString& localeName = {}) {
        QProcess process;
        if (!localeName.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const QString& name : {u"LANG"_s, u"LC_ALL"_s, u"LC_NUMERIC"_s})
                environment.insert(name, localeName);
            process.setProcessEnvironment(environment);
        }
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList{u"--install-dir"_s, InstallDir()} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << "kelvo-cli did not end";
        TRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    TRun Ok(const QStringList& arguments, const QString& localeName = {}) {
        const TRun run = Cli(arguments, localeName);
        EXPECT_EQ(0, run.exitCode) << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
        return run;
    }
    QJsonObject Json(const QStringList& arguments) {
        return QJsonDocument::fromJson(Ok(arguments + QStringList{u"--json"_s}).out.toUtf8()).object();
    }

    QString DataFileName() const { return InstallDir() + u"PRZM/wpic/chmdat.dat"_s; }
    QByteArray DataFile() const {
        QFile file(DataFileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void PutDataFile(const QByteArray& bytes) const {
        QFile file(DataFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A record of a new parent with one metabolite, as PRZM would hold it.
    static QByteArray NewRecord() {
        TPRZM_Substance record;
        record.key = u"CLIP"_s;
        record.icombo3 = 2;
        record.iset1 = record.iset2 = record.iset3 = 2;
        for (int j = 1; j <= 2; ++j) {
            TPRZMChemical& c = record.Chemical(j);
            c.name = j == 1 ? u"CLIP"_s : u"CLIM"_s;
            c.kdtyp = 1;
            c.kdsp = 172.4;
            c.drate1a = 30;
            c.fextrc = 0.5;
            c.solub = 12.5;
            c.mwght = j == 1 ? 250 : 125;
            c.vapourPressure = 0.2;
            c.enthalpy = 397.1;
            c.airDiffusion = 4300;
        }
        record.Chemical(3) = record.Chemical(1);
        record.Chemical(3).name.clear();
        return record.ToRecord();
    }
};

TEST_F(ExchangeCliTest, RecordsAreListedAsTheSystemReadsThem) {
    const QJsonObject listed = Json({u"przm"_s, u"records"_s});
    EXPECT_EQ(DataFileName(), listed[u"file"_s].toString());
    const QJsonArray records = listed[u"records"_s].toArray();
    ASSERT_EQ(1, records.size());
    const QJsonObject record = records[0].toObject();
    EXPECT_EQ(u"EXAMPLE_P           "_s, record[u"key"_s].toString());
    EXPECT_EQ(2, record[u"icombo3"_s].toInt());
    EXPECT_EQ(2, record[u"iset3"_s].toInt());
    const QJsonArray chemicals = record[u"chemicals"_s].toArray();
    ASSERT_EQ(3, chemicals.size());
    EXPECT_EQ(u"EXAMPLE_M1          "_s, chemicals[1][u"name"_s].toString());
    EXPECT_DOUBLE_EQ(86.2, chemicals[1][u"kdsp"_s].toDouble());
    EXPECT_EQ(QString(20, u' '), chemicals[2][u"name"_s].toString());
    EXPECT_DOUBLE_EQ(397.1, chemicals[2][u"enthalpy"_s].toDouble());
    EXPECT_EQ(5, chemicals[0][u"spareReals"_s].toArray().size());

    const TRun text = Ok({u"przm"_s, u"records"_s});
    EXPECT_TRUE(
        text.out.startsWith(u"EXAMPLE_P            - EXAMPLE_M1           - "_s + QString(20, u' ') + u'\n'))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.endsWith(u"1 records in %1\n"_s.arg(DataFileName()))) << text.out.toStdString();
}

TEST_F(ExchangeCliTest, ImportTakesNewSubstancesOverAndWriteRewritesTheFile) {
    PutDataFile(DataFile() + NewRecord());
    EXPECT_EQ(u"PRZM: read 2 records from %1; new substances: CLIP, CLIM"_s.arg(DataFileName()),
              Ok({u"exchange"_s, u"import"_s}).out.section(u'\n', 0, 0));
    const QJsonObject shown = Json({u"substance"_s, u"show"_s, u"CLIP"_s});
    EXPECT_EQ(3, shown[u"Substances"_s][u"subSource"_s].toInt())
        << QJsonDocument(shown).toJson().toStdString();
    EXPECT_EQ(u"CLIM"_s, shown[u"Substances"_s][u"MetSubCode1"_s].toString());

    const QJsonObject again = Json({u"exchange"_s, u"import"_s});
    EXPECT_EQ(QJsonArray(), again[u"PRZM"_s][u"newSubstances"_s].toArray());
    EXPECT_EQ(2, again[u"PRZM"_s][u"records"_s].toInt());

    const QByteArray before = DataFile();
    PutDataFile(QByteArray());
    EXPECT_EQ(u"PRZM: wrote 2 records to %1"_s.arg(DataFileName()),
              Ok({u"exchange"_s, u"write"_s}).out.section(u'\n', 1, 1));
    EXPECT_EQ(before, DataFile());
}

// A substance of the file that lost its PRZM row (an earlier import stopped half-way) gets it back.
TEST_F(ExchangeCliTest, TheNextImportRepairsASubstanceWithoutItsPrzmRow) {
    PutDataFile(DataFile() + NewRecord());
    Ok({u"exchange"_s, u"import"_s});
    const auto przmRows = [&] {
        TConnection db;
        db.Open(DatabaseFile());
        return db.Select(u"SELECT count(*) FROM Substance_PRZM WHERE SubstanceCode = 'CLIP'"_s).rows[0][0].toInt();
    };
    ASSERT_EQ(przmRows(), 1);
    {
        TConnection db;
        db.Open(DatabaseFile());
        db.Execute(u"DELETE FROM Substance_PRZM WHERE SubstanceCode = 'CLIP'"_s);
    }
    ASSERT_EQ(przmRows(), 0);
    Ok({u"exchange"_s, u"import"_s});
    EXPECT_EQ(przmRows(), 1);
    EXPECT_DOUBLE_EQ(Json({u"substance"_s, u"show"_s, u"CLIP"_s})[u"Substance_PRZM"_s][u"kdsp"_s].toDouble(), 172.4)
        << "the row carries the file's values";
}

TEST_F(ExchangeCliTest, ACommaDecimalProcessWritesAndReadsWithPointsAndShowsCommas) {
    PutDataFile(DataFile() + NewRecord());
    Ok({u"exchange"_s, u"import"_s}, u"de_DE.UTF-8"_s);
    const QJsonObject shown = Json({u"substance"_s, u"show"_s, u"CLIP"_s});
    EXPECT_DOUBLE_EQ(12.5, shown[u"Substances"_s][u"SlbWatRef"_s].toDouble());
    EXPECT_DOUBLE_EQ(172.4, shown[u"Substances"_s][u"KocSol"_s].toDouble());

    Ok({u"exchange"_s, u"write"_s});
    const QByteArray english = DataFile();
    Ok({u"exchange"_s, u"write"_s}, u"de_DE.UTF-8"_s);
    EXPECT_EQ(english, DataFile());

    // The listing shows numbers in the user's format, which is back in force after the reading.
    const TRun german = Ok({u"przm"_s, u"records"_s}, u"de_DE.UTF-8"_s);
    EXPECT_TRUE(german.out.contains(u" kdsp=172,4 "_s)) << german.out.toStdString();
    EXPECT_TRUE(german.out.contains(u" solub=12,5 "_s)) << german.out.toStdString();
}

TEST_F(ExchangeCliTest, ADamagedFileIsReportedAndNothingIsImported) {
    PutDataFile(DataFile() + QByteArray(100, ' '));
    const QString message =
        u"The PRZM chemical data file %1 is damaged: its size of 860 bytes is not a multiple of 760"_s.arg(
            DataFileName());
    const TRun import = Cli({u"exchange"_s, u"import"_s});
    EXPECT_EQ(1, import.exitCode);
    EXPECT_EQ(u"PRZM: not available"_s, import.out.section(u'\n', 0, 0));
    EXPECT_TRUE(import.err.contains(message)) << import.err.toStdString();

    const TRun records = Cli({u"przm"_s, u"records"_s});
    EXPECT_EQ(1, records.exitCode);
    EXPECT_TRUE(records.err.contains(message)) << records.err.toStdString();
}

TEST_F(ExchangeCliTest, AnIncompleteSubstanceLeftOutOfTheModelsIsNamedWithWhatItMisses) {
    Ok({u"--yes"_s, u"substance"_s, u"new"_s, u"HALF"_s, u"half done"_s});
    const QString line = Ok({u"exchange"_s, u"write"_s}).out.section(u'\n', 2, 2);
    EXPECT_TRUE(line.startsWith(u"Not written, incompletely defined: HALF (missing: "_s)) << line.toStdString();
    EXPECT_TRUE(line.contains(u"Soil Half-life time (d)"_s)) << line.toStdString();
    const QJsonArray incomplete = Json({u"exchange"_s, u"write"_s})[u"incomplete"_s].toArray();
    ASSERT_EQ(incomplete.size(), 1);
    EXPECT_EQ(incomplete[0].toString(), line.section(u": "_s, 1));
}

// A value that does not fit PRZM's file is found before either model is written: MACRO keeps its rows too.
TEST_F(ExchangeCliTest, AWriteThatFailsLeavesTheFileAndSaysWhy) {
    const QByteArray before = DataFile();
    const auto macroRows = [&] {
        TConnection macro;
        macro.Open(InstallDir() + u"MACRO/pest_focus.sqlite"_s);
        QStringList rows;
        for (const char* table : {"compound", "metab"})
            for (const TSqlRow& row :
                 macro.Select(u"SELECT * FROM %1 ORDER BY 1"_s.arg(QString::fromLatin1(table))).rows) {
                QStringList values;
                for (const QVariant& value : row)
                    values << value.toString();
                rows << values.join(u'|');
            }
        return rows;
    };
    Ok({u"--yes"_s, u"substance"_s, u"copy"_s, u"EXAMPLE_P"_s, u"COPYP"_s, u"Copy"_s});
    Ok({u"--yes"_s, u"substance"_s, u"set"_s, u"COPYP"_s, u"Substance_PRZM.dknum=1234"_s});
    const QStringList macroBefore = macroRows();
    const TRun write = Cli({u"--json"_s, u"exchange"_s, u"write"_s});
    EXPECT_EQ(1, write.exitCode);
    EXPECT_FALSE(QJsonDocument::fromJson(write.out.toUtf8())[u"PRZM"_s][u"done"_s].toBool());
    EXPECT_TRUE(
        write.err.contains(u"Substance COPYP: the value 1234 of dknum [1] does not fit its field of 3 "
                           "characters in the PRZM chemical data file"_s))
        << write.err.toStdString();
    EXPECT_EQ(before, DataFile());
    EXPECT_EQ(macroRows(), macroBefore);
    EXPECT_FALSE(QJsonDocument::fromJson(write.out.toUtf8())[u"MACRO"_s][u"done"_s].toBool());
}

} // namespace
