#include "drift/DriftCalculation.h"
#include "domain/Crop.h"
#include "domain/WaterBodyType.h"
#include "drift/Drift.h"
#include "drift/DriftTestSupport.h"
#include "foundation/ConcreteCollections.h"
#include "foundation/Errors.h"
#include "store/DataModuleKelvoADO.h"
#include "support/DataModuleTest.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The calculator as the window drives it when it opens: the crop, one application, the water body.
class DriftCalculationTest : public TDataModuleTest {
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

    const TCrop* Crop(const QString& code) const {
        for (const TCrop* crop : crops->Items<TCrop>())
            if (crop->CropCode == code) return crop;
        return nullptr;
    }
    void Open(const QString& crop, const QString& water) {
        calculation->SetCrop(Crop(crop));
        calculation->SetNumberOfApplications(1);
        calculation->SetWaterBodyType(water);
    }
    const TDriftCalculation::TTexts& Texts() const { return calculation->Texts(); }
    std::unique_ptr<TAggregationList> crops;
    std::unique_ptr<TDriftCalculation> calculation;
};

TEST_F(DriftCalculationTest, ShowsWhatTheCalculatorShowsOnOpening) {
    EXPECT_EQ(Texts().edtRate, u"1000"_s);
    EXPECT_EQ(Texts().edtChange, u"13.6"_s);
    Open(u"Cereals, spring"_s, u"focus_ditch"_s);
    const TDriftCalculation::TTexts& t = Texts();
    EXPECT_EQ(t.edtRegA, u"2.7593"_s);
    EXPECT_EQ(t.edtRegB, u"-0.9778"_s);
    EXPECT_EQ(t.edtRegC, u"2.7593"_s);
    EXPECT_EQ(t.edtRegD, u"-0.9778"_s);
    EXPECT_EQ(t.edtChange, u"1000.0"_s);
    EXPECT_EQ(t.edtWidth, u"1"_s);
    EXPECT_EQ(t.edtDepth, u"0.30"_s);
    EXPECT_EQ(t.edtLength, u"100"_s);
    EXPECT_EQ(t.edtDistanceCrop, u"0.50"_s);
    EXPECT_EQ(t.edtDistance, u"0.50"_s);
    EXPECT_EQ(t.edtDrift, u"90"_s);
    EXPECT_EQ(t.edtApplications, u"1"_s);
    EXPECT_EQ(t.edtDistanceCropDrift1, u"1.00"_s);
    EXPECT_EQ(t.edtDistanceCropDrift2, u"2.00"_s);
    EXPECT_EQ(t.edtDrift1, u"2.7593"_s);
    EXPECT_EQ(t.edtDrift2, FormatFixed(2.7593 * std::pow(2.0, -0.9778), 8, 4));
    const double mean = 2.7593 * (std::pow(2.0, 0.0222) - 1) / 0.0222;
    EXPECT_EQ(t.edtDrift3, FormatFixed(mean, 8, 4));
    EXPECT_EQ(t.edtMassLoading, FormatFixed(mean, 8, 4));
    EXPECT_EQ(t.edtConcentration, FormatFixed(mean / 0.3, 8, 4));
    EXPECT_TRUE(calculation->FocusValues());
    EXPECT_TRUE(calculation->NumberEnabled());
}

TEST_F(DriftCalculationTest, ComputesWithTheHingeAndEdgesAsShown) {
    // Pome/stone fruit early, one application: hinge 11.4 (11.3999996 in single precision) on the pond.
    Open(u"Pome/stone fruit, early applns"_s, u"focus_pond"_s);
    EXPECT_EQ(Texts().edtChange, u"11.4"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift1, u"6.00"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift2, u"36.00"_s);
    const TDriftCalculation::TResults& r = calculation->Results();
    EXPECT_EQ(*r.Hinge, 11.4);
    const TRegressionParameters& p = calculation->Regression();
    EXPECT_EQ(p.Hinge, 11.4f);
    EXPECT_NEAR(*r.MeanDeposition, IntegratedMean(p, 11.4, 6.0, 36.0), 1e-12);
    EXPECT_EQ(*r.DriftNear, 66.702 * std::pow(6.0, -0.7520));
    EXPECT_EQ(*r.DriftFar, 3867.9 * std::pow(36.0, -2.4183));
    EXPECT_DOUBLE_EQ(*r.MassLoading, *r.MeanDeposition);
    EXPECT_DOUBLE_EQ(*r.Concentration, *r.MeanDeposition / 1.0);

    // 0.8 m + 1.0 m sums to 1.79999995 in single precision and is read back as 1.80.
    Open(u"Maize"_s, u"focus_stream"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift1, u"1.80"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift2, u"2.80"_s);
    EXPECT_EQ(*r.NearEdge, 1.8);
    EXPECT_EQ(*r.FarEdge, 2.8);
    EXPECT_EQ(*r.CropDistance, 0.8);
}

TEST_F(DriftCalculationTest, MitigationDistanceIsTheNearEdge) {
    Open(u"Pome/stone fruit, late applns"_s, u"focus_pond"_s);
    calculation->SetMitigation(u"10"_s);
    EXPECT_FALSE(calculation->FocusValues());
    EXPECT_EQ(Texts().edtDistanceCrop, u"10"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift1, u"10.00"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift2, u"40.00"_s);
    const TRegressionParameters& p = calculation->Regression();
    EXPECT_NEAR(*calculation->Results().MeanDeposition, IntegratedMean(p, 10.3, 10.0, 40.0), 1e-12);

    calculation->SetMitigation(QString());
    EXPECT_EQ(Texts().edtDistanceCrop, u"3.00"_s);
    EXPECT_EQ(Texts().edtDistanceCropDrift1, u"6.00"_s);
}

TEST_F(DriftCalculationTest, NumberOfApplications) {
    Open(u"Appln, aerial"_s, u"focus_ditch"_s);
    EXPECT_FALSE(calculation->NumberEnabled());
    calculation->SetNumberOfApplications(3);
    EXPECT_EQ(calculation->NumberOfApplications(), 1);
    EXPECT_EQ(Texts().edtApplications, u"1"_s);
    EXPECT_EQ(Texts().edtRegA, u"50.4700"_s);
    EXPECT_EQ(Texts().edtChange, u"16.2"_s);

    calculation->SetCrop(Crop(u"Hops"_s));
    EXPECT_TRUE(calculation->NumberEnabled());
    calculation->SetNumberOfApplications(8);
    EXPECT_EQ(Texts().edtApplications, u"8 or more"_s);
    EXPECT_EQ(Texts().edtDrift, u"67"_s);
    EXPECT_EQ(Texts().edtRegA, u"53.2000"_s);
    EXPECT_EQ(Texts().edtRegC, u"3010.1000"_s);
    EXPECT_EQ(Texts().edtChange, u"14.6"_s);
}

// The loading shown always belongs to the rate and the choices shown: without a valid rate there is none.
TEST_F(DriftCalculationTest, AnEmptyOrFaultyRateShowsNoLoading) {
    Open(u"Maize"_s, u"focus_ditch"_s);
    ASSERT_TRUE(calculation->Results().MassLoading.has_value());
    calculation->SetRate(QString());
    calculation->SetWaterBodyType(u"focus_pond"_s);
    EXPECT_FALSE(calculation->Results().MassLoading.has_value());
    EXPECT_FALSE(calculation->Results().Concentration.has_value());
    EXPECT_EQ(Texts().edtMassLoading, QString());
    EXPECT_EQ(Texts().edtConcentration, QString());
    calculation->SetRate(u"1000"_s);
    ASSERT_TRUE(calculation->Results().MassLoading.has_value());

    try {
        calculation->SetRate(u"abc"_s);
        ADD_FAILURE() << "a rate that is no number is refused";
    } catch (const EKelvoError& e) {
        EXPECT_EQ(e.Message(), u"'abc' is not a valid floating point value"_s);
    }
    EXPECT_EQ(Texts().edtMassLoading, QString());
    EXPECT_FALSE(calculation->Results().MassLoading.has_value());

    calculation->SetRate(u"2000"_s);
    EXPECT_DOUBLE_EQ(*calculation->Results().MassLoading, 2 * *calculation->Results().MeanDeposition);
}

TEST_F(DriftCalculationTest, AFaultyRateStopsOnlyTheResultsOfANewCrop) {
    Open(u"Cereals, spring"_s, u"focus_ditch"_s);
    EXPECT_THROW(calculation->SetRate(u"abc"_s), EKelvoError);
    EXPECT_THROW(calculation->SetCrop(Crop(u"Maize"_s)), EKelvoError);
    const TDriftCalculation::TTexts faulty = Texts();

    TDriftCalculation fresh(*dm);
    fresh.SetCrop(Crop(u"Maize"_s));
    fresh.SetWaterBodyType(u"focus_ditch"_s);
    const TDriftCalculation::TTexts& t = fresh.Texts();
    for (const auto& [shown, expected] :
         {std::pair{faulty.edtRegA, t.edtRegA}, {faulty.edtRegB, t.edtRegB}, {faulty.edtChange, t.edtChange},
          {faulty.edtDistanceCrop, t.edtDistanceCrop}, {faulty.edtDistanceCropDrift1, t.edtDistanceCropDrift1},
          {faulty.edtDistanceCropDrift2, t.edtDistanceCropDrift2}, {faulty.edtDrift3, t.edtDrift3}})
        EXPECT_EQ(shown, expected);

    calculation->SetRate(u"1000"_s);
    EXPECT_EQ(Texts().edtMassLoading, t.edtMassLoading);
    EXPECT_EQ(Texts().edtConcentration, t.edtConcentration);
}

TEST_F(DriftCalculationTest, AMissingWaterBodyEmptiesItsFieldsAndKeepsTheOutputs) {
    Open(u"Maize"_s, u"focus_ditch"_s);
    const TDriftCalculation::TTexts before = Texts();
    calculation->SetWaterBodyType(u"focus_lake"_s);
    EXPECT_EQ(calculation->WaterBodyType(), nullptr);
    EXPECT_EQ(Texts().edtWidth, QString());
    EXPECT_EQ(Texts().edtDepth, QString());
    EXPECT_EQ(Texts().edtDistance, QString());
    EXPECT_EQ(Texts().edtDistanceCropDrift1, QString());
    EXPECT_EQ(Texts().edtDistanceCropDrift2, QString());
    EXPECT_EQ(Texts().edtDrift3, before.edtDrift3);
    EXPECT_EQ(Texts().edtMassLoading, before.edtMassLoading);
}

TEST(DriftFormatTest, FixedAndNumberNotation) {
    struct TCase {
        double value;
        int precision;
        int decimals;
        QString text;
    };
    const TCase cases[] = {
        {3867.9, 8, 4, u"3867.9000"_s}, {12345.678912, 8, 4, u"12345.6790"_s},
        {-0.97781, 8, 4, u"-0.9778"_s}, {0.000012, 8, 4, u"0.0000"_s},
        {66.70249, 8, 4, u"66.7025"_s}, {13.6000003814, 15, 1, u"13.6"_s},
        {1.79999995, 15, 2, u"1.80"_s},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals), c.text) << c.value;
    EXPECT_EQ(FormatNumber(1234.5, 2), u"1,234.50"_s);
    EXPECT_DOUBLE_EQ(ReadNumber(u"1,234.50"_s), 1234.5);
    EXPECT_THROW(ReadNumber(QString()), EKelvoError);
}

} // namespace
