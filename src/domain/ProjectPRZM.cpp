#include "domain/ExportLookups.h"
#include "domain/ModelFile.h"
#include "domain/ProfileFile.h"
#include "domain/Project.h"
#include "domain/ProjectProgress.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString General = u"generalsettings"_s;
const QString Applications = u"Applications"_s;
const QStringList RunoffScenarios{u"R1"_s, u"R2"_s, u"R3"_s, u"R4"_s};

bool TakesPart(const TRun& run) {
    return run.IsRunoff() && run.Selected;
}

// Rate left-justified in 8 columns, the CAM number from column 10, the depth right-justified in 6.
QString ApplicationValue(const TRunApplication& application, int camNumber) {
    return QString::asprintf("%-8.4f %d  %6.1f", application.Rate, camNumber, application.Depi);
}

// The CAM number a stored application line carries in its tenth character; -1 without one.
int StoredCam(const QString& value) {
    const QChar digit = value.size() >= 10 ? value.at(9) : QChar();
    return digit.isDigit() ? digit.digitValue() : -1;
}

void MakeFolder(const QString& folder) {
    if (!QDir(folder).exists()) QDir().mkdir(folder);
}

// Adds one run to the settings of its folder: the first run gives the folder its general settings and
// application pattern, later ones are checked against that pattern; each run gives its scenario.
void AddRunSettings(TProfileFile& settings, const TRun& run, const QString& projectName,
                    TExportLookups& lookups) {
    const QString runNumber = run.RunNumberPart();
    if (!settings.HasSection(General)) {
        settings.SetValue(General, u"ProjectName"_s, projectName);
        settings.SetValue(General, u"SubstanceCode"_s, run.SubstanceCode);
        settings.SetValue(General, u"Relationship"_s,
                          QString::number(lookups.Relationship(run.SubstanceCode)));
        settings.SetValue(General, u"CropCode"_s, run.PRZMCropCode());
        for (const QString& scenario : RunoffScenarios)
            settings.SetValue(General, scenario, QString());
    }

    const QList<TRunApplication*> applications = run.Applications->Items<TRunApplication>();
    if (settings.HasSection(Applications)) {
        if (settings.Value(Applications, u"AppMethod"_s) != run.AppMethod)
            ShowWarning(u"Different application method for RunID: "_s + runNumber);
        if (settings.Value(Applications, u"NumberOfApp"_s, u"0"_s).toInt() != run.NumberOfApps)
            ShowWarning(u"Different number of applications for RunID: "_s + runNumber);
        const int referenceCam =
            settings.HasKey(Applications, u"1"_s) ? StoredCam(settings.Value(Applications, u"1"_s)) : -1;
        for (const TRunApplication* application : applications)
            if (lookups.CAMNumber(application->CAM) != referenceCam)
                ShowWarning(u"Different CAM for RunID: "_s + runNumber);
    } else {
        settings.SetValue(Applications, u"AppMethod"_s, run.AppMethod);
        settings.SetValue(Applications, u"NumberOfApp"_s, QString::number(run.NumberOfApps));
        int referenceCam = 0;
        for (const TRunApplication* application : applications) {
            const int cam = lookups.CAMNumber(application->CAM);
            if (referenceCam == 0)
                referenceCam = cam;
            else if (cam != referenceCam)
                ShowWarning(u"Different CAM for RunID: "_s + runNumber);
            settings.SetValue(Applications, QString::number(application->ApplicationNr),
                              ApplicationValue(*application, cam));
        }
    }

    // A later run of the same folder and scenario (another water body type) takes the scenario over.
    settings.SetValue(General, run.LocationCode, runNumber);
    settings.SetValue(run.LocationCode, u"FirstDayYrApp"_s, QString::number(run.FirstDayYrApp));
    settings.SetValue(run.LocationCode, u"LastDayYrApp"_s, QString::number(run.LastDayYrApp));
    settings.SetValue(run.LocationCode, u"MinIntervalApps"_s, QString::number(run.MinIntervalApps));
}

// The run description file: the general settings, the applications and the scenarios that have a run.
void WriteRunDescription(const TProfileFile& settings, const QString& fileName) {
    QStringList lines{u"[GeneralSettings]"_s};
    lines << settings.SectionLines(u"GeneralSettings"_s);
    lines << u"[Applications]"_s;
    lines << settings.SectionLines(Applications);
    for (const QString& scenario : RunoffScenarios) {
        const QStringList scenarioLines = settings.SectionLines(scenario);
        if (scenarioLines.isEmpty()) continue;
        lines << u'[' + scenario + u']';
        lines << scenarioLines;
    }
    WriteModelFile(fileName, lines);
}

} // namespace

QString TProject::PRZMSettingsFileName(const TRun& run) const {
    return Path + u"/PRZM/"_s + run.PRZMFolderName() + u"/przm.ini"_s;
}

void TProject::PreparePRZMRunFolder(const TRun& run) const {
    MakeFolder(Path + u"/PRZM/"_s + run.PRZMFolderName());
    const QString settings = PRZMSettingsFileName(run);
    if (!QFile::exists(settings)) WriteModelFile(settings, {});
}

void TProject::WritePRZMRunSettings(const TRun& run) const {
    PreparePRZMRunFolder(run);
    TProfileFile settings(PRZMSettingsFileName(run));
    TExportLookups lookups;
    AddRunSettings(settings, run, Name, lookups);
    settings.Save();
}

void TProject::ConvertPRZMSettings(const QString& settingsFile) const {
    if (!QFile::exists(settingsFile)) return;
    const QFileInfo info(settingsFile);
    WriteRunDescription(TProfileFile(settingsFile), info.path() + u'/' + info.completeBaseName() + u".pzm"_s);
}

// The run settings of each folder are built in memory rather than in a przm.ini beside its przm.pzm;
// the folders are written in the order of their first run.
void TProject::ExportPRZMRuns() const {
    const TPointDecimals pointDecimals;
    TProjectProgress progress(u"Updating PRZM files"_s, Runs->Count());
    progress.Start();
    TExportLookups lookups;
    QStringList folders;
    QHash<QString, TProfileFile> settings;
    for (const TRun* run : Runs->Items<TRun>()) {
        progress.Step();
        if (!TakesPart(*run)) continue;
        const QString folder = Path + u"/PRZM/"_s + lookups.PRZMFolderName(*run);
        if (!settings.contains(folder)) {
            MakeFolder(folder);
            folders << folder;
        }
        AddRunSettings(settings[folder], *run, Name, lookups);
    }
    for (const QString& folder : folders)
        WriteRunDescription(settings[folder], folder + u"/przm.pzm"_s);
}
