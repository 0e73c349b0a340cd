#include "BenchInstallation.h"

#include "domain/Crop.h"
#include "domain/Location.h"
#include "domain/Project.h"
#include "export/DataModuleMacroADO.h"
#include "export/StandinInstaller.h"
#include "foundation/Installation.h"
#include "store/DataModuleKelvoADO.h"
#include "store/ScenarioDatabaseBuilder.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

class TSilentProgress : public TProgressWindow {
public:
    void Start() override {}
    void Step() override {}
};

} // namespace

std::unique_ptr<TProgressWindow> TSilentUserInterface::CreateProgress(const QString&, int) {
    return std::make_unique<TSilentProgress>();
}

TBenchInstallation::TBenchInstallation() {
    InstallUserInterface(&m_ui);
    BuildScenarioDatabase(QString::fromUtf8(KELVO_DATA_SOURCE_DIR), Dir() + u"data/kelvo_db.sqlite"_s);
    InstallStandins(QString::fromUtf8(KELVO_STANDINS_SOURCE_DIR), m_dir.path());
    SetInstallationDir(m_dir.path());
    SetDefaultProjectRoot(m_projects.path() + u"/projects"_s);
    QDir().mkpath(DefaultProjectRoot());
    SetModelAvailable(TModelKind::Macro, true);
    SetModelAvailable(TModelKind::Przm, true);
    macro = std::make_unique<TdmMacroADO>();
    dm = std::make_unique<TdmKelvoADO>();
    if (!dm->OpenDatabase()) throw std::runtime_error("the scenario database does not open");

    // The example substances give the values; the parent forms both metabolites (relationship 3).
    TConnection& db = dm->dbKelvoADO;
    const struct {
        const char16_t* table;
        const char16_t* code;
        const char16_t* source;
        const char16_t* set;
    } copies[] = {
        {u"Substances", u"BENCH_P", u"EXAMPLE_P", u"MetSubCode1 = 'BENCH_M1', MetSubCode2 = 'BENCH_M2'"},
        {u"Substance_Macro", u"BENCH_P", u"EXAMPLE_P", nullptr},
        {u"Substance_PRZM", u"BENCH_P", u"EXAMPLE_P", u"icombo3 = 3"},
    };
    const auto copy = [&db](const QString& table, const QString& code, const QString& source,
                            const QString& set) {
        db.Execute(u"CREATE TEMP TABLE copied AS SELECT * FROM %1 WHERE SubstanceCode = ?"_s.arg(table),
                   {source});
        db.Execute(u"UPDATE copied SET SubstanceCode = ?"_s + (set.isEmpty() ? QString() : u", "_s + set),
                   {code});
        db.Execute(u"INSERT INTO %1 SELECT * FROM copied"_s.arg(table));
        db.Execute(u"DROP TABLE copied"_s);
    };
    for (const auto& c : copies)
        copy(QString::fromUtf16(c.table), QString::fromUtf16(c.code), QString::fromUtf16(c.source),
             c.set ? QString::fromUtf16(c.set) : QString());
    for (const QString& metabolite : {u"BENCH_M1"_s, u"BENCH_M2"_s})
        for (const QString& table : {u"Substances"_s, u"Substance_Macro"_s, u"Substance_PRZM"_s})
            copy(table, metabolite, u"EXAMPLE_M1"_s, {});
}

TBenchInstallation::~TBenchInstallation() {
    dm.reset();
    macro.reset();
    SetInstallationDir(QString());
    InstallUserInterface(nullptr);
}

QString TBenchInstallation::Dir() const {
    return QDir(m_dir.path()).absolutePath() + u'/';
}

int TBenchInstallation::CreateLargestProject(const QString& name) {
    const std::unique_ptr<TAggregationList> crops = dm->LoadCrops(false);
    const std::unique_ptr<TAggregationList> locations = dm->LoadLocations();
    QStringList cropNames;
    for (const TCrop* crop : crops->Items<TCrop>())
        cropNames << crop->Name;
    QStringList locationCodes;
    for (const TLocation* location : locations->Items<TLocation>())
        locationCodes << location->LocationCode;
    TProject project(name, u"the largest user-defined project"_s);
    project.SubstanceCode = u"BENCH_P"_s;
    project.SelectCrops(*crops, cropNames);
    project.SelectLocations(locations.get(), locationCodes);
    if (!project.Save(true)) throw std::runtime_error("the project was not stored");
    return project.Runs->Count();
}

void TBenchInstallation::CopyFirstProjectUntil(int projects) {
    TConnection& db = dm->dbKelvoADO;
    const TSqlResult first = db.Select(u"SELECT ProjectID, Name FROM Projects ORDER BY ProjectID LIMIT 1"_s);
    const int firstId = first.rows[0][0].toInt();
    const int stride =
        db.Select(u"SELECT max(CAST(substr(RunID, 1, 5) AS INTEGER)) FROM Runs"_s).rows[0][0].toInt();
    db.BeginTrans();
    for (int k = 1; k < projects; ++k) {
        const int id = firstId + k;
        const QString name = u"COPY%1"_s.arg(k);
        const QString path = DefaultProjectRoot() + u'/' + name;
        db.Execute(u"INSERT INTO Projects SELECT ?, ?, Description, ?, SubstanceCode, CreationDate, "
                   u"ModificationDate FROM Projects WHERE ProjectID = ?"_s,
                   {id, name, path, firstId});
        db.Execute(u"INSERT INTO ToxswaMap VALUES (?, ?, '', '2024-01-01T00:00:00', 1)"_s, {id + 1000, name});
        db.Execute(u"INSERT INTO MapxProject VALUES (?, ?)"_s, {id + 1000, id});
        const QString runId =
            u"printf('%05d', CAST(substr(RunID, 1, 5) AS INTEGER) + ?) || substr(RunID, 6)"_s;
        db.Execute(
            u"INSERT INTO Runs SELECT %1, ?, LocationCode, CropCode, WaterbodyCode, Name, CreationDate, "
            u"ModificationDate, AppMethod, NumberOfApps, FirstDayYrApp, LastDayYrApp, MinIntervalApps, "
            u"ApplicationSchemeID, Selected, ModelStatus, CropNr, "
            u"printf('%05d', CAST(substr(VolgNr, 1, 5) AS INTEGER) + ?) || substr(VolgNr, 6), "
            u"FirstDayYrAppJulian, LastDayYrAppJulian, Remark, Locked FROM Runs WHERE ProjectID = ?"_s.arg(
                runId),
            {k * stride, id, k * stride, firstId});
        db.Execute(
            u"INSERT INTO Applications SELECT ApplicationNr, %1, Rate, CAM, Depi, Perc FROM Applications "
            u"WHERE RunID IN (SELECT RunID FROM Runs WHERE ProjectID = ?)"_s.arg(runId),
            {k * stride, firstId});
    }
    db.CommitTrans();
}

std::unique_ptr<TProject> TBenchInstallation::LoadProject(const QString& name) {
    dm->OpenProjects();
    dm->OpenRuns();
    TQuery& projects = dm->qryProjects;
    for (projects.first(); !projects.eof(); projects.next())
        if (projects.fieldByName(u"Name"_s).asString() == name) return dm->CurrentProject();
    throw std::runtime_error("no such project");
}
