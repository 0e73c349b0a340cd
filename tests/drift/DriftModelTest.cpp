#include "drift/Drift.h"
#include "drift/DriftTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Two clearly different power laws, so it shows which one was used.
const TRegressionParameters twoLaws{60.0, -1.2, 250.0, -1.9, 0};

TEST(DriftModelTest, PointDriftSwitchesToCAndDAtTheHinge) {
    EXPECT_DOUBLE_EQ(PointDrift(twoLaws, 10, 9.999), 60.0 * std::pow(9.999, -1.2));
    EXPECT_DOUBLE_EQ(PointDrift(twoLaws, 10, 10), 250.0 * std::pow(10.0, -1.9));
    EXPECT_DOUBLE_EQ(PointDrift(twoLaws, 10, 20), 250.0 * std::pow(20.0, -1.9));
}

TEST(DriftModelTest, MeanDriftIntegratesEachSideOfTheHinge) {
    struct TCase {
        const char* name;
        int width;
        double hinge;
        double crop;
        double bank;
        double expected;
    };
    const TCase cases[] = {
        {"whole surface before the hinge", 1, 5.0, 0.5, 0.5, IntegratedMean(twoLaws, 5.0, 1.0, 2.0)},
        {"whole surface beyond the hinge", 30, 2.0, 3.0, 3.0, IntegratedMean(twoLaws, 2.0, 6.0, 36.0)},
        {"hinge on the surface", 30, 11.4, 3.0, 3.0, IntegratedMean(twoLaws, 11.4, 6.0, 36.0)},
        {"hinge just inside beyond the tolerance", 1, 4.498, 3.0, 0.5,
         IntegratedMean(twoLaws, 4.498, 3.5, 4.5)},
        // A far edge at the hinge, or within 0.001 m after it, is averaged with A and B alone.
        {"far edge at the hinge", 1, 4.5, 3.0, 0.5, SimpsonIntegral(60.0, -1.2, 3.5, 4.5)},
        {"far edge within the tolerance", 1, 4.4995, 3.0, 0.5, SimpsonIntegral(60.0, -1.2, 3.5, 4.5)},
        // A near edge at the hinge takes the split formula with an empty first part.
        {"near edge at the hinge", 1, 3.5, 3.0, 0.5, SimpsonIntegral(250.0, -1.9, 3.5, 4.5)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const double mean = MeanDrift(twoLaws, c.width, c.hinge, c.crop, c.bank);
        EXPECT_NEAR(mean, c.expected, 1e-9 * c.expected);
    }
    // The closed form of a 1 m surface from 1 m to 2 m off the crop.
    EXPECT_DOUBLE_EQ(MeanDrift(twoLaws, 1, 5.0, 0.5, 0.5), 60.0 * (std::pow(2.0, -0.2) - 1) / -0.2);
}

TEST(DriftModelTest, OneLawGivesOneMeanWhereverTheHingeLies) {
    const TRegressionParameters oneLaw{2.7593, -0.9778, 2.7593, -0.9778, 0};
    const double expected = IntegratedMean(oneLaw, 1000, 3.5, 4.5);
    for (const double hinge : {1000.0, 2.0, 4.0}) {
        SCOPED_TRACE(hinge);
        EXPECT_NEAR(MeanDrift(oneLaw, 1, hinge, 3.0, 0.5), expected, 1e-12);
    }
}

TEST(DriftModelTest, LoadingAndConcentration) {
    EXPECT_DOUBLE_EQ(MassLoading(2.5, 1000), 2.5);
    EXPECT_DOUBLE_EQ(MassLoading(0.8, 250), 0.2);
    EXPECT_DOUBLE_EQ(NominalConcentration(2.5, 0.3), 2.5 / 0.3);
}

} // namespace
