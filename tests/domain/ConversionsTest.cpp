#include "domain/Conversions.h"

#include <gtest/gtest.h>

TEST(Conversions, Table) {
    const struct {
        const char* name;
        double (*convert)(double);
        double x;
        double result;
    } cases[] = {
        {"KomToKoc", KomToKoc, 1.0, 1.724},
        {"KomToKoc", KomToKoc, 10.0, 17.24},
        {"KocToKom", KocToKom, 1.724, 1.0},
        {"KocToKom", KocToKom, 0.0, 0.0},
        {"HalfLifeOrRate", HalfLifeOrRate, 0.00005, 0.0},
        {"HalfLifeOrRate", HalfLifeOrRate, 0.0, 0.0},
        {"HalfLifeOrRate", HalfLifeOrRate, -5.0, 0.0},
        {"HalfLifeOrRate", HalfLifeOrRate, 0.0001, 6931.0},
        {"HalfLifeOrRate", HalfLifeOrRate, 1000.0, 0.0006931},
        {"HalfLifeOrRate", HalfLifeOrRate, 0.6931, 1.0},
        {"PerSecondToPerDay", PerSecondToPerDay, 1.0, 86400.0},
        {"PerDayToPerSecond", PerDayToPerSecond, 86400.0, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(c.convert(c.x), c.result) << c.name << "(" << c.x << ")";
}

TEST(Conversions, RatesNearThousandSnapToExactlyThousand) {
    EXPECT_EQ(HalfLifeOrRate(0.0006931), 1000.0);
    EXPECT_EQ(HalfLifeOrRate(0.6931 / 1000.00009), 1000.0);
    EXPECT_NE(HalfLifeOrRate(0.6931 / 1000.001), 1000.0);
    EXPECT_DOUBLE_EQ(HalfLifeOrRate(0.6931 / 1000.001), 1000.001);
}
