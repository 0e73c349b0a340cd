#include "domain/Project.h"

#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/Run.h"
#include "foundation/Errors.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/DataModuleKelvoADO.h"
#include "store/TextRules.h"
#include "store/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>

using namespace Qt::Literals::StringLiterals;

namespace {

QString& ProjectRoot() {
    static QString root = QDir::homePath() + u"/KelvoProjects"_s;
    return root;
}

QDateTime Today() {
    return QDateTime(QDate::currentDate(), QTime(0, 0));
}

} // namespace

QString DefaultProjectRoot() {
    return ProjectRoot();
}

void SetDefaultProjectRoot(const QString& directory) {
    ProjectRoot() = directory;
}

TProject::TProject(const QString& name, const QString& description)
    : Path(DefaultProjectRoot()), Locations(std::make_unique<TAggregationList>()),
      Crops(std::make_unique<TAssociationList>()),
      WaterBodies({u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s}), CreationDate(Today()),
      ModificationDate(CreationDate), Runs(std::make_unique<TAggregationList>()) {
    SetName(name);
    SetDescription(description);
}

TProject::~TProject() = default;

void TProject::SetName(const QString& name) {
    if (HasInvalidNameChar(name)) throw EKelvoError(u"invalid character (/ \\ : ? \" < > |)"_s);
    CheckSingleLineText(name, u"The project name"_s);
    Name = name;
}

QString ProjectDescriptionRefusal(const QString& description) {
    try {
        CheckSingleLineText(description, u"The project description"_s);
    } catch (const EKelvoError& e) {
        return e.Message();
    }
    if (description.size() > MaxProjectDescriptionLength)
        return u"The project description has %1 characters, more than %2: please shorten it."_s
            .arg(description.size())
            .arg(MaxProjectDescriptionLength);
    return {};
}

void TProject::SetDescription(const QString& description) {
    if (const QString refusal = ProjectDescriptionRefusal(description); !refusal.isEmpty())
        throw EKelvoError(refusal);
    Description = description;
}

QString TProject::GetSubstanceName() const {
    return dmKelvoADO->SubstanceName(SubstanceCode);
}

bool TProject::HasLocations() const {
    return Locations->Count() > 0;
}

bool TProject::HasCrops() const {
    return Crops->Count() > 0;
}

bool TProject::IsComplete() const {
    return !Name.isEmpty() && HasSubstance() && HasLocations() && HasCrops();
}

bool TProject::HasLocation(const TLocation& location) const {
    for (const TLocation* chosen : Locations->Items<TLocation>())
        if (chosen->LocationCode == location.LocationCode) return true;
    return false;
}

bool TProject::HasCrop(const TCrop& crop) const {
    for (const TCrop* chosen : Crops->Items<TCrop>())
        if (chosen->CropCode == crop.CropCode) return true;
    return false;
}

void TProject::SelectLocations(const TAggregationList* source, const QStringList& locationCodes) {
    Locations = std::make_unique<TAggregationList>();
    if (!source) return;
    const QList<TLocation*> candidates = source->Items<TLocation>();
    for (const QString& code : locationCodes)
        for (const TLocation* location : candidates)
            if (location->LocationCode == code) {
                Locations->Add(location->Copy().release());
                break;
            }
}

void TProject::SelectCrop(const TAggregationList& source, const QString& cropName) {
    SelectCrops(source, {cropName});
}

void TProject::SelectCrops(const TAggregationList& source, const QStringList& cropNames) {
    Crops = std::make_unique<TAssociationList>();
    const QList<TCrop*> candidates = source.Items<TCrop>();
    for (const QString& name : cropNames)
        for (TCrop* crop : candidates)
            if (crop->Name == name) {
                Crops->Add(crop);
                break;
            }
}

TRun* TProject::FindRun(const QString& runId) const {
    for (TRun* run : Runs->Items<TRun>())
        if (run->RunID == runId) return run;
    return nullptr;
}

// One run number per crop season and scenario; a second metabolite of a parent forming two metabolites
// takes the next number at a drainage scenario, where MACRO computes one metabolite per run.
bool TProject::CreateRuns() {
    Runs = std::make_unique<TAggregationList>();
    int n = dmKelvoADO->HighestRunNumber();
    for (const TCrop* crop : Crops->Items<TCrop>())
        for (const TLocation* location : Locations->Items<TLocation>()) {
            QStringList waterBodies;
            for (const QString& code : WaterBodies)
                if (location->WaterBodyCodes.contains(code, Qt::CaseInsensitive)) waterBodies << code;
            TQuery& seasons = dmKelvoADO->OpenCropLocationRows(crop->CropCode, location->LocationCode);
            QString cropKey = u"1st"_s;
            for (seasons.first(); !seasons.eof(); seasons.next()) {
                ++n;
                TRun pattern;
                dmKelvoADO->GetDefaultPattern(SubstanceCode, crop->CropCode, location->LocationCode, cropKey,
                                              pattern.AppMethod, pattern.NumberOfApps, pattern.FirstDayYrApp,
                                              pattern.LastDayYrApp, pattern.MinIntervalApps);
                const QString cropNr = seasons.fieldByName(u"CropNr"_s).asString();
                const auto addRuns = [&](const QString& substance, int number, const QString& suffix) {
                    for (const QString& water : waterBodies) {
                        auto run = std::make_unique<TRun>();
                        run->Name = crop->CropCode + u'_' + location->LocationCode + u'_' + water;
                        run->SubstanceCode = substance;
                        run->LocationCode = location->LocationCode;
                        run->CropCode = crop->CropCode;
                        run->WaterbodyCode = water;
                        run->CropNr = cropNr;
                        run->CreationDate = CreationDate;
                        run->ModificationDate = ModificationDate;
                        run->AppMethod = pattern.AppMethod;
                        run->NumberOfApps = pattern.NumberOfApps;
                        run->FirstDayYrApp = pattern.FirstDayYrApp;
                        run->LastDayYrApp = pattern.LastDayYrApp;
                        run->MinIntervalApps = pattern.MinIntervalApps;
                        run->Selected = true;
                        run->Locked = true;
                        run->SetRunID(number, suffix);
                        run->SetNumberOfApplications(run->NumberOfApps);
                        Runs->Add(run.release());
                    }
                };
                addRuns(SubstanceCode, n, u"_pa"_s);
                const QString metabolite1 = dmKelvoADO->SubstanceText(SubstanceCode, u"MetSubCode1"_s);
                if (!metabolite1.isEmpty()) addRuns(metabolite1, n, u"_m1"_s);
                const QString metabolite2 = dmKelvoADO->SubstanceText(SubstanceCode, u"MetSubCode2"_s);
                if (!metabolite2.isEmpty()) {
                    if (location->IsRunoff()) {
                        addRuns(metabolite2, n, u"_m2"_s);
                    } else if (dmKelvoADO->PRZMRelationship(SubstanceCode) == 3) {
                        ++n;
                        addRuns(SubstanceCode, n, u"_pa"_s);
                        addRuns(metabolite2, n, u"_m1"_s);
                    }
                }
                cropKey = u"2nd"_s;
            }
            seasons.close();
        }
    return true;
}

// The inserts of all runs and applications make one transaction, unless the caller has one open.
bool TProject::StoreRuns(bool createFirst) {
    if (createFirst) CreateRuns();
    if (!dmKelvoADO->OpenRunInsert()) return false;
    dmKelvoADO->CloseRuns();
    const QList<TRun*> runs = Runs->Items<TRun>();
    {
        TTransaction transaction(dmKelvoADO->dbKelvoADO);
        for (const TRun* run : runs)
            run->InsertRecord(ProjectID);
        dmKelvoADO->CloseRunInsert();
        for (const TRun* run : runs)
            run->InsertApplicationRecords();
    }
    dmKelvoADO->OpenRuns();
    ShowMessage(u"Created runs: "_s + QString::number(runs.size()));
    return true;
}

// The project row, its runs and its map are stored together or not at all. The project directory is
// made and marked as the project's own; a directory that exists and holds anything is refused.
bool TProject::Save(bool createRuns) {
    CheckNewProjectDirectory();
    SetPath(Path + u'/' + Name);
    bool madeDirectory = false;
    try {
        TTransaction transaction(dmKelvoADO->dbKelvoADO);
        ProjectID =
            dmKelvoADO->InsertProject(Name, Description, Path, SubstanceCode, CreationDate, ModificationDate);
        if (ProjectID <= 0) return false;
        madeDirectory = MarkProjectDirectory();
        const bool result = StoreRuns(createRuns);
        RegisterToxswaMap();
        return result;
    } catch (...) {
        // The row is rolled back: so goes the directory made for it.
        QFile::remove(Path + u'/' + ProjectMarkerName);
        if (madeDirectory) QDir().rmdir(Path);
        throw;
    }
}

// A project registered again keeps its map number; its old map row goes, and its link with it.
void TProject::RegisterToxswaMap() {
    try {
        TConnection& db = dmKelvoADO->dbKelvoADO;
        TQuery maps(&db, u"qryToxswaMap"_s, {u"SELECT *"_s, u"FROM ToxswaMap"_s, u"ORDER BY MapID"_s});
        maps.open();
        int mapId = 1;
        if (!maps.isEmpty()) {
            bool found = false;
            for (maps.first(); !maps.eof(); maps.next())
                if (maps.fieldByName(u"Name"_s).asString() == Name) {
                    mapId = maps.fieldByName(u"MapID"_s).asInteger();
                    maps.deleteRecord();
                    found = true;
                    break;
                }
            if (!found) {
                maps.last();
                mapId = maps.fieldByName(u"MapID"_s).asInteger() + 1;
            }
        }
        maps.appendRecord({mapId, Name, Description, QDateTime::currentDateTime(), true});
        maps.close();
        TQuery links(&db, u"qryMapxProject"_s, {u"Select * from mapxproject"_s});
        links.open();
        links.appendRecord({mapId, ProjectID});
        links.close();
    } catch (...) {
        ShowCurrentException();
    }
}

// Runs that shared a run number share one new number in the copy.
std::unique_ptr<TProject> TProject::CopyProject(const QString& newName, const QString& newDescription) const {
    auto copy = std::make_unique<TProject>(newName, newDescription);
    copy->ProjectID = dmKelvoADO->HighestProjectID();
    copy->Path = DefaultProjectRoot();
    copy->SubstanceCode = SubstanceCode;
    int n = dmKelvoADO->HighestRunNumber();
    int previous = -1;
    for (const TRun* run : Runs->Items<TRun>()) {
        const int number = RunNumberOf(run->RunID);
        if (number != previous) ++n;
        if (std::unique_ptr<TRun> runCopy = run->Copy(n)) copy->Runs->Add(runCopy.release());
        previous = number;
    }
    return copy;
}
