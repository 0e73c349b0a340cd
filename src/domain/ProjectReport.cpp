#include "domain/ExportLookups.h"
#include "domain/ModelFile.h"
#include "domain/Project.h"
#include "domain/ProjectProgress.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "foundation/Utils.h"

#include <QLocale>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Prefix(6, u' ');

// Drift deposition and mass loading of streams count the upstream catchment too.
constexpr double StreamFactor = 1.2;

QString CropColumn(const TRun& run, TExportLookups& lookups) {
    const QString name = lookups.CropName(run);
    const QString season = u"("_s + run.CropNr + u") "_s;
    // A long crop name is cut to 20 characters and pushes the rest of its line one column on.
    if (name.size() < 20) return PadRight(name + season, 25);
    return name.left(20) + season;
}

// Dates are shown in the user's month names, taken before the point-decimal switch.
QString ApplicationLine(const TRun& run, const TRunApplication& application, TExportLookups& lookups,
                        const QLocale& regional) {
    QString line = Prefix;
    if (application.ApplicationNr == 1) {
        line += u"* "_s + PadRight(run.RunID, 10) + PadRight(run.RunNumberPart(), 7) +
                CropColumn(run, lookups) + PadRight(run.LocationCode, 10) + PadRight(run.WaterbodyCode, 13) +
                PadRight(run.AppMethod, 15) + PadRight(DayNumberToText(run.FirstDayYrApp, regional), 6) +
                PadRight(u"/"_s + DayNumberToText(run.LastDayYrApp, regional), 7) +
                PadRight(u"/"_s + QString::number(run.MinIntervalApps), 7);
    } else {
        line += PadRight(u"*"_s, 102);
    }
    const auto loading = [&](bool step3) {
        double deposition = 0;
        double massLoading = 0;
        if (lookups.DriftLoading(run, application.ApplicationNr, deposition, massLoading, step3)) {
            if (run.WaterbodyCode == u"focus_stream"_s) {
                deposition *= StreamFactor;
                massLoading *= StreamFactor;
            }
        } else {
            deposition = 0;
            massLoading = 0;
        }
        return PadRight(FixedNumber(deposition, 9, 3), 15) + FixedNumber(massLoading, 9, 3);
    };
    line += PadRight(QString::number(application.ApplicationNr), 2) + PadRight(FixedNumber(application.Rate, 8, 4), 13) +
            loading(false);
    // A mitigated run shows the Step 3 drift beside the mitigated one.
    if (!run.Mitigation.IsStep3()) line += u"   Step 3: "_s + loading(true);
    return line;
}

QString CreationText(const QLocale& regional) {
    const QDateTime now = QDateTime::currentDateTime();
    return u"%1-%2-%3, %4"_s.arg(now.date().day(), 2, 10, QChar(u'0'))
        .arg(regional.monthName(now.date().month(), QLocale::ShortFormat))
        .arg(now.date().year())
        .arg(now.time().toString(u"hh:mm"_s));
}

} // namespace

QString TProject::WriteReport() const {
    const QLocale regional;
    const TPointDecimals pointDecimals;
    const QString fileName = ReportFileName();
    TProjectProgress progress(u"Creating report"_s, Runs->Count());
    progress.Start();

    const QString stars(140, u'*');
    QStringList lines{QString(), QString(), QString()};
    const QStringList header{
        u"* KELVO report file"_s,
        u"* made by FOCUS-KELVO UI v. 1 (= 2.1, 9 Apr 2003)"_s,
        u"*"_s,
        u"* File Name   : "_s + fileName,
        u"* Description : "_s + Description,
        u"* Substance   : "_s + GetSubstanceName(),
    };
    const QStringList remarks{
        u"*"_s,
        u"* Creation    : "_s + CreationText(regional),
        u"*"_s,
        u"* Remarks : KELVO report helps you to set up the needed runs to"_s,
        u"*           calculate the PECsw and PECsed, occuring in the EU"_s,
        u"*           for the selected substance, used on the selected crop."_s,
        u"*           The scenario code informs you which models you need to"_s,
        u"*           run for this scenario."_s,
        u"*           D1-D6: drainage entries calculated by the MACRO model,"_s,
        u"*                  fate in surface water calculated by the TOXSWA model"_s,
        u"*           R1-R4: runoff and erosion entries calculated by the PRZM model,"_s,
        u"*                  fate in surface water calculated by the TOXSWA model"_s,
        u"*"_s,
        u"*      N.B. For STREAMS the Mean Deposition and Mass Loading, as calculated"_s,
        u"*           by the FOCUS Drift Calculator, have been multiplied by a factor"_s,
        u"*           1.2 to account for pesticide mass incoming from the upstream"_s,
        u"*           catchment as decided by the FOCUS Surface Water Scenarios Working"_s,
        u"*           Group."_s,
        u"*"_s,
        u"*"_s,
        stars,
        u"*  CREATED RUNS"_s,
        stars,
        u"*"_s,
        u"*"_s + QString(64, u' ') +
            u"|--------------- APPLICATION ----------------|----- on Water Surface -----|"_s,
        u"* --ID--MACRO\\PRZM-Crop(1st/2nd)----------Scenario-WaterbodyType-|-Method---------First/Last/"
        u"Interval-#--Rate-|-Mean Deposition-Mass Loading"_s,
        QString(95, u' ') + u"(d)"_s + QString(5, u' ') + u"(kg/ha) (% of Appl. Rate)   (mg/m2)"_s,
        u"*"_s,
    };
    // Only a project with Step 4 runs says so, so a Step 3 project reports as it always did.
    qsizetype mitigated = 0;
    for (const TRun* run : Runs->Items<TRun>())
        if (run->Selected && !run->Mitigation.IsStep3()) ++mitigated;
    for (const QString& line : header)
        lines << Prefix + line;
    if (mitigated > 0)
        lines << Prefix + u"* Step 4      : %1 mitigated run%2 (spray-drift buffer or drift-reducing nozzles)"_s.arg(
                              mitigated)
                              .arg(mitigated == 1 ? QString() : u"s"_s);
    for (const QString& line : remarks)
        lines << Prefix + line;

    TExportLookups lookups;
    for (const TRun* run : Runs->Items<TRun>()) {
        progress.Step();
        if (!run->Selected) continue;
        for (const TRunApplication* application : run->Applications->Items<TRunApplication>())
            lines << ApplicationLine(*run, *application, lookups, regional);
        if (!run->Mitigation.IsStep3())
            lines << Prefix + u"*   Step 4 mitigation: "_s + MitigationText(run->Mitigation);
        lines << Prefix + u"*"_s;
    }
    progress.Close();
    lines << Prefix + QString(55, u'*') + u" Tessorin "_s + QString(55, u'*');
    WriteModelFile(fileName, lines);
    return fileName;
}
