#include "drift/DriftTestSupport.h"
#include "store/CsvReader.h"
#include "support/KelvoTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TCliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class ScenarioCliTest : public TInstallationTest {
protected:
    TCliRun Run(const QStringList& arguments) const {
        QProcess process;
        process.start(QString::fromUtf8(KELVO_CLI),
                      QStringList({u"--install-dir"_s, InstallDir()}) + arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << "kelvo-cli did not end";
        TCliRun run;
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }
    QJsonObject Json(const QStringList& arguments) const {
        const TCliRun run = Run(QStringList({u"--json"_s}) + arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }
};

QStringList Strings(const QJsonArray& array, const QString& key) {
    QStringList values;
    for (const QJsonValue& value : array)
        values << value.toObject()[key].toString();
    return values;
}

TEST_F(ScenarioCliTest, CropsInCropNrOrder) {
    QStringList focus;
    QStringList all;
    for (const QStringList& row : Reference(u"Crops"_s).rows) {
        all << row[0];
        if (row[2].toInt() <= 25) focus << row[0];
    }
    const QJsonArray crops = Json({u"crops"_s})[u"crops"_s].toArray();
    EXPECT_EQ(Strings(crops, u"code"_s), focus);
    EXPECT_EQ(Strings(Json({u"crops"_s, u"--all"_s})[u"crops"_s].toArray(), u"code"_s), all);
    const QJsonObject citrus = crops[2].toObject();
    EXPECT_EQ(citrus, QJsonObject({{u"code"_s, u"Citrus"_s},
                                   {u"name"_s, u"Citrus"_s},
                                   {u"cropNumber"_s, 3},
                                   {u"driftClass"_s, 3},
                                   {u"distanceCropBank"_s, 3.0},
                                   {u"airBlast"_s, true}}));
}

TEST_F(ScenarioCliTest, ScenariosOfACropOnWaterBodyTypes) {
    const QJsonArray every = Json({u"scenarios"_s})[u"scenarios"_s].toArray();
    EXPECT_EQ(Strings(every, u"code"_s).size(), 10);

    const QJsonArray ponds =
        Json({u"scenarios"_s, u"--crop"_s, u"MAIZE"_s, u"--water"_s, u"Focus_Pond"_s})[u"scenarios"_s]
            .toArray();
    EXPECT_EQ(Strings(ponds, u"code"_s), QStringList({u"D4"_s, u"D5"_s, u"R1"_s}));
    const QJsonObject r1 = ponds[2].toObject();
    EXPECT_EQ(r1[u"name"_s].toString(), u"Weiherbach, Germany"_s);
    EXPECT_EQ(r1[u"type"_s].toString(), u"Runoff"_s);
    EXPECT_EQ(r1[u"waterBodyTypes"_s].toArray(), QJsonArray({u"focus_pond"_s, u"focus_stream"_s}));
    EXPECT_TRUE(r1[u"firstCrops"_s].toArray().contains(u"Maize"_s));

    const QJsonArray hops = Json({u"scenarios"_s, u"--crop"_s, u"hops"_s, u"--water"_s,
                                  u"focus_ditch,focus_stream"_s})[u"scenarios"_s]
                                .toArray();
    EXPECT_EQ(Strings(hops, u"code"_s), QStringList({u"R1"_s}));
}

TEST_F(ScenarioCliTest, UnknownValuesAreNamedWithTheValidOnes) {
    struct TCase {
        QStringList arguments;
        QString message;
        QString valid;
    };
    const TCase cases[] = {
        {{u"scenarios"_s, u"--crop"_s, u"Rice"_s}, u"Unknown crop: Rice"_s, u"Sugar beets"_s},
        {{u"scenarios"_s, u"--water"_s, u"focus_ditch,focus_lake"_s},
         u"Unknown water body type: focus_lake"_s,
         u"focus_stream"_s},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"lake"_s},
         u"Unknown water body type: lake"_s,
         u"focus_pond"_s},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_pond"_s, u"--method"_s, u"hand"_s},
         u"Unknown application method: hand"_s,
         u"ground spray"_s},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_pond"_s, u"--mitigation"_s, u"3.5"_s},
         u"The buffer must be at least the FOCUS distance of 3.80 m"_s,
         u"for this crop and water body"_s},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_pond"_s, u"--mitigation"_s, u"150"_s},
         u"The buffer of 150 m is too wide"_s,
         u"between 3.80 m and 100 m"_s},
        {{u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_pond"_s, u"--reduction"_s, u"60"_s},
         u"A drift reduction of 60 % is not a technique class"_s,
         u"0, 50, 75, 90, 95 %"_s},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const TCliRun run = Run(c.arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.valid)) << run.err.toStdString();
    }
}

// The calculator's mean deposition for one crop on each water body type, against the regression of
// the reference data integrated numerically.
TEST_F(ScenarioCliTest, DriftAgreesWithTheIntegratedDeposition) {
    const QString crop = u"Pome/stone fruit, early applns"_s; // class 2, 3 m to the bank
    const QStringList regression = ReferenceRow(u"Regression"_s, {u"2"_s, u"3"_s});
    const TRegressionParameters p{regression[2].toDouble(), regression[3].toDouble(),
                                  regression[4].toDouble(), regression[5].toDouble(), 0};
    const double hinge = regression[6].toDouble(); // shown with one decimal: 13.6
    for (const QStringList& water : Reference(u"WaterBodies"_s).rows) {
        SCOPED_TRACE(water[0].toStdString());
        const QJsonObject drift = Json({u"drift"_s, u"--crop"_s, crop, u"--water"_s, water[0], u"--apps"_s,
                                        u"3"_s, u"--rate"_s, u"750"_s});
        EXPECT_EQ(drift.keys(), QStringList({u"A"_s,
                                             u"B"_s,
                                             u"C"_s,
                                             u"D"_s,
                                             u"applications"_s,
                                             u"bankDistance"_s,
                                             u"concentration"_s,
                                             u"crop"_s,
                                             u"cropDistance"_s,
                                             u"depth"_s,
                                             u"driftFar"_s,
                                             u"driftNear"_s,
                                             u"driftReduction"_s,
                                             u"farEdge"_s,
                                             u"ganzelmeierCode"_s,
                                             u"hinge"_s,
                                             u"length"_s,
                                             u"massLoading"_s,
                                             u"meanDeposition"_s,
                                             u"nearEdge"_s,
                                             u"percentile"_s,
                                             u"step3MeanDeposition"_s,
                                             u"width"_s}));
        const double nearEdge = 3.0 + water[5].toDouble();
        const double farEdge = nearEdge + water[1].toDouble();
        const double mean = IntegratedMean(p, hinge, nearEdge, farEdge);
        EXPECT_EQ(drift[u"ganzelmeierCode"_s].toInt(), 2);
        EXPECT_EQ(drift[u"percentile"_s].toInt(), 77);
        EXPECT_EQ(drift[u"hinge"_s].toDouble(), hinge);
        EXPECT_DOUBLE_EQ(drift[u"nearEdge"_s].toDouble(), nearEdge);
        EXPECT_DOUBLE_EQ(drift[u"farEdge"_s].toDouble(), farEdge);
        EXPECT_NEAR(drift[u"meanDeposition"_s].toDouble(), mean, 1e-9 * mean);
        EXPECT_NEAR(drift[u"massLoading"_s].toDouble(), 0.75 * mean, 1e-9 * mean);
        EXPECT_NEAR(drift[u"concentration"_s].toDouble(), 0.75 * mean / water[4].toDouble(), 1e-9 * mean);

        // The drift loading of a run's application uses the hinge in single precision.
        const QJsonObject loading =
            Json({u"drift"_s, u"--method"_s, u"air blast"_s, u"--crop"_s, crop, u"--water"_s, water[0],
                  u"--apps"_s, u"3"_s, u"--rate"_s, u"750"_s});
        EXPECT_TRUE(loading[u"drift"_s].toBool());
        const double loadingMean =
            IntegratedMean(p, static_cast<double>(regression[6].toFloat()), nearEdge, farEdge);
        EXPECT_NEAR(loading[u"meanDeposition"_s].toDouble(), loadingMean, 1e-9 * mean);
        EXPECT_NEAR(loading[u"massLoading"_s].toDouble(), 0.75 * loadingMean, 1e-9 * mean);
    }
}

TEST_F(ScenarioCliTest, DriftWithAMitigationDistanceOrWithoutDrift) {
    const QJsonObject mitigated =
        Json({u"drift"_s, u"--crop"_s, u"Hops"_s, u"--water"_s, u"focus_pond"_s, u"--mitigation"_s, u"20"_s});
    const QStringList regression = ReferenceRow(u"Regression"_s, {u"4"_s, u"1"_s});
    const TRegressionParameters p{regression[2].toDouble(), regression[3].toDouble(),
                                  regression[4].toDouble(), regression[5].toDouble(), 0};
    const double mean = IntegratedMean(p, regression[6].toDouble(), 20, 50);
    EXPECT_EQ(mitigated[u"nearEdge"_s].toDouble(), 20);
    EXPECT_EQ(mitigated[u"farEdge"_s].toDouble(), 50);
    EXPECT_NEAR(mitigated[u"meanDeposition"_s].toDouble(), mean, 1e-9 * mean);

    const QJsonObject granular = Json(
        {u"drift"_s, u"--method"_s, u"Granular"_s, u"--crop"_s, u"Hops"_s, u"--water"_s, u"focus_pond"_s});
    EXPECT_EQ(
        granular,
        QJsonObject(
            {{u"drift"_s, false}, {u"meanDeposition"_s, 0}, {u"massLoading"_s, 0}, {u"concentration"_s, 0}}));

    const QJsonObject noWater = Json({u"drift"_s, u"--crop"_s, u"Maize"_s});
    EXPECT_TRUE(noWater[u"step3MeanDeposition"_s].isNull());
    for (const QString& key : {u"width"_s, u"nearEdge"_s, u"meanDeposition"_s, u"concentration"_s})
        EXPECT_TRUE(noWater[key].isNull()) << key.toStdString();
}

// Step 4: any buffer and a drift reduction; meanDeposition is the mitigated value, the Step 3 one beside
// it; the curve file holds the deposition against the distance without and with the reduction.
TEST_F(ScenarioCliTest, DriftMitigatedWithABufferAndNozzlesAndItsCurve) {
    const QStringList regression = ReferenceRow(u"Regression"_s, {u"1"_s, u"1"_s}); // Maize, one application
    const TRegressionParameters p{regression[2].toDouble(), regression[3].toDouble(),
                                  regression[4].toDouble(), regression[5].toDouble(), 0};
    const double hinge = regression[6].toDouble();
    const QString curve = InstallDir() + u"curve.csv"_s;
    const QJsonObject drift = Json({u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_ditch"_s,
                                    u"--mitigation"_s, u"12.5"_s, u"--reduction"_s, u"75"_s, u"--curve"_s, curve});
    const double step3 = IntegratedMean(p, hinge, 1.3, 2.3);
    const double mitigated = IntegratedMean(p, hinge, 12.5, 13.5) / 4;
    EXPECT_NEAR(drift[u"meanDeposition"_s].toDouble(), mitigated, 1e-9 * mitigated);
    EXPECT_NEAR(drift[u"step3MeanDeposition"_s].toDouble(), step3, 1e-9 * step3);
    EXPECT_NEAR(drift[u"massLoading"_s].toDouble(), mitigated, 1e-9 * mitigated);
    EXPECT_EQ(drift[u"driftReduction"_s].toInt(), 75);
    EXPECT_EQ(drift[u"nearEdge"_s].toDouble(), 12.5);

    QFile file(curve);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 201);
    EXPECT_EQ(lines[0], u"Distance (m),Step 3 (% of rate),Mitigated (% of rate)"_s);
    const QStringList at10 = lines[40].split(u',');
    EXPECT_EQ(at10[0], u"10.00"_s);
    const double expected = p.A * std::pow(10.0, p.B);
    EXPECT_NEAR(at10[1].toDouble(), expected, 1e-8 * expected);
    EXPECT_NEAR(at10[2].toDouble(), expected / 4, 1e-8 * expected);

    // Text output names the reduction and the Step 3 value.
    const TCliRun text = Run({u"drift"_s, u"--crop"_s, u"Maize"_s, u"--water"_s, u"focus_ditch"_s,
                              u"--mitigation"_s, u"12.5"_s, u"--reduction"_s, u"75"_s});
    EXPECT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(u"Drift reduction (%):"_s)) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(u"Step 3 mean (% of application rate):"_s)) << text.out.toStdString();
    EXPECT_EQ(Run({u"drift"_s, u"--crop"_s, u"Maize"_s, u"--curve"_s, curve}).exitCode, 2);
}

} // namespace
