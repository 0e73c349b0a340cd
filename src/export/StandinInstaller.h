#pragma once

#include <QString>

// Lays out the stand-in model installations below an installation directory from the stand-ins source
// folder: every file is copied to the same relative path, except that each "<name>.sql" script becomes
// the SQLite database "<name>.sqlite" (MACRO/pest_focus.sqlite). Then writes the stand-in substance
// stores (WriteStandinSubstances). Run it after the scenario database is built. Raises EKelvoError.
void InstallStandins(const QString& standinsSourceDir, const QString& installDir);

// Fills the substance stores of the stand-in MACRO and PRZM installations: the compound and metab tables
// of MACRO/pest_focus.sqlite and the PRZM chemical data file PRZM/wpic/chmdat.dat with its record count
// file chmnum.dat. Both hold the substances of the scenario database that the model takes, written by
// the data module as on leaving the system (which also writes PRZM/przm.prj).
void WriteStandinSubstances(const QString& installDir);
