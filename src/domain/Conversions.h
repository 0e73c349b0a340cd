#pragma once

// Unit conversions of substance parameters.

// Sorption coefficient on organic matter to the one on organic carbon.
double KomToKoc(double x);
double KocToKom(double x);
// Half-life to first-order rate constant and back: 0.6931 / x, and 0 for x below 0.0001.
double HalfLifeOrRate(double x);
double PerSecondToPerDay(double x);
double PerDayToPerSecond(double x);
