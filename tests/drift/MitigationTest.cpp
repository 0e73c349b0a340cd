#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "drift/DriftCalculation.h"
#include "drift/DriftTestSupport.h"
#include "drift/Mitigation.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString Refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const EKelvoError& e) {
        return e.Message();
    }
    return {};
}

using MitigationTest = TDataModuleTest;

// Every crop on every water body type, at the FOCUS distance and a few buffers, with each reduction:
// the mean of the regression integrated numerically from the buffer over the width, times the part the
// nozzles let through.
TEST_F(MitigationTest, MitigatedDepositionOfEveryCropAndWaterBody) {
    const QList<int> reductions = DriftReductions();
    ASSERT_EQ(reductions, (QList<int>{0, 50, 75, 90, 95}));
    int row = 0;
    int checked = 0;
    for (const QStringList& cropRow : Reference(u"Crops"_s).rows) {
        const std::unique_ptr<TCrop> crop = dm->LoadCrop(cropRow[0]);
        ASSERT_TRUE(crop) << cropRow[0].toStdString();
        const bool airBlast = cropRow[6] == u"true"_s;
        const int applications = 1 + row++ % 8;
        for (const QStringList& waterRow : Reference(u"WaterBodies"_s).rows) {
            const std::unique_ptr<TWaterBodyType> water = dm->LoadWaterBodyType(waterRow[0]);
            const double focus = cropRow[4].toDouble() + waterRow[5].toDouble();
            const int width = waterRow[1].toInt();
            const TRegressionParameters p = ReferenceRegression(
                cropRow[3].toInt(), cropRow[3].toInt() == 7 ? 1 : applications);
            for (double buffer : {focus, 7.5, 10.0, 33.3, 100.0}) {
                if (buffer < focus) continue;
                const double expected = IntegratedMean(p, static_cast<double>(p.Hinge), buffer, buffer + width);
                for (int reduction : reductions) {
                    SCOPED_TRACE(testing::Message() << cropRow[0].toStdString() << " on " << waterRow[0].toStdString()
                                                    << ", " << applications << " applications, buffer " << buffer
                                                    << " m, " << reduction << " %");
                    double mean = -1;
                    double mass = -1;
                    double concentration = -1;
                    ASSERT_TRUE(CalculateDriftLoading(*dm, airBlast ? u"air blast"_s : u"ground spray"_s,
                                                      applications, crop.get(), water.get(), 500, mean, mass,
                                                      concentration, TMitigation{buffer, reduction}));
                    const double mitigated = expected * (100 - reduction) / 100;
                    EXPECT_NEAR(mean, mitigated, 1e-9 * mitigated + 1e-15);
                    EXPECT_NEAR(mass, 500 * mitigated / 1000, 1e-9 * mass + 1e-15);
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

// Without mitigation, and with a reduction of none, the loading is bit for bit the Step 3 loading; a
// method without drift stays at zero whatever the mitigation; aerial application is mitigated from its
// own 5 m.
TEST_F(MitigationTest, Step3MethodsWithoutDriftAndAerialApplication) {
    const std::unique_ptr<TCrop> maize = dm->LoadCrop(u"Maize"_s);
    const std::unique_ptr<TWaterBodyType> ditch = dm->LoadWaterBodyType(u"focus_ditch"_s);
    const std::unique_ptr<TWaterBodyType> pond = dm->LoadWaterBodyType(u"focus_pond"_s);
    const auto mean = [&](const QString& method, const TWaterBodyType& water, const TMitigation& m) {
        double deposition = -1;
        double mass = 0;
        double concentration = 0;
        CalculateDriftLoading(*dm, method, 2, maize.get(), &water, 1000, deposition, mass, concentration, m);
        return deposition;
    };
    const TRegressionParameters maize2 = ReferenceRegression(1, 2);
    EXPECT_EQ(mean(u"ground spray"_s, *ditch, {}),
              MeanDrift(maize2, 1, static_cast<double>(maize2.Hinge), 0.8, 0.5));
    EXPECT_EQ(mean(u"ground spray"_s, *ditch, {std::nullopt, 0}), mean(u"ground spray"_s, *ditch, {}));
    EXPECT_DOUBLE_EQ(mean(u"ground spray"_s, *ditch, {std::nullopt, 90}), mean(u"ground spray"_s, *ditch, {}) * 0.1);
    for (const QString& method : {u"granular"_s, u"soil incorporation"_s})
        EXPECT_EQ(mean(method, *ditch, {20.0, 95}), 0) << method.toStdString();

    const TRegressionParameters aerial = ReferenceRegression(7, 1);
    EXPECT_EQ(FocusDistance(*dm, u"aerial"_s, *maize, *pond), 8.0);
    EXPECT_EQ(FocusDistance(*dm, u"ground spray"_s, *maize, *pond), 3.8);
    EXPECT_NEAR(mean(u"aerial"_s, *pond, {12.0, 50}),
                IntegratedMean(aerial, static_cast<double>(aerial.Hinge), 12, 42) / 2, 1e-9);
}

TEST(MitigationRulesTest, BufferAndReductionAsTypedOrRefused) {
    const QString below = u"The buffer must be at least the FOCUS distance of 1.00 m for this crop and water body"_s;
    struct TCase {
        QString text;
        std::optional<double> buffer;
        QString refusal;
    };
    const TCase buffers[] = {
        {u""_s, std::nullopt, {}},
        {u"  "_s, std::nullopt, {}},
        {u"1"_s, 1.0, {}},
        {u"12.5"_s, 12.5, {}},
        {u"100"_s, 100.0, {}},
        {u"0.99"_s, {}, below},
        {u"-5"_s, {}, below},
        {u"100.5"_s, {}, u"The buffer of 100.5 m is too wide: it must lie between 1.00 m and 100 m"_s},
        {u"ten"_s, {}, u"'ten' is not a buffer distance: give a number of metres from 1.00 to 100"_s},
        {u"nan"_s, {}, u"'nan' is not a buffer distance: give a number of metres from 1.00 to 100"_s},
    };
    for (const TCase& c : buffers) {
        SCOPED_TRACE(c.text.toStdString());
        std::optional<double> read;
        EXPECT_EQ(Refusal([&] { read = ReadBufferDistance(c.text, 1.0); }), c.refusal);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(read, c.buffer);
        }
    }

    struct TReduction {
        QString text;
        int reduction;
        QString refusal;
    };
    const TReduction reductions[] = {
        {u""_s, 0, {}},
        {u"none"_s, 0, {}},
        {u"0"_s, 0, {}},
        {u"50 %"_s, 50, {}},
        {u"95"_s, 95, {}},
        {u"60"_s, 0, u"A drift reduction of 60 % is not a technique class: it must be one of 0, 50, 75, 90, 95 %"_s},
        {u"-50"_s, 0, u"A drift reduction of -50 % is not a technique class: it must be one of 0, 50, 75, 90, 95 %"_s},
        {u"most"_s, 0, u"'most' is not a drift reduction: it must be one of 0, 50, 75, 90, 95 %"_s},
    };
    for (const TReduction& c : reductions) {
        SCOPED_TRACE(c.text.toStdString());
        int read = -1;
        EXPECT_EQ(Refusal([&] { read = ReadDriftReduction(c.text); }), c.refusal);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(read, c.reduction);
        }
    }
    EXPECT_EQ(MitigationText({10.0, 75}), u"buffer 10.0 m, drift reduction 75 %"_s);
    EXPECT_EQ(MitigationText({std::nullopt, 50}), u"FOCUS distance, drift reduction 50 %"_s);
}

TEST(MitigationCurveTest, CurvePointsEndAndCsv) {
    const TRegressionParameters p{2.0, -0.9, 3.0, -1.2, 10.0f};
    EXPECT_EQ(CurveEnd({}), 50.0);
    EXPECT_EQ(CurveEnd({30.0, 0}), 50.0);
    EXPECT_EQ(CurveEnd({45.5, 0}), 55.5);
    const std::vector<TCurvePoint> curve = DepositionCurve(p, 10.0, 55.5, 75);
    ASSERT_EQ(curve.size(), 222u);
    EXPECT_EQ(curve.front().Distance, 0.25);
    EXPECT_EQ(curve.back().Distance, 55.5);
    for (const TCurvePoint& point : {curve[3], curve[39], curve[40], curve[221]}) {
        const double expected = point.Distance < 10 ? 2.0 * std::pow(point.Distance, -0.9)
                                                    : 3.0 * std::pow(point.Distance, -1.2);
        EXPECT_DOUBLE_EQ(point.Step3, expected) << point.Distance;
        EXPECT_DOUBLE_EQ(point.Mitigated, expected / 4) << point.Distance;
    }
    const QStringList lines = CurveCsv(curve).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 223);
    EXPECT_EQ(lines[0], u"Distance (m),Step 3 (% of rate),Mitigated (% of rate)"_s);
    const QStringList first = lines[1].split(u',');
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[0], u"0.25"_s);
    EXPECT_NEAR(first[1].toDouble(), 2.0 * std::pow(0.25, -0.9), 1e-8);
    EXPECT_NEAR(first[2].toDouble(), 2.0 * std::pow(0.25, -0.9) / 4, 1e-8);
}

class MitigatedCalculationTest : public TDataModuleTest {
protected:
    void SetUp() override {
        TDataModuleTest::SetUp();
        if (HasFatalFailure()) return;
        crops = dm->LoadCrops(true);
        calculation = std::make_unique<TDriftCalculation>(*dm);
    }
    void TearDown() override {
        calculation.reset();
        crops.reset();
        TDataModuleTest::TearDown();
    }
    void Open(const QString& cropCode, const QString& water) {
        for (const TCrop* crop : crops->Items<TCrop>())
            if (crop->CropCode == cropCode) calculation->SetCrop(crop);
        calculation->SetNumberOfApplications(1);
        calculation->SetWaterBodyType(water);
    }
    std::unique_ptr<TAggregationList> crops;
    std::unique_ptr<TDriftCalculation> calculation;
};

// The listed distances give what the calculator always gave: the near edge at the distance, reached by
// shortening the crop distance by the bank.
TEST_F(MitigatedCalculationTest, ListedDistancesGiveTheCalculatorsFigures) {
    const QStringList listed = dm->GetMitigationDistances();
    ASSERT_EQ(listed.size(), 7);
    for (const QString& cropCode : {u"Cereals, spring"_s, u"Pome/stone fruit, early applns"_s, u"Appln, aerial"_s})
        for (const QString& water : {u"focus_ditch"_s, u"focus_pond"_s, u"focus_stream"_s}) {
            Open(cropCode, water);
            const double hinge = *calculation->Results().Hinge;
            const TRegressionParameters& p = calculation->Regression();
            const TWaterBodyType& w = *calculation->WaterBodyType();
            const double step3 = *calculation->Results().MeanDeposition;
            for (const QString& distance : listed) {
                SCOPED_TRACE((cropCode + u' ' + water + u' ' + distance).toStdString());
                calculation->SetMitigation(distance);
                const double today = MeanDrift(p, w.Width, hinge, distance.toDouble() - w.DistanceBankWater,
                                               w.DistanceBankWater);
                EXPECT_EQ(*calculation->Results().MeanDeposition, today);
                EXPECT_EQ(*calculation->Results().Step3MeanDeposition, step3);
                EXPECT_TRUE(calculation->Mitigated());
            }
            calculation->SetMitigation(QString());
            EXPECT_FALSE(calculation->Mitigated());
        }
}

TEST_F(MitigatedCalculationTest, TypedDistanceAndEachReduction) {
    Open(u"Maize"_s, u"focus_stream"_s);
    const TRegressionParameters& p = calculation->Regression();
    const double hinge = *calculation->Results().Hinge;
    const double step3 = IntegratedMean(p, hinge, 1.8, 2.8);
    calculation->SetMitigation(u"12.5"_s);
    EXPECT_EQ(calculation->Texts().edtDistanceCropDrift1, u"12.50"_s);
    EXPECT_EQ(calculation->Texts().edtDistanceCropDrift2, u"13.50"_s);
    for (int reduction : DriftReductions()) {
        SCOPED_TRACE(reduction);
        calculation->SetReduction(reduction);
        const double expected = IntegratedMean(p, hinge, 12.5, 13.5) * (100 - reduction) / 100;
        const TDriftCalculation::TResults& r = calculation->Results();
        EXPECT_NEAR(*r.MeanDeposition, expected, 1e-9 * expected);
        EXPECT_NEAR(*r.Step3MeanDeposition, step3, 1e-9 * step3);
        EXPECT_EQ(calculation->Texts().edtStep3Drift, FormatFixed(*r.Step3MeanDeposition, 8, 4));
        EXPECT_NEAR(*r.MassLoading, expected, 1e-9 * expected); // 1000 g/ha
        EXPECT_EQ(calculation->Step4(), (TMitigation{12.5, reduction}));
        const std::vector<TCurvePoint> curve = calculation->Curve();
        ASSERT_EQ(curve.size(), 200u);
        EXPECT_NEAR(curve[47].Mitigated, PointDrift(p, hinge, 12.0) * (100 - reduction) / 100, 1e-15);
    }

    // A refused distance or reduction leaves the choices and results as they were.
    const double before = *calculation->Results().MeanDeposition;
    EXPECT_EQ(Refusal([&] { calculation->SetMitigation(u"1.5"_s); }),
              u"The buffer must be at least the FOCUS distance of 1.80 m for this crop and water body"_s);
    EXPECT_EQ(Refusal([&] { calculation->SetReduction(80); }),
              u"A drift reduction of 80 % is not a technique class: it must be one of 0, 50, 75, 90, 95 %"_s);
    EXPECT_EQ(calculation->Mitigation(), u"12.5"_s);
    EXPECT_EQ(calculation->Reduction(), 95);
    EXPECT_EQ(*calculation->Results().MeanDeposition, before);
    calculation->SetMitigation(u"60"_s);
    EXPECT_EQ(calculation->Curve().back().Distance, 70.0);
}

} // namespace
