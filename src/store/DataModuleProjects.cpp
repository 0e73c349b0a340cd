#include "store/DataModuleKelvoADO.h"

#include "domain/Project.h"
#include "domain/Run.h"
#include "domain/RunApplication.h"
#include "foundation/UserInterface.h"
#include "foundation/Utils.h"
#include "store/Locate.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

// The data module's part in making projects: default patterns of new runs, run numbers, project rows,
// the lookups of the wizards and the project read back from the project list.

namespace {

constexpr int FirstUserProjectID = 4;

// Opens a record set for the lifetime of the guard when it was closed, and closes it again then.
class TOpened {
public:
    explicit TOpened(TRecordSet& recordSet) : m_recordSet(recordSet), m_wasOpen(recordSet.active()) {
        m_recordSet.open();
    }
    ~TOpened() {
        if (!m_wasOpen) m_recordSet.close();
    }
    TOpened(const TOpened&) = delete;
    TOpened& operator=(const TOpened&) = delete;

private:
    TRecordSet& m_recordSet;
    bool m_wasOpen;
};

} // namespace

void TdmKelvoADO::GetDefaultPattern(const QString& substanceCode, const QString& cropCode,
                                    const QString& locationCode, const QString& cropNr, QString& method,
                                    int& numberOfApps, int& firstDay, int& lastDay, int& interval) {
    qryDefAppValues.close();
    qryDefAppValues.setParams({substanceCode, cropCode, locationCode, cropNr});
    qryDefAppValues.open();
    if (!qryDefAppValues.isEmpty()) {
        qryDefAppValues.first();
        method = qryDefAppValues.fieldByName(u"DefAppMethod"_s).asString();
        numberOfApps = qryDefAppValues.fieldByName(u"DefNumberOfApps"_s).asInteger();
        firstDay = qryDefAppValues.fieldByName(u"DefFirstDayYrApp"_s).asInteger();
        lastDay = qryDefAppValues.fieldByName(u"DefLastDayYrApp"_s).asInteger();
        interval = qryDefAppValues.fieldByName(u"DefMinIntervalApps"_s).asInteger();
        qryDefAppValues.close();
        return;
    }
    qryDefAppValues.close();
    method = IsAirBlastCrop(cropCode) ? u"air blast"_s : u"ground spray"_s;
    numberOfApps = 1;
    interval = 1;
    QDateTime emergence;
    QDateTime harvest;
    if (GetCropDates(cropCode, locationCode, cropNr, emergence, harvest)) {
        const int e = DateToDayNumber(emergence);
        firstDay = e >= 15 ? e - 14 : 1;
        lastDay = e <= 349 ? firstDay + 30 : 365;
    } else {
        firstDay = 1;
        lastDay = 365;
    }
}

bool TdmKelvoADO::GetCropDates(const QString& cropCode, const QString& locationCode, const QString& cropNr,
                               QDateTime& emergence, QDateTime& harvest) {
    tblCropsLocations.open();
    bool found = LocateByTextKeys(tblCropsLocations, {locationCode, cropCode, cropNr}, 3);
    if (found) {
        const TField& emergenceDate = tblCropsLocations.fieldByName(u"EmergenceDate"_s);
        found = !emergenceDate.isNull();
        emergence = emergenceDate.asDateTime();
        harvest = tblCropsLocations.fieldByName(u"HarvestDate"_s).asDateTime();
    }
    tblCropsLocations.close();
    return found;
}

TQuery& TdmKelvoADO::OpenCropLocationRows(const QString& cropCode, const QString& locationCode) {
    qryCropLocation.close();
    qryCropLocation.setParam(0, cropCode);
    qryCropLocation.setParam(1, locationCode);
    qryCropLocation.open();
    return qryCropLocation;
}

// Compared as numbers, not as texts: a run number of six digits sorts below "99999" as text.
int TdmKelvoADO::HighestRunNumber() {
    const TSqlResult runIds = dbKelvoADO.Select(
        u"SELECT  Runs.RunID\n"
        "FROM (ToxswaMap INNER JOIN (Projects INNER JOIN MapxProject ON Projects.ProjectID = "
        "MapxProject.ProjectID) ON ToxswaMap.MapID = MapxProject.MapID) INNER JOIN Runs ON "
        "Projects.ProjectID = "
        "Runs.ProjectID\n"
        "WHERE (((ToxswaMap.Focus)=True) AND ((Projects.ProjectID)<>3) )\n"
        "ORDER BY Runs.RunID"_s);
    int highest = 0;
    for (const TSqlRow& row : runIds.rows)
        highest = std::max(highest, RunNumberOf(row.value(0).toString()));
    return highest;
}

int TdmKelvoADO::HighestProjectID() {
    const TSqlResult ids = dbKelvoADO.Select(u"select ProjectID from projects\norder by projectid"_s);
    return ids.rows.isEmpty() ? 0 : ids.rows.last().value(0).toInt();
}

int TdmKelvoADO::InsertProject(const QString& name, const QString& description, const QString& path,
                               const QString& substanceCode, const QDateTime& creationDate,
                               const QDateTime& modificationDate) {
    try {
        tblProjects.open();
        int id = 1;
        if (!tblProjects.isEmpty()) {
            tblProjects.last();
            id = tblProjects.fieldByName(u"ProjectID"_s).asInteger() + 1;
        }
        // The numbers of the example projects stay free even where they are missing: the project list
        // hides project 3 and the deletion rules protect 1 to 3.
        id = std::max(id, FirstUserProjectID);
        tblProjects.appendRecord(
            {id, name, description, path, substanceCode, creationDate, modificationDate});
        tblProjects.close();
        return id;
    } catch (...) {
        tblProjects.close();
        ShowCurrentException();
        return -1;
    }
}

bool TdmKelvoADO::ProjectNameIsFree(const QString& name) {
    tblToxswaMap.open();
    bool free = true;
    for (tblToxswaMap.first(); free && !tblToxswaMap.eof(); tblToxswaMap.next())
        free = tblToxswaMap.fieldByName(u"Name"_s).asString().toLower() != name.toLower();
    tblToxswaMap.close();
    return free;
}

QString TdmKelvoADO::SubstanceText(const QString& code, const QString& column) {
    TOpened opened(tblSubstances);
    if (!LocateByTextKeys(tblSubstances, {code}, 1)) return {};
    return tblSubstances.fieldByName(column).asString();
}

int TdmKelvoADO::SubstancePRZMInteger(const QString& code, const QString& column) {
    TOpened substances(tblSubstances);
    if (!LocateByTextKeys(tblSubstances, {code}, 1)) return 0;
    TOpened przm(tblSubstancesPRZM);
    if (tblSubstancesPRZM.isEmpty()) return 0;
    return tblSubstancesPRZM.fieldByName(column).asInteger();
}

int TdmKelvoADO::PRZMRelationship(const QString& code) {
    TOpened substances(tblSubstances);
    if (!LocateByTextKeys(tblSubstances, {code}, 1)) return -1;
    tblSubstancesPRZM.open();
    const int relationship =
        tblSubstancesPRZM.isEmpty() ? 0 : tblSubstancesPRZM.fieldByName(u"icombo3"_s).asInteger();
    tblSubstancesPRZM.close();
    return relationship;
}

QStringList TdmKelvoADO::ParentSubstanceCodes() {
    TTable& t = tblSubstances;
    const bool wasOpen = t.active();
    const QString current = wasOpen && !t.isEmpty() ? t.field(0).asString() : QString();
    TOpened opened(t);
    QStringList codes;
    for (t.first(); !t.eof(); t.next())
        if (t.fieldByName(u"IsParent"_s).asBoolean()) codes << t.field(0).asString();
    if (wasOpen && !current.isEmpty()) LocateByTextKeys(t, {current}, 1);
    return codes;
}

std::unique_ptr<TProject> TdmKelvoADO::CurrentProject() {
    if (!qryProjects.active()) return nullptr;
    qryProjects.refresh();
    if (qryProjects.isEmpty()) return nullptr;
    auto project = std::make_unique<TProject>(qryProjects.fieldByName(u"Name"_s).asString(), QString());
    project->ProjectID = qryProjects.fieldByName(u"ProjectID"_s).asInteger();
    project->Description = qryProjects.fieldByName(u"Description"_s).asString();
    project->SubstanceCode = qryProjects.fieldByName(u"SubstanceCode"_s).asString();
    project->CreationDate = qryProjects.fieldByName(u"CreationDate"_s).asDateTime();
    project->ModificationDate = qryProjects.fieldByName(u"ModificationDate"_s).asDateTime();
    project->Path = qryProjects.fieldByName(u"Path"_s).asString();
    RefreshRuns();
    if (!tblRuns.active()) return project;
    TTable& r = tblRuns;
    for (r.first(); !r.eof(); r.next()) {
        auto run = std::make_unique<TRun>();
        run->Name = r.fieldByName(u"Name"_s).asString();
        run->RunID = r.fieldByName(u"RunID"_s).asString();
        run->SubstanceCode = project->SubstanceCode;
        run->LocationCode = r.fieldByName(u"LocationCode"_s).asString();
        run->CropCode = r.fieldByName(u"CropCode"_s).asString();
        run->WaterbodyCode = r.fieldByName(u"WaterbodyCode"_s).asString();
        run->CreationDate = r.fieldByName(u"CreationDate"_s).asDateTime();
        run->ModificationDate = r.fieldByName(u"ModificationDate"_s).asDateTime();
        run->FirstDayYrApp = r.fieldByName(u"FirstDayYrApp"_s).asInteger();
        run->LastDayYrApp = r.fieldByName(u"LastDayYrApp"_s).asInteger();
        run->AppMethod = r.fieldByName(u"AppMethod"_s).asString();
        run->NumberOfApps = r.fieldByName(u"NumberOfApps"_s).asInteger();
        run->MinIntervalApps = r.fieldByName(u"MinIntervalApps"_s).asInteger();
        const TField& selected = r.fieldByName(u"Selected"_s);
        run->Selected = !selected.isNull() && !selected.asString().isEmpty();
        run->CropNr = r.fieldByName(u"CropNr"_s).asString();
        run->Locked = r.fieldByName(u"Locked"_s).asBoolean();
        const TField& buffer = r.fieldByName(u"BufferDistance"_s);
        if (!buffer.isNull()) run->Mitigation.Buffer = buffer.asFloat();
        run->Mitigation.Reduction = r.fieldByName(u"DriftReduction"_s).asInteger();
        TTable& a = tblApplications;
        if (a.active())
            for (a.first(); !a.eof(); a.next()) {
                auto application = std::make_unique<TRunApplication>(
                    a.fieldByName(u"ApplicationNr"_s).asInteger(), QString());
                application->Rate = a.fieldByName(u"Rate"_s).asFloat();
                application->CAM = a.fieldByName(u"CAM"_s).asString();
                application->Perc = a.fieldByName(u"Perc"_s).asFloat();
                application->Depi = a.fieldByName(u"Depi"_s).asFloat();
                run->Applications->Add(application.release());
            }
        project->Runs->Add(run.release());
    }
    r.first();
    return project;
}

void TdmKelvoADO::SetRunsSelected(bool select, int projectId) {
    TQuery query(&dbKelvoADO, u"qrySetRunsSelected"_s,
                 {u"update Runs"_s, u"set selected = :pSelected"_s, u"where ProjectID = :pProjectID"_s});
    query.setParams({select ? u"Yes"_s : u""_s, projectId});
    query.execSql();
}
