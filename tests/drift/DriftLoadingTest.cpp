#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "drift/DriftTestSupport.h"
#include "store/CsvReader.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using DriftLoadingTest = TDataModuleTest;

TEST_F(DriftLoadingTest, RegressionPercentileAndMitigationLookups) {
    struct TCase {
        int code;
        int applications;
        int row; // the applications of the expected Regression row; 0 for none
    };
    const TCase cases[] = {{2, 3, 3}, {4, 8, 8}, {1, 1, 1}, {7, 1, 1}, {7, 5, 1}, {9, 1, 0}, {2, 9, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << "/" << c.applications);
        const TRegressionParameters p = dm->GetRegressionParameters(c.code, c.applications);
        const TRegressionParameters expected =
            c.row ? ReferenceRegression(c.code, c.row) : TRegressionParameters();
        EXPECT_EQ(p.A, expected.A);
        EXPECT_EQ(p.B, expected.B);
        EXPECT_EQ(p.C, expected.C);
        EXPECT_EQ(p.D, expected.D);
        EXPECT_EQ(p.Hinge, expected.Hinge);
    }
    // The hinge is held in single precision.
    EXPECT_EQ(dm->GetRegressionParameters(2, 3).Hinge, 13.6f);
    EXPECT_NE(static_cast<double>(dm->GetRegressionParameters(2, 3).Hinge), 13.6);

    for (const QStringList& row : Reference(u"Drift"_s).rows)
        EXPECT_EQ(dm->GetDriftPercentile(row[0].toInt()), row[1].toInt()) << row[0].toStdString();
    EXPECT_EQ(dm->GetDriftPercentile(9), 0);

    QStringList distances;
    for (const QStringList& row : Reference(u"Mitigation"_s).rows)
        distances << row[1];
    EXPECT_EQ(dm->GetMitigationDistances(), distances);
    EXPECT_FALSE(dm->qryRegParams.active() || dm->qryDrift.active() || dm->tblMitigation.active());
}

TEST_F(DriftLoadingTest, LoadingOfOneApplication) {
    struct TCase {
        const char* name;
        QString method;
        int applications;
        QString crop;
        QString water;
        double rate;
        bool drift;
        int code; // regression class and crop distance of the expected loading
        int regressionApplications;
        double cropDistance;
    };
    const TCase cases[] = {
        {"ground spray on a ditch", u"ground spray"_s, 1, u"Maize"_s, u"focus_ditch"_s, 1000, true, 1, 1,
         0.8},
        {"air blast, hinge on the pond", u"air blast"_s, 3, u"Pome/stone fruit, early applns"_s,
         u"focus_pond"_s, 750, true, 2, 3, 3.0},
        {"method in other letter case", u"AIR BLAST"_s, 2, u"Hops"_s, u"focus_stream"_s, 500, true, 4, 2,
         3.0},
        {"aerial: class 7, one application, 5 m", u"aerial"_s, 4, u"Maize"_s, u"focus_pond"_s, 1000, true, 7,
         1, 5.0},
        {"unknown method: the crop's class", u"hand"_s, 2, u"Vines, late applns"_s, u"focus_ditch"_s, 100,
         true, 6, 2, 3.0},
        {"granular gives no drift", u"granular"_s, 1, u"Maize"_s, u"focus_ditch"_s, 1000, false, 0, 0, 0},
        {"soil incorporation gives no drift", u"soil incorporation"_s, 1, u"Maize"_s, u"focus_ditch"_s, 1000,
         false, 0, 0, 0},
        {"missing crop", u"ground spray"_s, 1, u"Rice"_s, u"focus_ditch"_s, 1000, false, 0, 0, 0},
        {"missing water body type", u"ground spray"_s, 1, u"Maize"_s, u"focus_lake"_s, 1000, false, 0, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TCrop> crop = dm->LoadCrop(c.crop);
        const std::unique_ptr<TWaterBodyType> water = dm->LoadWaterBodyType(c.water);
        double mean = -1;
        double mass = -1;
        double concentration = -1;
        EXPECT_EQ(CalculateDriftLoading(*dm, c.method, c.applications, crop.get(), water.get(), c.rate, mean,
                                        mass, concentration),
                  c.drift);
        if (!c.drift) {
            EXPECT_EQ(mean, 0);
            EXPECT_EQ(mass, 0);
            EXPECT_EQ(concentration, 0);
            continue;
        }
        const QStringList waterRow = ReferenceRow(u"WaterBodies"_s, {c.water});
        const double nearEdge = c.cropDistance + waterRow[5].toDouble();
        const double farEdge = nearEdge + waterRow[1].toInt();
        const TRegressionParameters p = ReferenceRegression(c.code, c.regressionApplications);
        const double expected = IntegratedMean(p, static_cast<double>(p.Hinge), nearEdge, farEdge);
        EXPECT_NEAR(mean, expected, 1e-9 * expected);
        EXPECT_NEAR(mass, c.rate * expected / 1000, 1e-9 * mass);
        EXPECT_NEAR(concentration, mass / waterRow[4].toDouble(), 1e-12 * concentration);
    }
}

} // namespace
