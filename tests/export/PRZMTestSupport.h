#pragma once

#include "export/PRZMSubstance.h"

#include <QByteArray>
#include <QString>

// A fixture file of tests/data/przm_records (written by its make_records.py).
QByteArray PRZMFixture(const QString& name);

// The record of full.dat: every field with a value of its own.
TPRZM_Substance FullSubstance();

// Expects every field of the two records to be equal, reals to the precision of their format and
// texts without their trailing blanks.
void ExpectSameValues(const TPRZM_Substance& expected, const TPRZM_Substance& actual);
