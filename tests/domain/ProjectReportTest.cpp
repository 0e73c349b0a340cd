#include "ExportTestBase.h"
#include "foundation/Utils.h"

#include <QLocale>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

class ProjectReportTest : public TExportTest {
protected:
    // The report with the two texts that change from run to run (its path and the time) replaced.
    QByteArray Report() {
        const QString fileName = project->WriteReport();
        EXPECT_EQ(fileName, project->Path + u"/P1_report.txt"_s);
        QByteArray bytes = ReadAll(fileName);
        const QRegularExpression creation(u"\\* Creation    : \\d\\d-[^-]+-\\d{4}, \\d\\d:\\d\\d\\r\\n"_s);
        QString text = QString::fromLatin1(bytes);
        EXPECT_TRUE(creation.match(text).hasMatch());
        text.replace(creation, u"* Creation    : <now>\r\n"_s);
        text.replace(fileName, u"<report>"_s);
        return text.toLatin1();
    }

    // The report's numbers of one application: rate, and deposition and loading after the stream factor.
    static QString Numbers(const TRun& run, int position) {
        double deposition = 0;
        double loading = 0;
        double concentration = 0;
        const double factor = run.WaterbodyCode == u"focus_stream"_s ? 1.2 : 1.0;
        run.DriftLoading(position, deposition, loading, concentration);
        return PadRight(QString::number(run.RateOf(position), 'f', 4), 13) +
               PadRight(QString::number(deposition * factor, 'f', 3), 15) +
               QString::number(loading * factor, 'f', 3);
    }
};

TEST_F(ProjectReportTest, RunBlocksInFixedColumns) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_ditch"_s,
            .rates = {0.5, 1.25, 2.0},
            .first = 105,
            .last = 165});
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_stream"_s,
            .rates = {0.5, 1.25, 2.0},
            .first = 105,
            .last = 165});
    AddRun({.number = 13,
            .suffix = u"_m1"_s,
            .location = u"R1"_s,
            .crop = u"Vegetables, leafy"_s,
            .water = u"focus_pond"_s,
            .method = u"air blast"_s,
            .cropNr = u"2nd"_s});
    AddRun({.number = 14,
            .suffix = u"_pa"_s,
            .location = u"R2"_s,
            .crop = u"Vegetables, fruiting"_s,
            .water = u"focus_stream"_s,
            .rates = {123.456}});
    AddRun({.number = 15,
            .suffix = u"_pa"_s,
            .location = u"D3"_s,
            .crop = u"Pome/stone fruit, early applns"_s,
            .water = u"focus_ditch"_s,
            .method = u"granular"_s,
            .rates = {0.75, 0.75}});
    AddRun({.number = 16,
            .suffix = u"_pa"_s,
            .location = u"D4"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s,
            .selected = false});
    const QByteArray report = Report();
    ExpectGolden(report, u"report_runs/P1_report.txt"_s);
    EXPECT_EQ(ui.ProgressSteps(), 6);

    struct TCase {
        int line;        // 0-based line of the report
        int run;         // 1-based position of the run
        int application; // 1-based
        int column;      // 1-based column of the rate
    };
    // Header: 3 empty lines and 34 more; a run block is one line per application and a line "*".
    const TCase cases[] = {
        {37, 1, 1, 111}, {38, 1, 2, 111}, {39, 1, 3, 111}, {41, 2, 1, 111}, {43, 2, 3, 111},
        {45, 3, 1, 111}, {47, 4, 1, 112}, {49, 5, 1, 112}, {50, 5, 2, 111},
    };
    const QStringList lines = QString::fromLatin1(report).split(u"\r\n"_s);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.line);
        const TRun& run = *static_cast<TRun*>(project->Runs->GetItem(c.run));
        EXPECT_EQ(lines[c.line].mid(c.column - 1), Numbers(run, c.application));
        if (c.application == 1)
            EXPECT_EQ(lines[c.line].mid(8, 10), PadRight(run.RunID, 10));
        else
            EXPECT_EQ(lines[c.line].left(110),
                      QString(6, u' ') + PadRight(u"*"_s, 102) + PadRight(QString::number(c.application), 2));
    }
}

// A mitigated run says so in its block and shows the Step 3 drift beside the mitigated one; the header
// counts the mitigated runs. Figures worked out by hand from the regression (mass loading: rate in g/ha
// times the deposition / 1000, both times 1.2 on a stream).
TEST_F(ProjectReportTest, MitigatedRunsBesideStep3) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_ditch"_s,
            .rates = {0.5, 0.25}})
        .Mitigation = {10.0, 75};
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_stream"_s,
            .rates = {0.5}})
        .Mitigation = {10.0, 90};
    AddRun({.number = 13, .suffix = u"_pa"_s, .location = u"D4"_s, .crop = u"Maize"_s, .water = u"focus_ditch"_s});
    const QStringList lines = QString::fromLatin1(Report()).split(u"\r\n"_s);
    ASSERT_GT(lines.size(), 45);
    EXPECT_EQ(lines[8], u"      * Substance   : "_s + project->GetSubstanceName());
    EXPECT_EQ(lines[9], u"      * Step 4      : 2 mitigated runs (spray-drift buffer or drift-reducing nozzles)"_s);
    struct TCase {
        int line;
        QString end; // from the rate on
    };
    const TCase cases[] = {
        {38, u"0.5000       0.057          0.028   Step 3: 1.684          0.842"_s},
        {39, u"0.2500       0.057          0.014   Step 3: 1.684          0.421"_s},
        {40, u"      *   Step 4 mitigation: buffer 10.0 m, drift reduction 75 %"_s},
        {42, u"0.5000       0.033          0.017   Step 3: 1.716          0.858"_s},
        {43, u"      *   Step 4 mitigation: buffer 10.0 m, drift reduction 90 %"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_TRUE(lines[c.line].endsWith(c.end)) << lines[c.line].toStdString();
    }
    // The Step 3 run's line is as it always was.
    EXPECT_FALSE(lines[45].contains(u"Step 3"_s)) << lines[45].toStdString();
    EXPECT_TRUE(lines[45].contains(u"00013d_pa"_s)) << lines[45].toStdString();
}

TEST_F(ProjectReportTest, WithoutSelectedRunsOnlyTheFrame) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s,
            .selected = false});
    ExpectGolden(Report(), u"report_empty/P1_report.txt"_s);
}

TEST_F(ProjectReportTest, NumbersWithAPointAndMonthsOfTheUserUnderADecimalComma) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Cereals, winter"_s,
            .water = u"focus_stream"_s,
            .rates = {0.5},
            .first = 135,
            .last = 288});
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString line = QString::fromLatin1(Report()).split(u"\r\n"_s).value(37);
    QLocale::setDefault(saved);
    EXPECT_EQ(line.mid(88, 13), u"15-Mai/15-Okt"_s);
    EXPECT_EQ(line.mid(110, 13), u"0.5000       "_s);
    EXPECT_TRUE(QRegularExpression(u"^\\d+\\.\\d{3} +\\d+\\.\\d{3}$"_s).match(line.mid(123)).hasMatch())
        << line.toStdString();
}

TEST_F(ProjectReportTest, AnUnwritableDirectoryIsAnError) {
    AddRun({.number = 12,
            .suffix = u"_pa"_s,
            .location = u"D1"_s,
            .crop = u"Maize"_s,
            .water = u"focus_ditch"_s});
    project->Path = InstallDir() + u"missing/P1"_s;
    try {
        project->WriteReport();
        FAIL() << "the report was written";
    } catch (const EKelvoError& e) {
        EXPECT_TRUE(e.Message().startsWith(u"Cannot write "_s + project->Path + u"/P1_report.txt: "_s))
            << e.Message().toStdString();
    }
}

} // namespace
