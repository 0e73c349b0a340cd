#include "domain/Run.h"
#include "domain/Crop.h"
#include "domain/RunApplication.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class RunTest : public TDataModuleTest {
protected:
    static std::unique_ptr<TRun> Run(const QString& runId, const QString& water = u"focus_ditch"_s) {
        auto run = std::make_unique<TRun>();
        run->RunID = runId;
        run->WaterbodyCode = water;
        return run;
    }
};

TEST(TRunTest, ValuesDerivedFromTheRunID) {
    struct TCase {
        QString runId;
        QString water;
        QString numberPart;
        int number;
        bool metabolite;
        int scheme;
        QString macroFile;
        QString przmFile;
    };
    const TCase cases[] = {
        {u"00012d_pa"_s, u"focus_ditch"_s, u"00012"_s, 12, false, 1210, u"macro00012_p.m2t"_s,
         u"00012-C1.p2t"_s},
        {u"00012d_m1"_s, u"focus_ditch"_s, u"00012"_s, 12, true, 1211, u"macro00012_m.m2t"_s,
         u"00012-C2.p2t"_s},
        {u"00012p_m1"_s, u"focus_pond"_s, u"00012"_s, 12, true, 1221, u"macro00012_m.m2t"_s,
         u"00012-C2.p2t"_s},
        {u"00012s_m2"_s, u"focus_stream"_s, u"00012"_s, 12, true, 1232, u"macro00012_m.m2t"_s,
         u"00012-C3.p2t"_s},
        {u"00012d_PA"_s, u"focus_ditch"_s, u"00012"_s, 12, false, 1210, u"macro00012_P.m2t"_s,
         u"00012-C.p2t"_s},
        {u"00345d_pa"_s, u"focus_lake"_s, u"00345"_s, 345, false, 0, u"macro00345_p.m2t"_s,
         u"00345-C1.p2t"_s},
        {u"00345d_m2"_s, u"focus_lake"_s, u"00345"_s, 345, true, 2, u"macro00345_m.m2t"_s, u"00345-C3.p2t"_s},
        {u"A0012d_pa"_s, u"focus_pond"_s, u"A0012"_s, 0, false, 20, u"macroA0012_p.m2t"_s, u"A0012-C1.p2t"_s},
        // Beyond 99999 the run number keeps all its digits, so schemes and files stay apart.
        {u"123456p_m1"_s, u"focus_pond"_s, u"123456"_s, 123456, true, 12345621, u"macro123456_m.m2t"_s,
         u"123456-C2.p2t"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.runId.toStdString());
        TRun run;
        run.RunID = c.runId;
        run.WaterbodyCode = c.water;
        EXPECT_EQ(run.RunNumberPart(), c.numberPart);
        EXPECT_EQ(run.RunNumber(), c.number);
        EXPECT_EQ(run.IsMetabolite(), c.metabolite);
        EXPECT_EQ(run.ApplicationSchemeNumber(), c.scheme);
        EXPECT_EQ(run.MacroOutputFileName(), c.macroFile);
        EXPECT_EQ(run.PRZMOutputFileName(), c.przmFile);
    }
}

TEST(TRunTest, RunIDsAndSimpleValues) {
    struct TCase {
        int number;
        QString water;
        QString suffix;
        QString runId;
    };
    const TCase cases[] = {
        {12, u"focus_stream"_s, u"_pa"_s, u"00012s_pa"_s},
        {123456, u"focus_pond"_s, u"_m1"_s, u"123456p_m1"_s},
        {7, u"focus_ditch"_s, u"_m2"_s, u"00007d_m2"_s},
    };
    for (const TCase& c : cases) {
        TRun run;
        run.WaterbodyCode = c.water;
        run.SetRunID(c.number, c.suffix);
        EXPECT_EQ(run.RunID, c.runId);
    }
    TRun run;
    EXPECT_EQ(run.DisplayText(), u"TRun"_s);
    EXPECT_EQ(run.SelectedText(), QString());
    run.Selected = true;
    EXPECT_EQ(run.SelectedText(), u"Yes"_s);
    EXPECT_FALSE(run.IsRunoff());
    for (const QString& code : {u"R1"_s, u"R4"_s}) {
        run.LocationCode = code;
        EXPECT_TRUE(run.IsRunoff());
    }
    for (const QString& code : {u"D1"_s, u"D6"_s}) {
        run.LocationCode = code;
        EXPECT_FALSE(run.IsRunoff());
    }
}

TEST(TRunTest, SimulationPeriodBySenarioAndSeason) {
    struct TCase {
        QString location;
        int firstDay;
        QDate start;
        QDate end;
    };
    const TCase cases[] = {
        {u"R3"_s, 151, {1980, 3, 1}, {1981, 2, 28}}, {u"R3"_s, 152, {1975, 6, 1}, {1976, 5, 31}},
        {u"R3"_s, 273, {1975, 6, 1}, {1976, 5, 31}}, {u"R3"_s, 274, {1980, 10, 1}, {1981, 9, 30}},
        {u"R3"_s, 59, {1980, 10, 1}, {1981, 9, 30}}, {u"R3"_s, 60, {1980, 3, 1}, {1981, 2, 28}},
        {u"R1"_s, 200, {1978, 6, 1}, {1979, 5, 31}}, {u"R2"_s, 300, {1977, 10, 1}, {1978, 9, 30}},
        {u"R4"_s, 100, {1984, 3, 1}, {1985, 2, 28}}, {u"D4"_s, 10, {1985, 1, 1}, {1986, 4, 30}},
        {u"D4"_s, 200, {1985, 1, 1}, {1986, 4, 30}}, {u"D1"_s, 100, {1982, 1, 1}, {1983, 4, 30}},
        {u"D2"_s, 100, {1986, 1, 1}, {1987, 4, 30}}, {u"D3"_s, 100, {1992, 1, 1}, {1993, 4, 30}},
        {u"D5"_s, 100, {1978, 1, 1}, {1979, 4, 30}}, {u"D6"_s, 100, {1986, 1, 1}, {1987, 4, 30}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE((c.location + u" "_s + QString::number(c.firstDay)).toStdString());
        TRun run;
        run.LocationCode = c.location;
        run.FirstDayYrApp = c.firstDay;
        QDate start;
        QDate end;
        EXPECT_TRUE(run.SimulationPeriod(start, end));
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(end, c.end);
    }
    TRun other;
    other.LocationCode = u"X1"_s;
    QDate start(2000, 1, 2);
    QDate end(2000, 3, 4);
    EXPECT_TRUE(other.SimulationPeriod(start, end));
    EXPECT_EQ(start, QDate(2000, 1, 2));
    EXPECT_EQ(end, QDate(2000, 3, 4));
}

TEST_F(RunTest, CropNamesAndFolders) {
    dm->dbKelvoADO.Execute(
        u"INSERT INTO Crops VALUES ('Apples, EARLY', 'Apples, EARLY', 30, 2, 3.0, 'AE', 1)"_s);
    struct TCase {
        QString crop;
        QString cropNr;
        QString name;
        QString macroName;
        QString folder;
        QString przmFolder;
        QString przmCode;
    };
    const TCase cases[] = {
        {u"Maize"_s, u"1st"_s, u"Maize"_s, u"Maize"_s, u"MZ"_s, u"MZ"_s, u"Maize"_s},
        {u"Apples, EARLY"_s, u"1st"_s, u"Apples, EARLY"_s, u"Apples"_s, u"AE"_s, u"AE"_s, u"Apples, EARLY"_s},
        {u"Pome/stone fruit, early applns"_s, u"1st"_s, u"Pome/stone fruit, early applns"_s,
         u"Pome/stone fruit"_s, u"PFE"_s, u"PFE"_s, u"Pome/stone fruit, early applns"_s},
        {u"Vines, late applns"_s, u"1st"_s, u"Vines, late applns"_s, u"Vines"_s, u"VIL"_s, u"VIL"_s,
         u"Vines, late applns"_s},
        {u"Vegetables, leafy"_s, u"2nd"_s, u"Vegetables, leafy"_s, u"Vegetables, leafy"_s, u"VL"_s,
         u"VL_2nd"_s, u"Vegetables, leafy 2nd"_s},
        {u"Vegetables, root"_s, u"1st"_s, u"Vegetables, root"_s, u"Vegetables, root"_s, u"VR"_s, u"VR_1st"_s,
         u"Vegetables, root 1st"_s},
        {u"Plums, late"_s, u"1st"_s, QString(), QString(), QString(), QString(), u"Plums, late"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.crop.toStdString());
        TRun run;
        run.CropCode = c.crop;
        run.CropNr = c.cropNr;
        EXPECT_EQ(run.GetCropName(), c.name);
        EXPECT_EQ(run.MacroCropName(), c.macroName);
        EXPECT_EQ(run.CropFolderName(), c.folder);
        EXPECT_EQ(run.PRZMFolderName(), c.przmFolder);
        EXPECT_EQ(run.PRZMCropCode(), c.przmCode);
    }
}

TEST_F(RunTest, ApplicationsTakeTheDefaultsOfTheMethod) {
    struct TCase {
        QString method;
        QString cam;
    };
    const TCase cases[] = {{u"air blast"_s, u"Foliar, linear"_s}, {u"hand"_s, QString()}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.method.toStdString());
        TRun run;
        run.AppMethod = c.method;
        run.SetNumberOfApplications(3);
        ASSERT_EQ(run.Applications->Count(), 3);
        for (int position = 1; position <= 3; ++position) {
            const TRunApplication* application = run.GetApplication(position);
            ASSERT_TRUE(application);
            EXPECT_EQ(application->ApplicationNr, position);
            EXPECT_EQ(application->Rate, 1.0);
            EXPECT_EQ(application->CAM, c.cam);
            EXPECT_EQ(application->Depi, 4.0);
            EXPECT_EQ(application->Perc, 0.0);
        }
        EXPECT_EQ(run.GetApplication(0), nullptr);
        EXPECT_EQ(run.GetApplication(4), nullptr);
        run.GetApplication(2)->Rate = 0.75;
        EXPECT_EQ(run.RateOf(2), 0.75);
        EXPECT_EQ(run.RateOf(4), 0.0);
        run.SetNumberOfApplications(1);
        EXPECT_EQ(run.Applications->Count(), 1);
        EXPECT_EQ(run.RateOf(1), 1.0);
    }
}

TEST_F(RunTest, CopyTakesANewNumberAndItsOwnApplications) {
    const std::unique_ptr<TRun> run = Run(u"00012d_m1"_s);
    run->Name = u"N"_s;
    run->Selected = true;
    run->SubstanceCode = u"MET"_s;
    run->LocationCode = u"D3"_s;
    run->CropCode = u"Maize"_s;
    run->CropNr = u"1st"_s;
    run->CreationDate = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    run->ModificationDate = QDateTime(QDate(2024, 6, 7), QTime(8, 9, 10));
    run->AppMethod = u"ground spray"_s;
    run->NumberOfApps = 2;
    run->FirstDayYrApp = 100;
    run->LastDayYrApp = 160;
    run->MinIntervalApps = 14;
    run->Locked = true;
    run->SetNumberOfApplications(2);
    run->GetApplication(2)->Rate = 0.5;
    run->GetApplication(2)->CAM = u"T-band"_s;
    run->GetApplication(2)->Depi = 2.5;
    run->GetApplication(2)->Perc = 40;

    const std::unique_ptr<TRun> copy = run->Copy(40);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->RunID, u"00040d_m1"_s);
    EXPECT_EQ(copy->Name, u"copy_N"_s);
    EXPECT_EQ(copy->Selected, true);
    EXPECT_EQ(copy->SubstanceCode, u"MET"_s);
    EXPECT_EQ(copy->LocationCode, u"D3"_s);
    EXPECT_EQ(copy->CropCode, u"Maize"_s);
    EXPECT_EQ(copy->CropNr, u"1st"_s);
    EXPECT_EQ(copy->WaterbodyCode, u"focus_ditch"_s);
    EXPECT_EQ(copy->CreationDate, run->CreationDate);
    EXPECT_EQ(copy->ModificationDate, run->ModificationDate);
    EXPECT_EQ(copy->AppMethod, u"ground spray"_s);
    EXPECT_EQ(copy->NumberOfApps, 2);
    EXPECT_EQ(copy->FirstDayYrApp, 100);
    EXPECT_EQ(copy->LastDayYrApp, 160);
    EXPECT_EQ(copy->MinIntervalApps, 14);
    EXPECT_TRUE(copy->Locked);
    ASSERT_EQ(copy->Applications->Count(), 2);
    const TRunApplication* application = copy->GetApplication(2);
    EXPECT_NE(application, run->GetApplication(2));
    EXPECT_EQ(application->ApplicationNr, 2);
    EXPECT_EQ(application->Rate, 0.5);
    EXPECT_EQ(application->CAM, u"T-band"_s);
    EXPECT_EQ(application->Depi, 2.5);
    EXPECT_EQ(application->Perc, 40);
    EXPECT_EQ(copy->GetApplication(1)->CAM, u"Foliar, linear"_s);
}

TEST_F(RunTest, StoredRunAndApplicationsReadBackTheSame) {
    TConnection& db = dm->dbKelvoADO;
    db.Execute(u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (5, 'P5', 'EXAMPLE_P')"_s);
    struct TCase {
        QString runId;
        QString name;
        bool selected;
        QString storedName;
        QString selectedText;
        QString volgNr;
        TMitigation mitigation;
        QVariant buffer;
        QVariant reduction;
    };
    const TCase cases[] = {
        {u"00012d_pa"_s, QString(), false, u"RUN00012d_pa"_s, QString(), u"00012d_0"_s, {12.5, 75}, 12.5, 75},
        {u"00012d_m1"_s, u"Maize_D3_focus_ditch"_s, true, u"Maize_D3_focus_ditch"_s, u"Yes"_s, u"00012d_1"_s,
         {}, QVariant(), QVariant()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.runId.toStdString());
        const std::unique_ptr<TRun> run = Run(c.runId);
        run->Name = c.name;
        run->Selected = c.selected;
        run->LocationCode = u"D3"_s;
        run->CropCode = u"Maize"_s;
        run->CropNr = u"1st"_s;
        run->CreationDate = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
        run->ModificationDate = QDateTime(QDate(2024, 6, 7), QTime(8, 9, 10));
        run->AppMethod = u"ground spray"_s;
        run->NumberOfApps = 2;
        run->FirstDayYrApp = 100;
        run->LastDayYrApp = 160;
        run->MinIntervalApps = 14;
        run->Locked = true;
        run->Mitigation = c.mitigation;
        run->SetNumberOfApplications(2);
        run->GetApplication(1)->Rate = 0.125;
        run->GetApplication(2)->CAM = u"T-band"_s;
        run->GetApplication(2)->Depi = 2.5;
        run->GetApplication(2)->Perc = 40;

        ASSERT_TRUE(run->InsertRecord(5));
        ASSERT_TRUE(run->InsertApplicationRecords());
        EXPECT_FALSE(dm->tblApplicationInsert.active());
        EXPECT_EQ(run->Name, c.name);

        const TSqlResult stored = db.Select(u"SELECT * FROM Runs WHERE RunID = ?"_s, {c.runId});
        ASSERT_EQ(stored.rows.size(), 1);
        const QVariantList expected = {c.runId,
                                       5,
                                       u"D3"_s,
                                       u"Maize"_s,
                                       u"focus_ditch"_s,
                                       c.storedName,
                                       u"2024-05-06T07:08:09"_s,
                                       u"2024-06-07T08:09:10"_s,
                                       u"ground spray"_s,
                                       2,
                                       100,
                                       160,
                                       14,
                                       0,
                                       c.selectedText,
                                       u"Not Available"_s,
                                       u"1st"_s,
                                       c.volgNr,
                                       u"10-Apr"_s,
                                       u"09-Jun"_s,
                                       QString(),
                                       1,
                                       c.buffer,
                                       c.reduction};
        ASSERT_EQ(stored.columns.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            EXPECT_EQ(stored.rows[0][i].toString(), expected[i].toString())
                << stored.columns[i].toStdString();
        // A run without mitigation stores none: FOCUS Step 3.
        EXPECT_EQ(stored.rows[0][22].isNull(), !c.buffer.isValid());
        EXPECT_EQ(stored.rows[0][23].isNull(), !c.reduction.isValid());

        const TSqlResult applications =
            db.Select(u"SELECT ApplicationNr, RunID, Rate, CAM, Depi, Perc FROM Applications WHERE RunID = ? "
                      "ORDER BY ApplicationNr"_s,
                      {c.runId});
        ASSERT_EQ(applications.rows.size(), 2);
        for (int position = 1; position <= 2; ++position) {
            const TSqlRow& row = applications.rows[position - 1];
            const TRunApplication* application = run->GetApplication(position);
            EXPECT_EQ(row[0].toInt(), position);
            EXPECT_EQ(row[1].toString(), c.runId);
            EXPECT_EQ(row[2].toDouble(), application->Rate);
            EXPECT_EQ(row[3].toString(), application->CAM);
            EXPECT_EQ(row[4].toDouble(), application->Depi);
            EXPECT_EQ(row[5].toDouble(), application->Perc);
        }
    }
}

TEST_F(RunTest, ADuplicateRunIsShownAndNotStored) {
    TConnection& db = dm->dbKelvoADO;
    db.Execute(u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (5, 'P5', 'EXAMPLE_P')"_s);
    const std::unique_ptr<TRun> run = Run(u"00012d_pa"_s);
    run->Name = u"first"_s;
    run->AppMethod = u"ground spray"_s;
    run->NumberOfApps = 1;
    run->FirstDayYrApp = 100;
    run->LastDayYrApp = 100;
    run->SetNumberOfApplications(1);
    ASSERT_TRUE(run->InsertRecord(5));
    ASSERT_TRUE(run->InsertApplicationRecords());

    run->Name = u"second"_s;
    EXPECT_FALSE(run->InsertRecord(5));
    QVector<TScriptedUserInterface::TEntry> shown = ui.Take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, TScriptedUserInterface::TKind::Error);
    EXPECT_TRUE(shown[0].text.contains(u"UNIQUE"_s, Qt::CaseInsensitive)) << shown[0].text.toStdString();
    const TSqlResult runs = db.Select(u"SELECT Name, CreationDate FROM Runs"_s);
    ASSERT_EQ(runs.rows.size(), 1);
    EXPECT_EQ(runs.rows[0][0].toString(), u"first"_s);
    EXPECT_TRUE(runs.rows[0][1].isNull()); // a run without dates stores none

    // Applications stored twice stop at the first failure.
    EXPECT_FALSE(run->InsertApplicationRecords());
    shown = ui.Take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, TScriptedUserInterface::TKind::Error);
    EXPECT_EQ(db.Select(u"SELECT COUNT(*) FROM Applications"_s).rows[0][0].toInt(), 1);
}

TEST_F(RunTest, DriftLoadingOfEachApplication) {
    const std::unique_ptr<TRun> run = Run(u"00001p_pa"_s, u"focus_pond"_s);
    run->CropCode = u"Pome/stone fruit, late applns"_s;
    run->AppMethod = u"air blast"_s;
    run->NumberOfApps = 2;
    run->SetNumberOfApplications(2);
    run->GetApplication(1)->Rate = 0.5;

    const std::unique_ptr<TCrop> crop = dm->LoadCrop(run->CropCode);
    const std::unique_ptr<TWaterBodyType> pond = dm->LoadWaterBodyType(u"focus_pond"_s);
    double expectedMean = 0;
    double expectedMass = 0;
    double expectedConcentration = 0;
    ASSERT_TRUE(CalculateDriftLoading(*dm, u"air blast"_s, 2, crop.get(), pond.get(), 500, expectedMean,
                                      expectedMass, expectedConcentration));

    double mean = 0;
    double mass = 0;
    double concentration = 0;
    EXPECT_TRUE(run->DriftLoading(1, mean, mass, concentration));
    EXPECT_EQ(mean, expectedMean);
    EXPECT_EQ(mass, expectedMass);
    EXPECT_EQ(concentration, expectedConcentration);
    EXPECT_DOUBLE_EQ(mass, 0.5 * mean);

    // Beyond the applications the rate is 0: the deposition stays, the loading is none.
    EXPECT_TRUE(run->DriftLoading(3, mean, mass, concentration));
    EXPECT_EQ(mean, expectedMean);
    EXPECT_EQ(mass, 0);
    EXPECT_EQ(concentration, 0);

    run->CropCode = u"Rice"_s;
    EXPECT_FALSE(run->DriftLoading(1, mean, mass, concentration));
    EXPECT_EQ(mean, 0);
    EXPECT_EQ(mass, 0);
    EXPECT_EQ(concentration, 0);
}

} // namespace
