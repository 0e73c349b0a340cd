#include "domain/Conversions.h"

#include <cmath>

namespace {

constexpr double omToOc = 1.724;
constexpr double secondsPerDay = 86400.0;

} // namespace

double KomToKoc(double x) {
    return x * omToOc;
}

double KocToKom(double x) {
    return x / omToOc;
}

double HalfLifeOrRate(double x) {
    if (x < 0.0001) return 0.0;
    const double r = 0.6931 / x;
    // A result within 0.0001 of 1000 is taken as exactly 1000.
    if (std::abs(r - 1000.0) < 0.0001) return 1000.0;
    return r;
}

double PerSecondToPerDay(double x) {
    return x * secondsPerDay;
}

double PerDayToPerSecond(double x) {
    return x / secondsPerDay;
}
