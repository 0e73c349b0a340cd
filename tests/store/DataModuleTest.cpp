#include "foundation/Errors.h"
#include "foundation/Installation.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

#include <QDir>
#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

class DataModuleTest : public TDataModuleTest {
protected:

    // A project linked to a map whose Focus flag is given (no map at all when focus is empty).
    void AddProject(int id, std::optional<bool> focus) {
        TConnection& db = dm->dbKelvoADO;
        db.Execute(u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (?, ?, 'EXAMPLE_P')"_s,
                   {id, u"P%1"_s.arg(id)});
        if (!focus) return;
        db.Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (?, ?, ?)"_s,
                   {100 + id, u"P%1"_s.arg(id), *focus ? 1 : 0});
        db.Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (?, ?)"_s, {100 + id, id});
    }

    void AddRun(int project, const QString& runId, const QString& volgNr) {
        dm->dbKelvoADO.Execute(
            u"INSERT INTO Runs (RunID, ProjectID, LocationCode, CropCode, WaterbodyCode, NumberOfApps, "
            "FirstDayYrApp, LastDayYrApp, MinIntervalApps, CropNr, VolgNr, Locked) "
            "VALUES (?, ?, 'D1', 'Cereals, winter', 'focus_ditch', 1, 100, 130, 0, '1st', ?, 0)"_s,
            {runId, project, volgNr});
    }

    QStringList Column(TRecordSet& rs, const QString& field) {
        QStringList values;
        for (rs.first(); !rs.eof(); rs.next())
            values << rs.fieldByName(field).asString();
        return values;
    }
};

TEST_F(DataModuleTest, OpeningAMissingDatabaseShowsTheErrorAndCreatesNothing) {
    dm->CloseDatabase();
    const QString missing = tempDir.filePath(u"elsewhere/"_s);
    QDir().mkpath(missing);
    SetInstallationDir(missing);
    EXPECT_FALSE(dm->OpenDatabase());
    const QStringList shown = ui.TakeTexts();
    ASSERT_EQ(1, shown.size());
    EXPECT_TRUE(shown[0].contains(u"kelvo_db.sqlite"_s)) << shown[0].toStdString();
    EXPECT_FALSE(QFile::exists(missing + u"data/kelvo_db.sqlite"_s));
}

TEST_F(DataModuleTest, ProjectListHoldsFocusMapsOnlyAndNeverProjectThree) {
    AddProject(1, true);
    AddProject(2, false);
    AddProject(3, true);
    AddProject(4, std::nullopt);
    AddProject(5, true);
    ASSERT_TRUE(dm->OpenProjects());
    EXPECT_EQ((QStringList{u"1"_s, u"5"_s}), Column(dm->qryProjects, u"ProjectID"_s));
    EXPECT_EQ(u"EXAMPLE_P"_s, dm->CurrentProjectSubstanceCode());
    dm->CloseProjects();
    EXPECT_EQ(QString(), dm->CurrentProjectSubstanceCode());
}

TEST_F(DataModuleTest, EmptyProjectListWithoutFocusMaps) {
    AddProject(7, false);
    ASSERT_TRUE(dm->OpenProjects());
    EXPECT_TRUE(dm->qryProjects.isEmpty());
    EXPECT_EQ(QString(), dm->CurrentProjectSubstanceCode());
}

TEST_F(DataModuleTest, RunsOfTheCurrentProjectComeInSortKeyOrder) {
    AddProject(4, true);
    AddProject(5, true);
    AddRun(4, u"00002d_m1"_s, u"00002d_1"_s);
    AddRun(4, u"00002d_pa"_s, u"00002d_0"_s);
    AddRun(4, u"00001s_m2"_s, u"00001s_2"_s);
    AddRun(4, u"00001s_pa"_s, u"00001s_0"_s);
    AddRun(5, u"00003d_pa"_s, u"00003d_0"_s);
    ASSERT_TRUE(dm->OpenProjects());
    ASSERT_TRUE(dm->OpenRuns());
    dm->RefreshRuns();
    EXPECT_EQ((QStringList{u"00001s_pa"_s, u"00001s_m2"_s, u"00002d_pa"_s, u"00002d_m1"_s}),
              Column(dm->tblRuns, u"RunID"_s));
    dm->qryProjects.next(); // moving to the next project reloads its runs, again in sort key order
    EXPECT_EQ((QStringList{u"00003d_pa"_s}), Column(dm->tblRuns, u"RunID"_s));
    dm->CloseRuns();
}

// Reloading the runs tells their views once: the same rows again are changed values, not a reset.
TEST_F(DataModuleTest, RefreshRunsTellsTheViewsOnce) {
    AddProject(4, true);
    AddRun(4, u"00001d_pa"_s, u"00001d_0"_s);
    AddRun(4, u"00002d_pa"_s, u"00002d_0"_s);
    dm->dbKelvoADO.Execute(
        u"INSERT INTO Applications (ApplicationNr, RunID, Rate) VALUES (1, '00001d_pa', 1.5)"_s);
    ASSERT_TRUE(dm->OpenProjects());
    ASSERT_TRUE(dm->OpenRuns());
    dm->RefreshRuns();
    QStringList log;
    QObject context;
    for (TRecordSet* rs :
         {static_cast<TRecordSet*>(&dm->tblRuns), static_cast<TRecordSet*>(&dm->tblApplications)}) {
        const QString name = rs->name();
        QObject::connect(rs, &TRecordSet::rowsReset, &context, [&log, name] { log << name + u" reset"_s; });
        QObject::connect(rs, &TRecordSet::rowsChanged, &context, [&log, name](int first, int last) {
            log << name + u" changed %1-%2"_s.arg(first).arg(last);
        });
        QObject::connect(rs, &TRecordSet::currentChanged, &context,
                         [&log, name](int row) { log << name + u" current %1"_s.arg(row); });
    }
    dm->RefreshRuns();
    EXPECT_EQ(log, (QStringList{u"tblApplications changed 0-0"_s, u"tblApplications current 0"_s,
                                u"tblRuns changed 0-1"_s, u"tblRuns current 0"_s}));
    log.clear();
    dm->dbKelvoADO.Execute(u"DELETE FROM Runs WHERE RunID = '00002d_pa'"_s);
    dm->RefreshRuns();
    EXPECT_EQ(log, (QStringList{u"tblApplications changed 0-0"_s, u"tblApplications current 0"_s,
                                u"tblRuns reset"_s, u"tblRuns current 0"_s}));
    dm->CloseRuns();
}

TEST_F(DataModuleTest, EveryRecordSetAndQueryOpens) {
    dm->qryCropsAtLoc.setParam(0, u"D3"_s);
    dm->qryLocationWithCrops.setParam(0, u"Maize"_s);
    dm->qryLocationsAtWaterbody.setParam(0, u"focus_pond"_s);
    dm->qryCropLocation.setParams({u"Maize"_s, u"D3"_s});
    dm->qryRegParams.setParams({1, 1});
    dm->qryWaterBodyType.setParam(0, u"focus_ditch"_s);
    dm->qryWaterbodyTypes.setParam(0, u"D1"_s);
    dm->qryDrift.setParam(0, 1);
    dm->qryDefAppValues.setParams({u"EXAMPLE_P"_s, u"Cereals, winter"_s, u"D1"_s, u"1st"_s});
    TRecordSet* all[] = {&dm->qryProjects,          &dm->tblProjects,
                         &dm->tblRuns,              &dm->tblApplications,
                         &dm->tblDefaults,          &dm->tblSubstances,
                         &dm->tblSubstancesMacro,   &dm->tblSubstancesPRZM,
                         &dm->tblSubInsert,         &dm->tblSubInsertMacro,
                         &dm->tblSubInsertPRZM,     &dm->tblDefaultsInsert,
                         &dm->tblRunInsert,         &dm->tblApplicationInsert,
                         &dm->tblLocations,         &dm->tblCrops,
                         &dm->qryCrops,             &dm->qryCropsAtLoc,
                         &dm->qryLocationWithCrops, &dm->qryLocationsAtWaterbody,
                         &dm->tblCropsLocations,    &dm->qryCropLocation,
                         &dm->tblWaterbodyType,     &dm->qryWaterBodyType,
                         &dm->qryWaterbodyTypes,    &dm->tblApplicationMethods,
                         &dm->tblCAMDef,            &dm->tblMitigation,
                         &dm->qryRegParams,         &dm->qryDrift,
                         &dm->qryDefAppValues,      &dm->tblToxswaMap,
                         &dm->tblAppSchemes,        &dm->tblToxswaApps,
                         &dm->tblSimulationParameters};
    for (TRecordSet* rs : all)
        EXPECT_TRUE(dm->OpenDataSet(*rs)) << rs->name().toStdString();
    EXPECT_EQ(15, dm->qryCropsAtLoc.recordCount()) << "first crops at D3";
    EXPECT_EQ(3, dm->qryLocationsAtWaterbody.recordCount()) << "D4, D5 and R1 have ponds";
    EXPECT_EQ(90, dm->qryDrift.fieldByName(u"DriftPerc"_s).asInteger());
    EXPECT_EQ(2, dm->tblSubstancesMacro.recordCount() + dm->tblSubstancesPRZM.recordCount())
        << "the details follow the first substance";
    dm->CloseDatabase();
    for (TRecordSet* rs : all)
        EXPECT_FALSE(rs->active()) << rs->name().toStdString();
}

TEST_F(DataModuleTest, StatementsDeleteByBoundParameters) {
    AddProject(4, true);
    AddRun(4, u"00001d_pa"_s, u"00001d_0"_s);
    dm->dbKelvoADO.Execute(u"INSERT INTO Applications VALUES (1, '00001d_pa', 1.5, 'x', 4, 0)"_s);
    dm->dbKelvoADO.Execute(u"INSERT INTO ApplicationSchemes (ApplicationSchemeID, Name) VALUES (9, 'n')"_s);
    dm->qryUpdate.setParams({9, u"00001d_pa"_s});
    EXPECT_EQ(1, dm->qryUpdate.execSql());
    dm->qryApplicationsDelete.setParam(0, u"00001d_pa"_s);
    EXPECT_EQ(1, dm->qryApplicationsDelete.execSql());
    dm->qryDelete.setParam(0, 9);
    EXPECT_EQ(1, dm->qryDelete.execSql());
    EXPECT_EQ(9, dm->dbKelvoADO.Select(u"SELECT ApplicationSchemeID FROM Runs"_s).rows[0][0].toInt());
}

// The fields refuse values outside their ranges before any rule runs.
TEST_F(DataModuleTest, PersistentFieldsRefuseValuesOutOfRange) {
    struct Case {
        TRecordSet* recordSet;
        const char* field;
        double value;
        bool accepted;
    };
    AddProject(4, true);
    AddRun(4, u"00001d_pa"_s, u"00001d_0"_s);
    dm->dbKelvoADO.Execute(u"INSERT INTO Applications VALUES (1, '00001d_pa', 1.5, 'x', 4, 0)"_s);
    ASSERT_TRUE(dm->OpenProjects());
    ASSERT_TRUE(dm->OpenRuns());
    ASSERT_TRUE(dm->OpenDataSet(dm->tblSubInsert));
    const Case cases[] = {
        {&dm->tblApplications, "Rate", 1000, false}, {&dm->tblApplications, "Rate", 999, true},
        {&dm->tblApplications, "Depi", 31, false},   {&dm->tblApplications, "Depi", 30, true},
        {&dm->tblRuns, "FirstDayYrApp", 0, false},   {&dm->tblRuns, "FirstDayYrApp", 367, false},
        {&dm->tblRuns, "LastDayYrApp", 366, true},
    };
    for (const Case& c : cases) {
        c.recordSet->edit();
        TField& f = c.recordSet->fieldByName(QString::fromLatin1(c.field));
        bool accepted = true;
        try {
            f.setAsFloat(c.value);
        } catch (const EKelvoError&) {
            accepted = false;
        }
        EXPECT_EQ(c.accepted, accepted) << c.field << " = " << c.value;
        c.recordSet->cancel();
    }
}

} // namespace
