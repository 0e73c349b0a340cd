#pragma once

#include <QString>

class TdmKelvoADO;

// The value rules of editing a substance, on the current rows of the substance record sets: the pairs of
// values that follow each other, so that the substance editor and kelvo-cli keep them alike. The rules
// change nothing on a locked substance. A value that does not fit its column raises the data layer's
// error.

// Koc = Kom x 1.724; the wash-off factor for PRZM (1/cm) is ten times the one for MACRO (1/mm); a Q10
// factor below this switches PRZM's temperature correction off.
inline constexpr double KomKocFactor = 1.724;
inline constexpr double WashOffFactor = 10;
inline constexpr double Q10Threshold = 1e-8;

// The columns of the sorption coefficients: the general one and the detailed ones for soil, suspended
// solids and sediment.
enum class TSorptionColumn { General, Soil, SuspendedSolids, Sediment };

bool IsCurrentSubstanceLocked(const TdmKelvoADO& dm);

// A Kom entered: the column's Koc becomes Kom x 1.724, or empty with Kom. A general Kom then fills the
// empty detailed Kom and Koc values with the general ones.
void KomEntered(TdmKelvoADO& dm, TSorptionColumn column);
// A Koc entered: the column's Kom becomes Koc / 1.724, or empty with Koc; a general Koc then fills the
// empty detailed values.
void KocEntered(TdmKelvoADO& dm, TSorptionColumn column);
// The empty detailed Kom and Koc values take the general ones.
void FillDetailedFromGeneral(TdmKelvoADO& dm);
// Each detailed column (soil, sediment, suspended solids) gets its Koc from its Kom, or else its Kom from
// its Koc.
void CompleteDetailedPairs(TdmKelvoADO& dm);
// The general Freundlich exponent and reference concentration go to the three detailed columns.
void FreundlichEntered(TdmKelvoADO& dm);
void ReferenceConcentrationEntered(TdmKelvoADO& dm);
// Whether the detailed sorption values are used.
void SetDetailedSorption(TdmKelvoADO& dm, bool detailed);

// A wash-off factor entered for MACRO (fext) or PRZM (fextrc): the other follows.
void WashOffMacroEntered(TdmKelvoADO& dm);
void WashOffPRZMEntered(TdmKelvoADO& dm);
// The Q10 factor entered: PRZM corrects for temperature (iqfac 1) when it is at least 1e-8.
void Q10Entered(TdmKelvoADO& dm);

// Bi-phase degradation in soil for PRZM: on keeps a start day (dknum) given and makes 0 into 1, off
// clears it.
void SetBiPhase(TdmKelvoADO& dm, bool on);
// The moisture content of the half-life measurement for PRZM: 1 absolute, 2 relative to field capacity.
void SetMoistureBasis(TdmKelvoADO& dm, int iset1);
// The pF (1 or 2) at which the half-life for MACRO was measured.
void SetHalfLifePF(TdmKelvoADO& dm, int pf);

// After a column of the current substance was given a value: the values coupled to it follow (Kom and
// Koc of each sorption column, the general values into the detailed ones, the two wash-off factors, the
// Q10 switch, the bi-phase switch).
void ColumnEntered(TdmKelvoADO& dm, const QString& table, const QString& column);
