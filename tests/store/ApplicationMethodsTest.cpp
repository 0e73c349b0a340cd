#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

class ApplicationMethodsTest : public TDataModuleTest {
protected:

    void Execute(const QString& sql, const QVariantList& params = {}) { dm->dbKelvoADO.Execute(sql, params); }

    // Project 1 on a FOCUS map with run 00001d_pa, whose applications have the given CAMs.
    void AddRunWithApplications(const QString& method, const QStringList& cams) {
        Execute(u"INSERT INTO Projects (ProjectID, Name, SubstanceCode) VALUES (1, 'P1', 'EXAMPLE_P')"_s);
        Execute(u"INSERT INTO ToxswaMap (MapID, Name, Focus) VALUES (1, 'P1', 1)"_s);
        Execute(u"INSERT INTO MapxProject (MapID, ProjectID) VALUES (1, 1)"_s);
        Execute(u"INSERT INTO Runs (RunID, ProjectID, LocationCode, CropCode, WaterbodyCode, AppMethod, "
                "NumberOfApps, FirstDayYrApp, LastDayYrApp, MinIntervalApps, CropNr, VolgNr, Locked) "
                "VALUES ('00001d_pa', 1, 'D1', 'Cereals, winter', 'focus_ditch', ?, ?, 100, 130, 7, '1st', "
                "'00001d_0', 0)"_s,
                {method, cams.size()});
        for (int i = 0; i < cams.size(); ++i)
            Execute(u"INSERT INTO Applications VALUES (?, '00001d_pa', ?, ?, 1.5, ?)"_s,
                    {i + 1, 0.25 * (i + 1), cams[i], 10.0 * (i + 1)});
        ASSERT_TRUE(dm->OpenProjects());
        ASSERT_TRUE(dm->OpenRuns());
        ASSERT_EQ(dm->tblApplications.recordCount(), cams.size());
    }

    struct TApplicationRow {
        QString cam;
        double depi;
        double perc;
        double rate;
        bool operator==(const TApplicationRow&) const = default;
        friend void PrintTo(const TApplicationRow& row, std::ostream* os) {
            *os << "{" << row.cam.toStdString() << ", " << row.depi << ", " << row.perc << ", " << row.rate
                << "}";
        }
    };
    QVector<TApplicationRow> StoredApplications() {
        QVector<TApplicationRow> rows;
        const TSqlResult result = dm->dbKelvoADO.Select(
            u"SELECT CAM, Depi, Perc, Rate FROM Applications WHERE RunID = '00001d_pa' ORDER BY ApplicationNr"_s);
        for (const TSqlRow& r : result.rows)
            rows.append({r[0].toString(), r[1].toDouble(), r[2].toDouble(), r[3].toDouble()});
        return rows;
    }
};

const QString Foliar = u"Foliar, linear"_s;
const QString Surface = u"Soil surface (4 cm, linear)"_s;
const QString Uniform = u"Incorporated, uniform"_s;

TEST_F(ApplicationMethodsTest, MethodListLeavesOutOnePosition) {
    const QStringList all = {u"aerial"_s, u"air blast"_s, u"granular"_s, u"ground spray"_s,
                             u"soil incorporation"_s};
    EXPECT_EQ(dm->ApplicationMethodList(-1), all);
    EXPECT_EQ(dm->ApplicationMethodList(1),
              QStringList({u"aerial"_s, u"granular"_s, u"ground spray"_s, u"soil incorporation"_s}));
    EXPECT_EQ(dm->ApplicationMethodList(3),
              QStringList({u"aerial"_s, u"air blast"_s, u"granular"_s, u"soil incorporation"_s}));
    EXPECT_FALSE(dm->tblApplicationMethods.active());
}

TEST_F(ApplicationMethodsTest, LookupsAndTheirFallbacks) {
    // Depths of the delivered rows are all 4.0; give two of them their own so a fallback shows.
    Execute(u"UPDATE ApplicationCAMDefaults SET Depi = 2.5, Perc = 30 WHERE ApplicationMethod = 'granular' "
            "AND CAMType = ?"_s,
            {Surface});
    Execute(u"UPDATE ApplicationCAMDefaults SET Depi = 7.5 WHERE ApplicationMethod = 'soil incorporation' "
            "AND CAMType = ?"_s,
            {Uniform});
    // Two rows for the same method and CAM.
    Execute(u"INSERT INTO ApplicationCAMDefaults VALUES ('aerial', ?, 3.0, 0)"_s, {Foliar});

    auto sorted = [](QStringList list) {
        list.sort();
        return list;
    };
    EXPECT_EQ(sorted(dm->CAMsForMethod(u"granular"_s)), sorted({Surface, Uniform, u"Injected at depth"_s}));
    EXPECT_EQ(sorted(dm->CAMsForMethod(u"aerial"_s)), sorted({Foliar, Surface}));
    EXPECT_TRUE(dm->CAMsForMethod(u"hand"_s).isEmpty());

    struct TDefaultCase {
        QString method;
        bool found;
        QString cam;
        double depi;
        double perc;
    };
    const TDefaultCase defaults[] = {
        {u"granular"_s, true, Surface, 2.5, 30},
        {u"air blast"_s, true, Foliar, 4.0, 0},
        {u"Granular"_s, false, {}, 4.0, 0}, // the method must match exactly
        {u"hand"_s, false, {}, 4.0, 0},
    };
    for (const TDefaultCase& c : defaults) {
        SCOPED_TRACE(c.method.toStdString());
        QString cam = u"stale"_s;
        double depi = -1;
        double perc = -1;
        EXPECT_EQ(dm->CAMDefault(c.method, cam, depi, perc), c.found);
        EXPECT_EQ(cam, c.cam);
        EXPECT_DOUBLE_EQ(depi, c.depi);
        EXPECT_DOUBLE_EQ(perc, c.perc);
        EXPECT_FALSE(dm->tblCAMDef.active());
    }

    struct TDepthCase {
        QString method;
        QString cam;
        double depth;
    };
    const TDepthCase depths[] = {
        {u"granular"_s, Surface, 2.5}, {u"soil incorporation"_s, Uniform, 7.5},
        {u"aerial"_s, Foliar, 4.0},  // two rows
        {u"aerial"_s, Uniform, 4.0}, // no row
        {u"hand"_s, Foliar, 4.0},
    };
    for (const TDepthCase& c : depths) {
        SCOPED_TRACE((c.method + u" / "_s + c.cam).toStdString());
        EXPECT_DOUBLE_EQ(dm->DefaultDepth(c.method, c.cam), c.depth);
    }

    EXPECT_EQ(dm->CAMNumber(Foliar), 2);
    EXPECT_EQ(dm->CAMNumber(u"Injected at depth"_s), 8);
    EXPECT_EQ(dm->CAMNumber(u"foliar, linear"_s), 0);
    EXPECT_EQ(dm->CAMNumber(u"Spread by hand"_s), 0);
}

TEST_F(ApplicationMethodsTest, ChangingTheMethodKeepsEachApplicationInLineWithIt) {
    Execute(
        u"UPDATE ApplicationCAMDefaults SET Depi = 2.5 WHERE ApplicationMethod = 'granular' AND CAMType = ?"_s,
        {Surface});
    Execute(u"UPDATE ApplicationCAMDefaults SET Depi = 3.0 WHERE ApplicationMethod = 'air blast'"_s);
    struct TCase {
        const char* name;
        QString method;
        QVector<TApplicationRow> expected; // from applications Foliar, Surface, Uniform
    };
    const TCase cases[] = {
        {"air blast allows foliar and surface, not incorporation",
         u"air blast"_s,
         {{Foliar, 3.0, 10, 0.25}, {Surface, 3.0, 20, 0.5}, {Foliar, 3.0, 30, 0.75}}},
        {"granular: foliar gives way to the first default",
         u"granular"_s,
         {{Surface, 2.5, 10, 0.25}, {Surface, 2.5, 20, 0.5}, {Uniform, 4.0, 30, 0.75}}},
        {"a method without defaults empties every CAM",
         u"hand"_s,
         {{QString(), 4.0, 10, 0.25}, {QString(), 4.0, 20, 0.5}, {QString(), 4.0, 30, 0.75}}},
    };
    AddRunWithApplications(u"ground spray"_s, {Foliar, Surface, Uniform});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Back to the starting applications.
        Execute(u"UPDATE Applications SET CAM = CASE ApplicationNr WHEN 1 THEN ? WHEN 2 THEN ? ELSE ? END, "
                "Depi = 1.5"_s,
                {Foliar, Surface, Uniform});
        dm->OpenRuns();
        dm->tblApplications.close();
        dm->tblApplications.open();
        dm->tblRuns.edit();
        dm->tblRuns.fieldByName(u"AppMethod"_s).setAsString(c.method);
        EXPECT_EQ(dm->tblApplications.state(), TRecordSet::TState::Browse);
        EXPECT_EQ(StoredApplications(), c.expected);
        dm->tblRuns.cancel();
    }
}

TEST_F(ApplicationMethodsTest, AMethodAllowingEveryCAMChangesOnlyTheDepths) {
    Execute(u"UPDATE ApplicationCAMDefaults SET Depi = 6.0 WHERE ApplicationMethod = 'soil incorporation'"_s);
    AddRunWithApplications(u"granular"_s, {Uniform, u"Injected at depth"_s});
    dm->tblRuns.edit();
    dm->tblRuns.fieldByName(u"AppMethod"_s).setAsString(u"soil incorporation"_s);
    EXPECT_EQ(StoredApplications(),
              QVector<TApplicationRow>({{Uniform, 6.0, 10, 0.25}, {u"Injected at depth"_s, 6.0, 20, 0.5}}));
}

TEST_F(ApplicationMethodsTest, RatesKeepFourDecimalsWithHalvesToEven) {
    AddRunWithApplications(u"ground spray"_s, {Foliar});
    struct TCase {
        double entered;
        double stored;
    };
    const TCase cases[] = {
        {1.23456, 1.2346}, {2, 2},
        {0.00125, 0.0012}, // 12.5 ten-thousandths: down to even
        {0.00135, 0.0014}, {0.12345, 0.1234},
        {2.00015, 2.0002}, {998.99996, 999},
    };
    TField& rate = dm->tblApplications.fieldByName(u"Rate"_s);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.entered);
        dm->tblApplications.edit();
        rate.setAsFloat(c.entered);
        EXPECT_DOUBLE_EQ(rate.asFloat(), c.stored);
        dm->tblApplications.post();
        EXPECT_DOUBLE_EQ(StoredApplications().first().rate, c.stored);
    }
    // The guard is down again after each change.
    dm->tblApplications.edit();
    rate.setAsString(u"0.33333"_s);
    EXPECT_DOUBLE_EQ(rate.asFloat(), 0.3333);
    dm->tblApplications.cancel();
}

} // namespace
