#include "ExportTestBase.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class ProjectToxswaTest : public TExportTest {
protected:
    void SetUp() override {
        TExportTest::SetUp();
        AddRun({.number = 12,
                .suffix = u"_pa"_s,
                .location = u"D1"_s,
                .crop = u"Cereals, winter"_s,
                .water = u"focus_ditch"_s,
                .rates = {0.5, 0.25}});
        AddRun({.number = 12,
                .suffix = u"_pa"_s,
                .location = u"D1"_s,
                .crop = u"Cereals, winter"_s,
                .water = u"focus_pond"_s});
        AddRun({.number = 12,
                .suffix = u"_pa"_s,
                .location = u"D1"_s,
                .crop = u"Cereals, winter"_s,
                .water = u"focus_stream"_s,
                .rates = {0.5}});
        AddRun({.number = 12,
                .suffix = u"_m1"_s,
                .location = u"D1"_s,
                .crop = u"Cereals, winter"_s,
                .water = u"focus_ditch"_s,
                .rates = {0.5, 0.25}});
        AddRun({.number = 13,
                .suffix = u"_pa"_s,
                .location = u"R2"_s,
                .crop = u"Maize"_s,
                .water = u"focus_stream"_s,
                .first = 200,
                .last = 260});
        AddRun({.number = 14,
                .suffix = u"_m1"_s,
                .location = u"R1"_s,
                .crop = u"Maize"_s,
                .water = u"focus_pond"_s,
                .selected = false});
        AddRun({.number = 15,
                .suffix = u"_m2"_s,
                .location = u"R3"_s,
                .crop = u"Maize"_s,
                .water = u"focus_ditch"_s,
                .first = 300,
                .last = 360});
        AddRun({.number = 16,
                .suffix = u"_pa"_s,
                .location = u"R4"_s,
                .crop = u"Maize"_s,
                .water = u"focus_ditch"_s,
                .method = u"granular"_s});
        Store();
    }

    TConnection& db() { return dm->dbKelvoADO; }

    // Mean deposition of an application, as the drift model gives it.
    double Deposition(int run, int position) {
        double deposition = 0;
        double loading = 0;
        double concentration = 0;
        static_cast<TRun*>(project->Runs->GetItem(run))
            ->DriftLoading(position, deposition, loading, concentration);
        return deposition;
    }

    int Count(const QString& table) {
        return db().Select(u"SELECT count(*) FROM "_s + table).rows[0][0].toInt();
    }
};

TEST_F(ProjectToxswaTest, SchemesAndSimulationParametersOfEveryRun) {
    project->PrepareToxswa();
    EXPECT_EQ(ui.ProgressSteps(), 8);

    struct TCase {
        QString runId;
        int scheme;
        int endDistance;
        bool stream;
        bool infiltration;
        QString latEntryFile;
        QString start;
        QString end;
    };
    const TCase cases[] = {
        {u"00012d_pa"_s, 1210, 100, false, false, u"macro00012_p.m2t"_s, u"1982-01-01"_s, u"1983-04-30"_s},
        {u"00012p_pa"_s, 1220, 30, false, false, u"macro00012_p.m2t"_s, u"1982-01-01"_s, u"1983-04-30"_s},
        {u"00012s_pa"_s, 1230, 100, true, false, u"macro00012_p.m2t"_s, u"1982-01-01"_s, u"1983-04-30"_s},
        {u"00012d_m1"_s, 1211, 100, false, false, u"macro00012_m.m2t"_s, u"1982-01-01"_s, u"1983-04-30"_s},
        {u"00013s_pa"_s, 1330, 100, true, true, u"00013-C1.p2t"_s, u"1989-06-01"_s, u"1990-05-31"_s},
        {u"00014p_m1"_s, 1421, 30, false, false, u"00014-C2.p2t"_s, u"1984-03-01"_s, u"1985-02-28"_s},
        {u"00015d_m2"_s, 1512, 100, false, true, u"00015-C3.p2t"_s, u"1980-10-01"_s, u"1981-09-30"_s},
        {u"00016d_pa"_s, 1610, 100, false, false, u"00016-C1.p2t"_s, u"1984-03-01"_s, u"1985-02-28"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.runId.toStdString());
        const TSqlResult scheme = db().Select(
            u"SELECT Name, Locked, EndDistanceDrift, EndDistanceLatEntry, RatioUpstreamBound, "
            u"opInputUpstreamBound, "
            u"RatioInfiltration, ThicknessSedEroAdded FROM ApplicationSchemes WHERE ApplicationSchemeID = ?"_s,
            {c.scheme});
        ASSERT_EQ(scheme.rows.size(), 1);
        const TSqlRow& s = scheme.rows[0];
        EXPECT_EQ(s[0].toString(), u"AppScheme_"_s + c.runId);
        EXPECT_EQ(s[1].toInt(), 1);
        EXPECT_EQ(s[2].toInt(), c.endDistance);
        EXPECT_EQ(s[3].toInt(), c.endDistance);
        EXPECT_EQ(s[4].isNull(), !c.stream);
        EXPECT_DOUBLE_EQ(s[4].toDouble(), c.stream ? 0.2 : 0.0);
        EXPECT_EQ(s[5].isNull(), !c.stream);
        EXPECT_EQ(s[5].toInt(), c.stream ? 1 : 0);
        EXPECT_EQ(s[6].isNull(), !c.infiltration);
        EXPECT_DOUBLE_EQ(s[6].toDouble(), c.infiltration ? 0.03 : 0.0);
        EXPECT_DOUBLE_EQ(s[7].toDouble(), 0.01);

        const TSqlResult parameters =
            db().Select(u"SELECT StartDate, EndDate, opLatEntryModel, nrOfHydrologyCurves, LatEntryFile, "
                        u"ThicknessSedimentOutput "
                        u"FROM SimulationParameters WHERE RunID = ?"_s,
                        {c.runId});
        ASSERT_EQ(parameters.rows.size(), 1);
        const TSqlRow& p = parameters.rows[0];
        EXPECT_EQ(p[0].toString(), c.start + u"T00:00:00"_s);
        EXPECT_EQ(p[1].toString(), c.end + u"T00:00:00"_s);
        EXPECT_EQ(p[2].toInt(), 2);
        EXPECT_EQ(p[3].toInt(), 1);
        EXPECT_EQ(p[4].toString(), c.latEntryFile);
        EXPECT_DOUBLE_EQ(p[5].toDouble(), 0.05);

        EXPECT_EQ(db().Select(u"SELECT ApplicationSchemeID FROM Runs WHERE RunID = ?"_s, {c.runId})
                      .rows[0][0]
                      .toInt(),
                  c.scheme);
    }
}

TEST_F(ProjectToxswaTest, ApplicationsWithTheirDrift) {
    project->PrepareToxswa();
    struct TCase {
        int run;
        int scheme;
        int application;
        double rate;
        double factor; // of the model's mean deposition; 0 for runs without drift
    };
    const TCase cases[] = {
        {1, 1210, 1, 0.5, 1.0}, {1, 1210, 2, 0.25, 1.0}, {2, 1220, 1, 1.0, 1.0},
        {3, 1230, 1, 0.5, 1.2}, {4, 1211, 1, 0.5, 0.0},  {4, 1211, 2, 0.25, 0.0},
        {5, 1330, 1, 1.0, 1.2}, {7, 1512, 1, 1.0, 0.0},  {8, 1610, 1, 1.0, 0.0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.scheme * 10 + c.application);
        const TSqlResult rows =
            db().Select(u"SELECT Rate, CAM, Depi, Perc, SprayDrift, PercOfRate, DriftDeposition FROM "
                        u"ToxswaApplications WHERE SchemeID = ? AND ApplicationNr = ?"_s,
                        {c.scheme, c.application});
        ASSERT_EQ(rows.rows.size(), 1);
        const TSqlRow& r = rows.rows[0];
        const TRunApplication& application =
            *static_cast<TRun*>(project->Runs->GetItem(c.run))->GetApplication(c.application);
        EXPECT_DOUBLE_EQ(r[0].toDouble(), c.rate);
        EXPECT_EQ(r[1].toString(), application.CAM);
        EXPECT_DOUBLE_EQ(r[2].toDouble(), application.Depi);
        EXPECT_DOUBLE_EQ(r[3].toDouble(), application.Perc);
        EXPECT_EQ(r[4].toInt(), 1);
        const double percOfRate = c.factor * Deposition(c.run, c.application);
        EXPECT_DOUBLE_EQ(r[5].toDouble(), percOfRate);
        EXPECT_DOUBLE_EQ(r[6].toDouble(), percOfRate * c.rate);
        if (c.factor > 0) {
            EXPECT_GT(percOfRate, 0.0);
        }
    }
}

// Mitigated runs write their mitigated deposition (times 1.2 on a stream); the figures are worked out by
// hand from the regression: the mean of A·x^B over the water, reduced by the nozzles.
TEST_F(ProjectToxswaTest, MitigatedRunsWriteTheMitigatedDrift) {
    const auto run = [this](int position) -> TRun& { return *static_cast<TRun*>(project->Runs->GetItem(position)); };
    run(1).Mitigation = {10.0, 75};          // winter cereals, two applications, ditch 10-11 m
    run(2).Mitigation = {std::nullopt, 50}; // pond at the FOCUS distance, 3.5-33.5 m
    run(3).Mitigation = {10.0, 90};          // stream 10-11 m
    project->PrepareToxswa();
    struct TCase {
        int scheme;
        int application;
        double rate;
        double percOfRate;
    };
    const TCase cases[] = {
        {1210, 1, 0.5, 0.05673287490649381},  {1210, 2, 0.25, 0.05673287490649381},
        {1220, 1, 1.0, 0.1095304148662372},   {1230, 1, 0.5, 0.033249031213536506},
        {1211, 1, 0.5, 0.0},                  {1330, 1, 1.0, 1.2 * Deposition(5, 1)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.scheme * 10 + c.application);
        const TSqlResult rows = db().Select(u"SELECT PercOfRate, DriftDeposition FROM ToxswaApplications WHERE "
                                            u"SchemeID = ? AND ApplicationNr = ?"_s,
                                            {c.scheme, c.application});
        ASSERT_EQ(rows.rows.size(), 1);
        EXPECT_NEAR(rows.rows[0][0].toDouble(), c.percOfRate, 1e-12 * c.percOfRate);
        EXPECT_NEAR(rows.rows[0][1].toDouble(), c.percOfRate * c.rate, 1e-12 * c.percOfRate);
    }
}

TEST_F(ProjectToxswaTest, ASecondPreparationLeavesOneSetOfRows) {
    const int mapId = db().Select(u"SELECT MapID FROM ToxswaMap WHERE Name = 'P1'"_s).rows[0][0].toInt();
    project->PrepareToxswa();
    static_cast<TRun*>(project->Runs->GetItem(1))->GetApplication(1)->Rate = 2.0;
    project->PrepareToxswa();
    EXPECT_EQ(db().Select(u"SELECT MapID FROM ToxswaMap WHERE Name = 'P1'"_s).rows,
              QVector<TSqlRow>{TSqlRow{mapId}});
    EXPECT_EQ(Count(u"MapxProject"_s), 1);
    EXPECT_EQ(Count(u"SimulationParameters"_s), 8);
    EXPECT_EQ(Count(u"ApplicationSchemes"_s), 8);
    EXPECT_EQ(Count(u"ToxswaApplications"_s), 10);
    EXPECT_DOUBLE_EQ(
        db().Select(u"SELECT Rate FROM ToxswaApplications WHERE SchemeID = 1210 AND ApplicationNr = 1"_s)
            .rows[0][0]
            .toDouble(),
        2.0);
}

TEST_F(ProjectToxswaTest, ManyRunsAreWrittenInParts) {
    for (int number = 20; number < 270; ++number) {
        const TRun& run = AddRun({.number = number,
                                  .suffix = u"_pa"_s,
                                  .location = u"D2"_s,
                                  .crop = u"Maize"_s,
                                  .water = u"focus_pond"_s,
                                  .rates = {0.5, 0.5}});
        ASSERT_TRUE(run.InsertRecord(project->ProjectID));
    }
    dm->CloseRunInsert();
    project->PrepareToxswa();
    EXPECT_EQ(Count(u"SimulationParameters"_s), 258);
    EXPECT_EQ(Count(u"ApplicationSchemes"_s), 258);
    EXPECT_EQ(Count(u"ToxswaApplications"_s), 10 + 500);
    EXPECT_EQ(db().Select(u"SELECT count(*) FROM Runs WHERE ApplicationSchemeID = "
                          u"(CAST(substr(RunID, 1, 5) AS INTEGER) * 10 + 2) * 10"_s)
                  .rows[0][0]
                  .toInt(),
              251);
}

} // namespace
