#include "domain/ProjectTestBase.h"
#include "foundation/Errors.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class ProjectTest : public TProjectTest {};

TEST_F(ProjectTest, NewProjectAndItsChoices) {
    TProject project(u"P1"_s, u"first"_s);
    EXPECT_EQ(project.GetPath(), root);
    EXPECT_EQ(project.WaterBodies, (QStringList{u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s}));
    EXPECT_EQ(project.CreationDate, QDateTime(QDate::currentDate(), QTime(0, 0)));
    EXPECT_EQ(project.ModificationDate, project.CreationDate);
    EXPECT_FALSE(project.IsComplete());

    for (const QString& bad : {u"a,b"_s, u"a b"_s, u"a.b"_s, u"a/b"_s, u"a?"_s}) {
        try {
            project.SetName(bad);
            ADD_FAILURE() << bad.toStdString();
        } catch (const EKelvoError& e) {
            EXPECT_EQ(e.Message(), u"invalid character (/ \\ : ? \" < > |)"_s);
        }
        EXPECT_EQ(project.GetName(), u"P1"_s);
    }
    EXPECT_THROW(TProject(u"x:y"_s, QString()), EKelvoError);

    // A description is one line of at most 100 characters, at creation as when set later.
    project.SetDescription(QString(100, u'd'));
    for (const QString& bad : {QString(101, u'd'), u"two\nlines"_s, u"a\tb"_s}) {
        EXPECT_THROW(project.SetDescription(bad), EKelvoError) << bad.toStdString();
        EXPECT_THROW(TProject(u"P2"_s, bad), EKelvoError) << bad.toStdString();
        EXPECT_EQ(project.Description, QString(100, u'd'));
    }

    project.SubstanceCode = u"EXAMPLE_P"_s;
    EXPECT_EQ(project.GetSubstanceName(), u"Example parent"_s);
    project.SelectCrops(*crops, {u"Maize"_s, u"No such crop"_s, u"Potatoes"_s});
    ASSERT_EQ(project.Crops->Count(), 2);
    EXPECT_EQ(static_cast<TCrop*>(project.Crops->GetItem(2))->CropCode, u"Potatoes"_s);
    project.SelectCrop(*crops, u"Hops"_s);
    ASSERT_EQ(project.Crops->Count(), 1);
    EXPECT_TRUE(project.HasCrop(*static_cast<TCrop*>(project.Crops->GetItem(1))));
    EXPECT_FALSE(project.IsComplete());

    project.SelectLocations(locations.get(), {u"R1"_s, u"XX"_s, u"D3"_s});
    ASSERT_EQ(project.Locations->Count(), 2);
    const auto* first = static_cast<TLocation*>(project.Locations->GetItem(1));
    EXPECT_EQ(first->LocationCode, u"R1"_s);
    EXPECT_EQ(first->WaterBodyCodes, (QStringList{u"focus_pond"_s, u"focus_stream"_s}));
    EXPECT_NE(first, locations->GetItem(7)); // a copy, not the source's location
    EXPECT_TRUE(project.IsComplete());
    project.SelectLocations(nullptr, {u"R1"_s});
    EXPECT_FALSE(project.HasLocations());
}

// The runs of one project: numbers above the highest in use (41), one number per crop season and
// scenario, the parent's runs before the metabolites', water bodies in the project's order where the
// scenario has them. D3 has a ditch only, D4 pond and stream, R1 pond and stream.
TEST_F(ProjectTest, RunEnumeration) {
    ListedProject(4, {u"00041d_pa"_s, u"00007s_pa"_s});
    Parent(u"NOMET"_s);
    Parent(u"ONEMET"_s, u"EXAMPLE_M1"_s);
    Parent(u"TWOMET3"_s, u"EXAMPLE_M1"_s, u"MET2"_s, 3);
    Parent(u"TWOMET4"_s, u"EXAMPLE_M1"_s, u"MET2"_s, 4);
    struct TCase {
        const char* title;
        QString substance;
        QStringList crops;
        QStringList locations;
        QStringList waterBodies;
        QStringList runs; // RunID:substance
    };
    const QStringList all = {u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s};
    const TCase cases[] = {
        {"no metabolites",
         u"NOMET"_s,
         {u"Maize"_s},
         {u"D3"_s, u"D4"_s, u"R1"_s},
         all,
         {u"00042d_pa:NOMET"_s, u"00043p_pa:NOMET"_s, u"00043s_pa:NOMET"_s, u"00044p_pa:NOMET"_s,
          u"00044s_pa:NOMET"_s}},
        {"first metabolite",
         u"ONEMET"_s,
         {u"Maize"_s},
         {u"D4"_s, u"R1"_s},
         all,
         {u"00042p_pa:ONEMET"_s, u"00042s_pa:ONEMET"_s, u"00042p_m1:EXAMPLE_M1"_s, u"00042s_m1:EXAMPLE_M1"_s,
          u"00043p_pa:ONEMET"_s, u"00043s_pa:ONEMET"_s, u"00043p_m1:EXAMPLE_M1"_s,
          u"00043s_m1:EXAMPLE_M1"_s}},
        {"relationship 3: the drainage scenario takes a second number",
         u"TWOMET3"_s,
         {u"Maize"_s},
         {u"D4"_s, u"R1"_s},
         {u"focus_stream"_s},
         {u"00042s_pa:TWOMET3"_s, u"00042s_m1:EXAMPLE_M1"_s, u"00043s_pa:TWOMET3"_s, u"00043s_m1:MET2"_s,
          u"00044s_pa:TWOMET3"_s, u"00044s_m1:EXAMPLE_M1"_s, u"00044s_m2:MET2"_s}},
        {"relationship 4: no second metabolite at a drainage scenario",
         u"TWOMET4"_s,
         {u"Maize"_s},
         {u"D4"_s, u"R1"_s},
         {u"focus_stream"_s},
         {u"00042s_pa:TWOMET4"_s, u"00042s_m1:EXAMPLE_M1"_s, u"00043s_pa:TWOMET4"_s,
          u"00043s_m1:EXAMPLE_M1"_s, u"00043s_m2:MET2"_s}},
        {"a scenario without the water body still takes its number",
         u"NOMET"_s,
         {u"Maize"_s},
         {u"D3"_s, u"D4"_s},
         {u"focus_pond"_s},
         {u"00043p_pa:NOMET"_s}},
        {"second crop: each season its own number",
         u"NOMET"_s,
         {u"Vegetables, leafy"_s},
         {u"R1"_s},
         {u"focus_stream"_s},
         {u"00042s_pa:NOMET"_s, u"00043s_pa:NOMET"_s}},
        {"crops in list order, then scenarios",
         u"NOMET"_s,
         {u"Potatoes"_s, u"Maize"_s},
         {u"R2"_s, u"D3"_s},
         all,
         {u"00042s_pa:NOMET"_s, u"00043d_pa:NOMET"_s, u"00044s_pa:NOMET"_s, u"00045d_pa:NOMET"_s}},
        {"a crop not grown at the scenario gives nothing", u"NOMET"_s, {u"Hops"_s}, {u"D3"_s}, all, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        auto project = NewProject(u"P"_s, c.substance, c.crops, c.locations, c.waterBodies);
        EXPECT_TRUE(project->CreateRuns());
        QStringList runs;
        for (const TRun* run : project->Runs->Items<TRun>()) {
            runs << run->RunID + u':' + run->SubstanceCode;
            EXPECT_TRUE(run->Selected);
            EXPECT_TRUE(run->Locked);
            EXPECT_EQ(run->Name, run->CropCode + u'_' + run->LocationCode + u'_' + run->WaterbodyCode);
            EXPECT_EQ(run->CreationDate, project->CreationDate);
            EXPECT_EQ(run->Applications->Count(), run->NumberOfApps);
        }
        EXPECT_EQ(runs, c.runs);
        // Every call starts again from the highest number in use.
        project->CreateRuns();
        EXPECT_EQ(project->Runs->Count(), c.runs.size());
    }
}

TEST_F(ProjectTest, RunTemplateTakesTheSeasonAndTheDefaultPattern) {
    auto project = NewProject(u"P"_s, u"EXAMPLE_P"_s, {u"Vegetables, leafy"_s, u"Cereals, winter"_s},
                              {u"D1"_s, u"R1"_s}, {u"focus_stream"_s});
    project->CreateRuns();
    struct TExpected {
        QString runId;
        QString cropNr;
        QString method;
        int apps, first, last, interval;
    };
    const TExpected expected[] = {
        {u"00001s_pa"_s, u"1st"_s, u"ground spray"_s, 1, 96, 126, 1}, // leafy vegetables at R1: 20 April
        {u"00001s_m1"_s, u"1st"_s, u"ground spray"_s, 1, 96, 126, 1},
        {u"00002s_pa"_s, u"2nd"_s, u"ground spray"_s, 1, 198, 228, 1},  // 31 July
        {u"00003s_pa"_s, u"1st"_s, u"ground spray"_s, 1, 105, 165, 14}, // the substance's pattern at D1
        {u"00004s_pa"_s, u"1st"_s, u"ground spray"_s, 1, 91, 151, 14},
    };
    for (const TExpected& e : expected) {
        SCOPED_TRACE(e.runId.toStdString());
        const TRun* run = project->FindRun(e.runId);
        ASSERT_NE(run, nullptr);
        EXPECT_EQ(run->CropNr, e.cropNr);
        EXPECT_EQ(run->AppMethod, e.method);
        EXPECT_EQ(run->NumberOfApps, e.apps);
        EXPECT_EQ(run->FirstDayYrApp, e.first);
        EXPECT_EQ(run->LastDayYrApp, e.last);
        EXPECT_EQ(run->MinIntervalApps, e.interval);
        EXPECT_DOUBLE_EQ(run->RateOf(1), 1.0);
    }
    EXPECT_EQ(project->FindRun(u"00001S_PA"_s), nullptr);
}

TEST_F(ProjectTest, DefaultPatternWithoutAPatternRow) {
    // Emergence dates moved to the edges of the rule.
    db().Execute(
        u"UPDATE CropsxLocations SET EmergenceDate = ? WHERE CropCode = 'Maize' AND LocationCode = ?"_s,
        {u"1999-01-10T00:00:00"_s, u"D3"_s});
    db().Execute(
        u"UPDATE CropsxLocations SET EmergenceDate = ? WHERE CropCode = 'Maize' AND LocationCode = ?"_s,
        {u"1999-12-16T00:00:00"_s, u"D5"_s});
    db().Execute(
        u"UPDATE CropsxLocations SET EmergenceDate = ? WHERE CropCode = 'Maize' AND LocationCode = ?"_s,
        {u"1999-12-15T00:00:00"_s, u"D6"_s});
    db().Execute(
        u"UPDATE CropsxLocations SET EmergenceDate = ? WHERE CropCode = 'Maize' AND LocationCode = ?"_s,
        {u"1999-01-15T00:00:00"_s, u"R2"_s});
    struct TCase {
        QString substance, crop, location, cropNr;
        QString method;
        int apps, first, last, interval;
    };
    const TCase cases[] = {
        {u"EXAMPLE_P"_s, u"Cereals, winter"_s, u"D2"_s, u"1st"_s, u"ground spray"_s, 1, 91, 151, 14},
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"D4"_s, u"1st"_s, u"ground spray"_s, 1, 116, 146, 1}, // day 130
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"R4"_s, u"1st"_s, u"ground spray"_s, 1, 86, 116, 1},  // day 100
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"D3"_s, u"1st"_s, u"ground spray"_s, 1, 1, 31, 1},    // day 10
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"R2"_s, u"1st"_s, u"ground spray"_s, 1, 1, 31, 1},    // day 15
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"D6"_s, u"1st"_s, u"ground spray"_s, 1, 335, 365, 1}, // day 349
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"D5"_s, u"1st"_s, u"ground spray"_s, 1, 336, 365, 1}, // day 350
        {u"EXAMPLE_M1"_s, u"Hops"_s, u"R1"_s, u"1st"_s, u"air blast"_s, 1, 91, 121, 1},
        // Perennial crops have no emergence date; a crop not grown there has no row at all.
        {u"EXAMPLE_M1"_s, u"Citrus"_s, u"D6"_s, u"1st"_s, u"air blast"_s, 1, 1, 365, 1},
        {u"EXAMPLE_M1"_s, u"Grass/alfalfa"_s, u"D1"_s, u"1st"_s, u"ground spray"_s, 1, 1, 365, 1},
        {u"EXAMPLE_M1"_s, u"Maize"_s, u"D1"_s, u"1st"_s, u"ground spray"_s, 1, 1, 365, 1},
        {u"EXAMPLE_M1"_s, u"Potatoes"_s, u"D6"_s, u"2nd"_s, u"ground spray"_s, 1, 203, 233, 1}, // 5 August
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE((c.crop + u" at "_s + c.location).toStdString());
        QString method;
        int apps = 0, first = 0, last = 0, interval = 0;
        dm->GetDefaultPattern(c.substance, c.crop, c.location, c.cropNr, method, apps, first, last, interval);
        EXPECT_EQ(method, c.method);
        EXPECT_EQ(apps, c.apps);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
        EXPECT_EQ(interval, c.interval);
    }
    QDateTime emergence, harvest;
    EXPECT_TRUE(dm->GetCropDates(u"Potatoes"_s, u"D6"_s, u"2nd"_s, emergence, harvest));
    EXPECT_EQ(harvest.date(), QDate(1999, 12, 4));
    EXPECT_FALSE(dm->GetCropDates(u"Olives"_s, u"R4"_s, u"1st"_s, emergence, harvest));
}

// Run numbers are compared as numbers; projects that are not listed do not count.
TEST_F(ProjectTest, HighestRunNumber) {
    EXPECT_EQ(dm->HighestRunNumber(), 0);
    ListedProject(4, {u"99999d_pa"_s, u"100000d_pa"_s, u"00012s_m1"_s});
    ListedProject(5, {u"100001p_pa"_s});
    EXPECT_EQ(dm->HighestRunNumber(), 100001);
    ListedProject(3, {u"200000d_pa"_s});                                              // the example project
    ListedProject(6, {u"300000d_pa"_s}, false);                                       // a map without Focus
    db().Execute(u"INSERT INTO Projects (ProjectID, Name) VALUES (7, 'Unmapped')"_s); // no map at all
    db().Execute(u"INSERT INTO Runs (RunID, ProjectID) VALUES ('400000d_pa', 7)"_s);
    EXPECT_EQ(dm->HighestRunNumber(), 100001);
}

TEST_F(ProjectTest, SaveStoresTheProjectAndCurrentProjectReadsItBack) {
    ListedProject(4, {u"00041d_pa"_s});
    auto project = NewProject(u"Stored"_s, u"EXAMPLE_P"_s, {u"Maize"_s}, {u"D4"_s, u"R1"_s});
    ASSERT_TRUE(project->Save(true));
    EXPECT_EQ(ui.TakeTexts(), QStringList{u"Created runs: 8"_s});
    EXPECT_EQ(project->ProjectID, 5);
    EXPECT_EQ(project->GetPath(), root + u"/Stored"_s);
    EXPECT_TRUE(QFileInfo(project->GetPath()).isDir());
    EXPECT_FALSE(dm->dbKelvoADO.InTransaction());
    // The insert views take new rows without reading the stored ones.
    ASSERT_TRUE(dm->OpenRunInsert());
    EXPECT_EQ(dm->tblRunInsert.recordCount(), 0);
    dm->CloseRunInsert();
    EXPECT_EQ(Value(u"SELECT Path FROM Projects WHERE ProjectID = 5"_s).toString(), root + u"/Stored"_s);
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Applications WHERE RunID LIKE '0004%'"_s).toInt(), 8);
    EXPECT_EQ(Value(u"SELECT m.MapID FROM ToxswaMap m JOIN MapxProject x ON x.MapID = m.MapID "
                    "WHERE m.Name = 'Stored' AND m.Focus AND x.ProjectID = 5"_s)
                  .toInt(),
              105);

    ASSERT_TRUE(dm->OpenProjects());
    ASSERT_TRUE(dm->OpenRuns());
    dm->qryProjects.last();
    const std::unique_ptr<TProject> back = dm->CurrentProject();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetName(), u"Stored"_s);
    EXPECT_EQ(back->ProjectID, 5);
    EXPECT_EQ(back->Description, u"about Stored"_s);
    EXPECT_EQ(back->SubstanceCode, u"EXAMPLE_P"_s);
    EXPECT_EQ(back->GetPath(), project->GetPath());
    EXPECT_EQ(back->CreationDate, project->CreationDate);
    // In the order of the sort key: the parent run of a number before its metabolite run.
    EXPECT_EQ(RunIds(*back), (QStringList{u"00042p_pa"_s, u"00042p_m1"_s, u"00042s_pa"_s, u"00042s_m1"_s,
                                          u"00043p_pa"_s, u"00043p_m1"_s, u"00043s_pa"_s, u"00043s_m1"_s}));
    for (const TRun* stored : back->Runs->Items<TRun>()) {
        SCOPED_TRACE(stored->RunID.toStdString());
        const TRun* made = project->FindRun(stored->RunID);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(stored->Name, made->Name);
        EXPECT_EQ(stored->SubstanceCode, u"EXAMPLE_P"_s); // a stored run carries the project's substance
        const QStringList storedTexts = {stored->LocationCode, stored->CropCode, stored->WaterbodyCode,
                                         stored->CropNr, stored->AppMethod};
        EXPECT_EQ(storedTexts, (QStringList{made->LocationCode, made->CropCode, made->WaterbodyCode,
                                            made->CropNr, made->AppMethod}));
        EXPECT_EQ(stored->FirstDayYrApp, made->FirstDayYrApp);
        EXPECT_EQ(stored->LastDayYrApp, made->LastDayYrApp);
        EXPECT_EQ(stored->MinIntervalApps, made->MinIntervalApps);
        EXPECT_EQ(stored->NumberOfApps, made->NumberOfApps);
        EXPECT_TRUE(stored->Selected);
        EXPECT_TRUE(stored->Locked);
        ASSERT_EQ(stored->Applications->Count(), 1);
        const auto* application = stored->GetApplication(1);
        EXPECT_EQ(application->ApplicationNr, 1);
        EXPECT_DOUBLE_EQ(application->Rate, made->GetApplication(1)->Rate);
        EXPECT_EQ(application->CAM, made->GetApplication(1)->CAM);
    }
    EXPECT_EQ(dm->tblRuns.recNo(), 1);
}

TEST_F(ProjectTest, CurrentProjectWithoutAListedProject) {
    EXPECT_FALSE(dm->CurrentProject()); // the list is closed
    ASSERT_TRUE(dm->OpenProjects());
    EXPECT_FALSE(dm->CurrentProject());
    // A project without a map link is stored but not listed.
    db().Execute(u"INSERT INTO Projects (ProjectID, Name) VALUES (9, 'Unlisted')"_s);
    EXPECT_FALSE(dm->CurrentProject());
    // Without the runs open, the project has no runs.
    ListedProject(4, {u"00001d_pa"_s});
    const std::unique_ptr<TProject> project = dm->CurrentProject();
    ASSERT_TRUE(project);
    EXPECT_EQ(project->Runs->Count(), 0);
}

TEST_F(ProjectTest, SaveStopsWhenTheProjectRowCannotBeWritten) {
    db().Execute(
        u"CREATE TRIGGER NoProjects BEFORE INSERT ON Projects BEGIN SELECT RAISE(ABORT, 'no rows'); END"_s);
    auto project = NewProject(u"Refused"_s, u"EXAMPLE_P"_s, {u"Maize"_s}, {u"D4"_s});
    EXPECT_FALSE(project->Save(true));
    const auto shown = ui.Take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, TKind::Error);
    EXPECT_TRUE(shown[0].text.contains(u"no rows"_s)) << shown[0].text.toStdString();
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM Runs"_s).toInt(), 0);
    EXPECT_EQ(Value(u"SELECT COUNT(*) FROM ToxswaMap"_s).toInt(), 0);
    EXPECT_FALSE(QFileInfo::exists(root + u"/Refused"_s));
}

// A run that cannot be stored is shown and skipped; the count still names every run of the list.
TEST_F(ProjectTest, StoreRunsGoesOnPastARunThatFails) {
    ListedProject(4, {u"00041d_pa"_s});
    Parent(u"NOMET"_s);
    auto project = NewProject(u"Clash"_s, u"NOMET"_s, {u"Maize"_s}, {u"D4"_s});
    project->CreateRuns();
    db().Execute(u"INSERT INTO Runs (RunID, ProjectID) VALUES ('00042s_pa', 4)"_s);
    ASSERT_TRUE(project->Save(false));
    const auto shown = ui.Take();
    ASSERT_GE(shown.size(), 2);
    EXPECT_EQ(shown.first().kind, TKind::Error);
    EXPECT_EQ(shown.last().text, u"Created runs: 2"_s);
    EXPECT_EQ(Column(u"SELECT RunID FROM Runs WHERE ProjectID = 5"_s), QStringList{u"00042p_pa"_s});
}

TEST_F(ProjectTest, ToxswaMapRegistration) {
    struct TCase {
        const char* title;
        QVector<std::pair<int, QString>> maps;
        QString name;
        int mapId;
    };
    const TCase cases[] = {
        {"first map", {}, u"New"_s, 1},
        {"after the highest map", {{1, u"A"_s}, {5, u"B"_s}}, u"New"_s, 6},
        {"a map of the same name keeps its number", {{1, u"A"_s}, {5, u"New"_s}, {7, u"C"_s}}, u"New"_s, 5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        db().Execute(u"DELETE FROM ToxswaMap"_s);
        db().Execute(u"DELETE FROM MapxProject"_s);
        for (const auto& [id, name] : c.maps) {
            db().Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (?, ?, 1)"_s, {id, name});
            db().Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (?, ?)"_s, {id, 50 + id});
        }
        TProject project(c.name, u"described"_s);
        project.ProjectID = 12;
        project.RegisterToxswaMap();
        EXPECT_EQ(Column(u"SELECT MapID FROM ToxswaMap WHERE Name = ?"_s, {c.name}),
                  QStringList{QString::number(c.mapId)});
        EXPECT_EQ(Column(u"SELECT Description || '|' || Focus FROM ToxswaMap WHERE Name = ?"_s, {c.name}),
                  QStringList{u"described|1"_s});
        EXPECT_EQ(Column(u"SELECT MapID FROM MapxProject WHERE ProjectID = 12"_s),
                  QStringList{QString::number(c.mapId)});
        // Registering again keeps the number and leaves one map and one link.
        project.RegisterToxswaMap();
        EXPECT_EQ(Column(u"SELECT MapID FROM ToxswaMap WHERE Name = ?"_s, {c.name}),
                  QStringList{QString::number(c.mapId)});
        EXPECT_EQ(Column(u"SELECT MapID FROM MapxProject WHERE MapID = ?"_s, {c.mapId}),
                  QStringList{QString::number(c.mapId)});
        EXPECT_EQ(Value(u"SELECT COUNT(*) FROM ToxswaMap"_s).toInt(), c.maps.size() + (c.mapId == 5 ? 0 : 1));
    }
    // A database error is shown and the caller goes on.
    db().Execute(u"DROP TABLE MapxProject"_s);
    TProject project(u"Broken"_s, QString());
    project.RegisterToxswaMap();
    const auto shown = ui.Take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, TKind::Error);
}

// Runs that shared a number share a new one; the copy lives below the default project root.
TEST_F(ProjectTest, CopyNumbering) {
    struct TCase {
        const char* title;
        QStringList listed; // run IDs in use
        QStringList source;
        QStringList copied;
    };
    const TCase cases[] = {
        {"five digits",
         {u"00041d_pa"_s},
         {u"00005d_pa"_s, u"00005d_m1"_s, u"00005s_pa"_s, u"00006p_pa"_s, u"00006s_m2"_s},
         {u"00042d_pa"_s, u"00042d_m1"_s, u"00042s_pa"_s, u"00043p_pa"_s, u"00043s_m2"_s}},
        {"six digits",
         {u"123456d_pa"_s},
         {u"123455d_pa"_s, u"123456d_pa"_s, u"123456d_m1"_s},
         {u"123457d_pa"_s, u"123458d_pa"_s, u"123458d_m1"_s}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.title);
        db().Execute(u"DELETE FROM Runs"_s);
        db().Execute(u"DELETE FROM Projects"_s);
        db().Execute(u"DELETE FROM ToxswaMap"_s);
        ListedProject(4, c.listed);
        TProject source(u"Source"_s, u"the source"_s);
        source.SubstanceCode = u"EXAMPLE_P"_s;
        source.SetPath(u"/elsewhere/Source"_s);
        for (const QString& id : c.source) {
            auto run = std::make_unique<TRun>();
            const QChar water = id.at(id.size() - 4);
            run->WaterbodyCode = water == u'd'   ? u"focus_ditch"_s
                                 : water == u'p' ? u"focus_pond"_s
                                                 : u"focus_stream"_s;
            run->RunID = id;
            run->Name = u"run "_s + id;
            run->AppMethod = u"ground spray"_s;
            run->NumberOfApps = 2;
            run->SetNumberOfApplications(2);
            run->GetApplication(2)->Rate = 0.25;
            source.Runs->Add(run.release());
        }
        const std::unique_ptr<TProject> copy = source.CopyProject(u"Copy"_s, u"the copy"_s);
        EXPECT_EQ(copy->GetName(), u"Copy"_s);
        EXPECT_EQ(copy->Description, u"the copy"_s);
        EXPECT_EQ(copy->SubstanceCode, u"EXAMPLE_P"_s);
        EXPECT_EQ(copy->GetPath(), root);
        EXPECT_EQ(copy->ProjectID, 4);
        EXPECT_EQ(RunIds(*copy), c.copied);
        for (int i = 1; i <= copy->Runs->Count(); ++i) {
            const auto* run = static_cast<TRun*>(copy->Runs->GetItem(i));
            EXPECT_EQ(run->Name, u"copy_run "_s + c.source[i - 1]);
            EXPECT_DOUBLE_EQ(run->RateOf(2), 0.25);
        }
    }
    TProject source(u"Source"_s, QString());
    EXPECT_THROW(source.CopyProject(u"bad name"_s, QString()), EKelvoError);
}

TEST_F(ProjectTest, LookupsOfTheWizards) {
    Parent(u"ZPARENT"_s, u"EXAMPLE_M1"_s, QString(), 4);
    EXPECT_EQ(dm->ParentSubstanceCodes(), (QStringList{u"EXAMPLE_P"_s, u"ZPARENT"_s}));
    // An open substance table keeps its current row.
    ASSERT_TRUE(dm->OpenSubstanceAt(u"EXAMPLE_M1"_s));
    EXPECT_EQ(dm->ParentSubstanceCodes().size(), 2);
    EXPECT_EQ(dm->tblSubstances.field(0).asString(), u"EXAMPLE_M1"_s);
    dm->CloseSubstanceTables();

    EXPECT_EQ(dm->SubstanceText(u"ZPARENT"_s, u"MetSubCode1"_s), u"EXAMPLE_M1"_s);
    EXPECT_EQ(dm->SubstanceText(u"ZPARENT"_s, u"MetSubCode2"_s), QString());
    EXPECT_EQ(dm->SubstanceText(u"NONE"_s, u"Name"_s), QString());
    EXPECT_EQ(dm->PRZMRelationship(u"ZPARENT"_s), 4);
    EXPECT_EQ(dm->PRZMRelationship(u"NONE"_s), -1);
    EXPECT_EQ(dm->SubstancePRZMInteger(u"ZPARENT"_s, u"icombo3"_s), 4);
    EXPECT_EQ(dm->SubstancePRZMInteger(u"NONE"_s, u"icombo3"_s), 0);
    EXPECT_FALSE(dm->tblSubstances.active());
    EXPECT_FALSE(dm->tblSubstancesPRZM.active());

    db().Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (1, 'TEST', 0)"_s);
    EXPECT_FALSE(dm->ProjectNameIsFree(u"Test"_s));
    EXPECT_FALSE(dm->ProjectNameIsFree(u"TEST"_s));
    EXPECT_TRUE(dm->ProjectNameIsFree(u"Test2"_s));

    EXPECT_EQ(dm->HighestProjectID(), 0);
    // The first project of a database without the example projects still leaves their numbers free.
    EXPECT_EQ(dm->InsertProject(u"first"_s, QString(), QString(), QString(), QDateTime(), QDateTime()), 4);
    db().Execute(u"DELETE FROM Projects"_s);
    db().Execute(u"INSERT INTO Projects (ProjectID, Name) VALUES (12, 'a'), (3, 'b')"_s);
    EXPECT_EQ(dm->HighestProjectID(), 12);
    EXPECT_EQ(dm->InsertProject(u"n"_s, u"d"_s, u"/p/n"_s, u"EXAMPLE_P"_s,
                                QDateTime(QDate(2024, 5, 1), QTime()), QDateTime(QDate(2024, 5, 2), QTime())),
              13);
    EXPECT_EQ(
        Column(u"SELECT Name || Description || Path || SubstanceCode FROM Projects WHERE ProjectID = 13"_s),
        QStringList{u"nd/p/nEXAMPLE_P"_s});
    EXPECT_FALSE(dm->tblProjects.active());
}

} // namespace
