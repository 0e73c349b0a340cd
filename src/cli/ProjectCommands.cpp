// kelvo-cli project create/list/runs/show/copy/delete: the wizards' project creation and the project
// browser's list, copy and deletion, through the same core and rules as the windows.

#include "cli/JsonOutput.h"
#include "cli/ProjectCommand.h"
#include "cli/ScenarioArguments.h"
#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/Project.h"
#include "domain/ProjectBrowser.h"
#include "domain/ProjectWizard.h"
#include "domain/Run.h"
#include "export/DataModuleMacroADO.h"
#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "foundation/UserInterface.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QTextStream>
#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The wizards' name fields take 20 characters, the copy dialog's description 100.
constexpr int MaxNameLength = 20;

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

QString DateText(const QDateTime& date) {
    return date.isValid() ? date.date().toString(Qt::ISODate) : QString();
}

QString RequiredOption(QStringList& arguments, const QString& option) {
    const auto value = TakeOption(arguments, option);
    if (!value) throw TUsageError(u"%1 is missing"_s.arg(option));
    return *value;
}

// --- create ----------------------------------------------------------------------------------------

// The crops named by name or code; crop names hold commas ("Cereals, winter").
QStringList CropNames(const TAggregationList& crops, const QString& list) {
    QStringList valid;
    for (const TCrop* crop : crops.Items<TCrop>())
        valid << crop->Name << crop->CropCode;
    QStringList names;
    for (const QString& entry : SplitListed(valid, list, u"crop"_s))
        names << FindCrop(crops, entry)->Name;
    return names;
}

// The ticked water body types, always in the order ditch, pond, stream.
QStringList WaterBodyCodes(const QString& list) {
    QStringList chosen;
    for (const QString& part : list.split(u',', Qt::SkipEmptyParts)) {
        QString code = part.trimmed().toLower();
        if (!code.startsWith(u"focus_"_s)) code.prepend(u"focus_"_s);
        chosen << FindListed({u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s}, code,
                             u"water body type"_s);
    }
    QStringList codes;
    for (const QString& code : {u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s})
        if (chosen.contains(code)) codes << code;
    return codes;
}

// The scenarios as the list of selected scenarios holds them: sorted, each among those offered.
QStringList ScenarioCodes(const TAggregationList& offered, const QString& list) {
    QStringList valid;
    for (const TLocation* location : offered.Items<TLocation>())
        valid << location->LocationCode;
    QStringList codes;
    QStringList refused;
    for (const QString& part : list.split(u',', Qt::SkipEmptyParts)) {
        const auto match = std::find_if(valid.begin(), valid.end(), [&](const QString& code) {
            return code.compare(part.trimmed(), Qt::CaseInsensitive) == 0;
        });
        if (match == valid.end())
            refused << part.trimmed();
        else if (!codes.contains(*match))
            codes << *match;
    }
    if (!refused.isEmpty())
        throw EKelvoError(
            u"Scenarios not offered for these crops and water body types: %1. Offered are: %2"_s.arg(
                refused.join(u", "_s), valid.isEmpty() ? u"none"_s : valid.join(u", "_s)));
    codes.sort();
    return codes;
}

int CreateProject(QStringList arguments) {
    TakeProjectRoot(arguments);
    const QString substance = RequiredOption(arguments, u"--substance"_s);
    const QString name = RequiredOption(arguments, u"--name"_s);
    const QString description = TakeOption(arguments, u"--description"_s).value_or(QString());
    const auto crop = TakeOption(arguments, u"--crop"_s);
    const auto cropList = TakeOption(arguments, u"--crops"_s);
    const auto waterBodies = TakeOption(arguments, u"--waterbodies"_s);
    const auto scenarios = TakeOption(arguments, u"--scenarios"_s);
    RequireNoArguments(arguments);
    CheckLength(name, MaxNameLength, u"NAME"_s);
    if (const QString refusal = ProjectDescriptionRefusal(description); !refusal.isEmpty())
        throw TRefusedValue(refusal);
    if (crop.has_value() == cropList.has_value()) throw TUsageError(u"Give either --crop or --crops"_s);
    if (crop && (waterBodies || scenarios))
        throw TUsageError(u"--waterbodies and --scenarios go with --crops, not with --crop"_s);
    if (cropList && !(waterBodies && scenarios))
        throw TUsageError(u"--crops needs --waterbodies and --scenarios"_s);

    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    const std::unique_ptr<TAggregationList> crops = dm.LoadCrops(false);
    TProject project(QString(), description);
    project.SubstanceCode = FindListed(dm.ParentSubstanceCodes(), substance, u"parent substance"_s);
    TProjectWizardKind kind = TProjectWizardKind::Focus;
    std::unique_ptr<TAggregationList> offered;
    if (crop) {
        project.SelectCrop(*crops, FindCrop(*crops, *crop)->Name);
        project.Locations = dm.LocationsFor(*project.Crops, project.WaterBodies);
    } else {
        kind = TProjectWizardKind::UserDefined;
        project.SelectCrops(*crops, CropNames(*crops, *cropList));
        project.WaterBodies = WaterBodyCodes(*waterBodies);
        offered = dm.LocationsFor(*project.Crops, project.WaterBodies);
        project.SelectLocations(offered.get(), ScenarioCodes(*offered, *scenarios));
    }
    project.SetName(name);
    if (FinishProjectWizard(kind, project, name) != TWizardFinish::Created) return 1;
    Out() << u"Created project %1 (%2 runs) in %3"_s.arg(project.GetName())
                 .arg(project.Runs->Count())
                 .arg(project.GetPath())
          << Qt::endl;
    return 0;
}

// --- list, runs, show ------------------------------------------------------------------------------

int ListProjects(QStringList arguments, const TCliContext& context) {
    RequireNoArguments(arguments);
    TCliScenario scenario;
    TdmKelvoADO& dm = scenario.dm;
    if (!dm.OpenProjects()) {
        ShowMessage(u"Failed to open Project/Runs."_s);
        return 1;
    }
    TQuery& q = dm.qryProjects;
    QJsonArray projects;
    for (q.first(); !q.eof(); q.next())
        projects.append(
            QJsonObject{{u"projectId"_s, q.fieldByName(u"ProjectID"_s).asInteger()},
                        {u"name"_s, q.fieldByName(u"Name"_s).asString()},
                        {u"description"_s, q.fieldByName(u"Description"_s).asString()},
                        {u"substance"_s, q.fieldByName(u"SubstanceCode"_s).asString()},
                        {u"created"_s, DateText(q.fieldByName(u"CreationDate"_s).asDateTime())},
                        {u"modified"_s, DateText(q.fieldByName(u"ModificationDate"_s).asDateTime())},
                        {u"path"_s, q.fieldByName(u"Path"_s).asString()}});
    if (context.json) {
        PrintJson(QJsonObject{{u"projects"_s, projects}});
        return 0;
    }
    Out() << u"%1 %2 %3 %4 %5 %6"_s.arg(u"ID"_s, 4)
                 .arg(u"NAME"_s, -20)
                 .arg(u"SUBSTANCE"_s, -20)
                 .arg(u"CREATED"_s, -10)
                 .arg(u"PATH"_s)
                 .arg(u"DESCRIPTION"_s)
          << Qt::endl;
    for (const QJsonValue& value : projects) {
        const QJsonObject p = value.toObject();
        Out() << u"%1 %2 %3 %4 %5 %6"_s.arg(p[u"projectId"_s].toInt(), 4)
                     .arg(p[u"name"_s].toString(), -20)
                     .arg(p[u"substance"_s].toString(), -20)
                     .arg(p[u"created"_s].toString(), -10)
                     .arg(p[u"path"_s].toString())
                     .arg(p[u"description"_s].toString())
              << Qt::endl;
    }
    return 0;
}

QJsonObject RunObject(TdmKelvoADO& dm) {
    const TTable& r = dm.tblRuns;
    QJsonArray applications;
    TTable& a = dm.tblApplications;
    for (a.first(); !a.eof(); a.next())
        applications.append(QJsonObject{{u"nr"_s, a.fieldByName(u"ApplicationNr"_s).asInteger()},
                                        {u"rate"_s, a.fieldByName(u"Rate"_s).asFloat()},
                                        {u"cam"_s, a.fieldByName(u"CAM"_s).asString()},
                                        {u"depi"_s, a.fieldByName(u"Depi"_s).asFloat()},
                                        {u"perc"_s, a.fieldByName(u"Perc"_s).asFloat()}});
    return {{u"runId"_s, r.fieldByName(u"RunID"_s).asString()},
            {u"crop"_s, r.fieldByName(u"CropCode"_s).asString()},
            {u"cropNr"_s, r.fieldByName(u"CropNr"_s).asString()},
            {u"scenario"_s, r.fieldByName(u"LocationCode"_s).asString()},
            {u"waterBody"_s, r.fieldByName(u"WaterbodyCode"_s).asString()},
            {u"applications"_s, r.fieldByName(u"NumberOfApps"_s).asInteger()},
            {u"selected"_s, !r.fieldByName(u"Selected"_s).asString().isEmpty()},
            {u"method"_s, r.fieldByName(u"AppMethod"_s).asString()},
            {u"firstDay"_s, r.fieldByName(u"FirstDayYrApp"_s).asInteger()},
            {u"lastDay"_s, r.fieldByName(u"LastDayYrApp"_s).asInteger()},
            {u"first"_s, r.fieldByName(u"FirstDayYrAppJulian"_s).asString()},
            {u"last"_s, r.fieldByName(u"LastDayYrAppJulian"_s).asString()},
            {u"interval"_s, r.fieldByName(u"MinIntervalApps"_s).asInteger()},
            {u"bufferDistance"_s, r.fieldByName(u"BufferDistance"_s).isNull()
                                      ? QJsonValue(QJsonValue::Null)
                                      : QJsonValue(r.fieldByName(u"BufferDistance"_s).asFloat())},
            {u"driftReduction"_s, r.fieldByName(u"DriftReduction"_s).asInteger()},
            {u"pattern"_s, applications}};
}

int ListRuns(QStringList arguments, const TCliContext& context) {
    const QString name = TakeArgument(arguments, u"NAME"_s);
    RequireNoArguments(arguments);
    TCliProject project(name);
    TTable& r = project.dm.tblRuns;
    QJsonArray runs;
    for (r.first(); !r.eof(); r.next())
        runs.append(RunObject(project.dm));
    if (context.json) {
        PrintJson(QJsonObject{{u"project"_s, project.dm.qryProjects.fieldByName(u"Name"_s).asString()},
                              {u"runs"_s, runs}});
        return 0;
    }
    Out() << u"%1 %2 %3 %4 %5 %6 %7 %8 %9 %10"_s.arg(u"RUNID"_s, -10)
                 .arg(u"CROP"_s, -30)
                 .arg(u"NR"_s, -3)
                 .arg(u"SCENARIO"_s, -8)
                 .arg(u"WATERBODY"_s, -12)
                 .arg(u"APPS"_s, 4)
                 .arg(u"SELECTED"_s, -8)
                 .arg(u"BUFFER"_s, -6)
                 .arg(u"REDUCTION"_s, -9)
                 .arg(u"PATTERN"_s)
          << Qt::endl;
    for (const QJsonValue& value : runs) {
        const QJsonObject run = value.toObject();
        QStringList rates;
        for (const QJsonValue& application : run[u"pattern"_s].toArray())
            rates << QString::number(application[u"rate"_s].toDouble());
        const QString pattern =
            u"%1 %2..%3 every %4 d, rates %5"_s
                .arg(run[u"method"_s].toString(), run[u"first"_s].toString(), run[u"last"_s].toString())
                .arg(run[u"interval"_s].toInt())
                .arg(rates.join(u','));
        const QJsonValue buffer = run[u"bufferDistance"_s];
        const int reduction = run[u"driftReduction"_s].toInt();
        Out() << u"%1 %2 %3 %4 %5 %6 %7 %8 %9 %10"_s.arg(run[u"runId"_s].toString(), -10)
                     .arg(run[u"crop"_s].toString(), -30)
                     .arg(run[u"cropNr"_s].toString(), -3)
                     .arg(run[u"scenario"_s].toString(), -8)
                     .arg(run[u"waterBody"_s].toString(), -12)
                     .arg(run[u"applications"_s].toInt(), 4)
                     .arg(run[u"selected"_s].toBool() ? u"yes"_s : u"no"_s, -8)
                     .arg(buffer.isNull() ? u"focus"_s : QString::number(buffer.toDouble()), -6)
                     .arg(reduction == 0 ? u"none"_s : u"%1 %"_s.arg(reduction), -9)
                     .arg(pattern)
              << Qt::endl;
    }
    return 0;
}

int ShowProject(QStringList arguments, const TCliContext& context) {
    const QString name = TakeArgument(arguments, u"NAME"_s);
    RequireNoArguments(arguments);
    TCliProject cli(name);
    const std::unique_ptr<TProject> project = cli.dm.CurrentProject();
    int selected = 0;
    for (const TRun* run : project->Runs->Items<TRun>())
        selected += run->Selected ? 1 : 0;
    const QJsonObject document{{u"projectId"_s, project->ProjectID},
                               {u"name"_s, project->GetName()},
                               {u"description"_s, project->Description},
                               {u"substance"_s, project->SubstanceCode},
                               {u"substanceName"_s, project->GetSubstanceName()},
                               {u"created"_s, DateText(project->CreationDate)},
                               {u"modified"_s, DateText(project->ModificationDate)},
                               {u"path"_s, project->GetPath()},
                               {u"runs"_s, project->Runs->Count()},
                               {u"selectedRuns"_s, selected},
                               {u"exported"_s, project->HasToxswaDirectory()},
                               {u"report"_s, project->ReportFileName()},
                               {u"reportExists"_s, QFileInfo::exists(project->ReportFileName())}};
    if (context.json) {
        PrintJson(document);
        return 0;
    }
    for (auto it = document.begin(); it != document.end(); ++it)
        Out() << u"%1 = %2"_s.arg(it.key(), it.value().toVariant().toString()) << Qt::endl;
    return 0;
}

// --- copy, delete ----------------------------------------------------------------------------------

int CopyProject(QStringList arguments) {
    TakeProjectRoot(arguments);
    const auto description = TakeOption(arguments, u"--description"_s);
    const QString name = TakeArgument(arguments, u"NAME"_s);
    const QString newName = TakeArgument(arguments, u"NEWNAME"_s);
    RequireNoArguments(arguments);
    CheckLength(newName, MaxNameLength, u"NEWNAME"_s);
    if (description)
        if (const QString refusal = ProjectDescriptionRefusal(*description); !refusal.isEmpty())
            throw TRefusedValue(refusal);
    TCliProject project(name);
    // The copy dialog suggests "Copy_of_" + the description.
    const QString newDescription =
        description.value_or(u"Copy_of_"_s + project.dm.qryProjects.fieldByName(u"Description"_s).asString());
    if (!CopyCurrentProject(newName, newDescription)) return 1;
    Out() << u"Copied project %1 to %2"_s.arg(name, newName) << Qt::endl;
    return 0;
}

// Answers No to the question about the created files and leaves every other one to the console.
class TKeepFiles : public TUserInterface {
public:
    explicit TKeepFiles(TUserInterface& console) : m_console(console) {}
    void Show(TMessageKind kind, const QString& text) override { m_console.Show(kind, text); }
    bool Ask(TQuestionKind kind, const QString& text) override {
        if (text != u"Also delete created files?"_s) return m_console.Ask(kind, text);
        m_console.Show(TMessageKind::Message, u"Answered No: \"%1\" (--keep-files)"_s.arg(text));
        return false;
    }
    std::unique_ptr<TProgressWindow> CreateProgress(const QString& comment, int steps) override {
        return m_console.CreateProgress(comment, steps);
    }
    void SetBusy(bool busy) override { m_console.SetBusy(busy); }
    QString AskSaveFileName(const QString& caption, const QString& suggested, const QString& filter) override {
        return m_console.AskSaveFileName(caption, suggested, filter);
    }
    QString AskDirectory(const QString& caption, const QString& start) override {
        return m_console.AskDirectory(caption, start);
    }

private:
    TUserInterface& m_console;
};

// The MACRO runs of the project go too when the MACRO database opens, as at the start of the windows.
int DeleteProject(QStringList arguments) {
    const bool keepFiles = TakeFlag(arguments, u"--keep-files"_s);
    const QString name = TakeArgument(arguments, u"NAME"_s);
    RequireNoArguments(arguments);
    TCliProject project(name);
    TdmMacroADO macro;
    SetModelAvailable(TModelKind::Macro, macro.OpenMacroDatabase());
    TUserInterface& console = UserInterface();
    TKeepFiles keep(console);
    if (keepFiles) InstallUserInterface(&keep);
    try {
        project.dm.qryProjects.deleteRecord();
    } catch (...) {
        if (keepFiles) InstallUserInterface(&console);
        throw;
    }
    if (keepFiles) InstallUserInterface(&console);
    Out() << u"Deleted project %1"_s.arg(name) << Qt::endl;
    return 0;
}

const TProjectActionRegistrar
    createAction({u"create"_s, [](QStringList a, TCliContext&) { return CreateProject(std::move(a)); }});
const TProjectActionRegistrar listAction({u"list"_s, ListProjects});
const TProjectActionRegistrar runsAction({u"runs"_s, ListRuns});
const TProjectActionRegistrar showAction({u"show"_s, ShowProject});
const TProjectActionRegistrar
    copyAction({u"copy"_s, [](QStringList a, TCliContext&) { return CopyProject(std::move(a)); }});
const TProjectActionRegistrar
    deleteAction({u"delete"_s, [](QStringList a, TCliContext&) { return DeleteProject(std::move(a)); }});

} // namespace
