#pragma once

class TdmKelvoADO;
class TdmMacroADO;

// The substance exchange that brackets a working session of the launcher. At start the scenario
// database is opened and the substances of PRZM and MACRO are read into it, which fixes for the rest of
// the process whether each model is available; at the end they are written back, each only when it was
// available, and the database is closed.

// False when the scenario database does not open: "Failed to open the KELVO-database." is shown, both
// models stay unavailable and nothing is read. An error while reading PRZM or MACRO is shown, and that
// model is unavailable.
bool StartSession(TdmKelvoADO& dm, TdmMacroADO& macro);
// Never refused: an error while writing one model is shown and the closing goes on.
void EndSession(TdmKelvoADO& dm, TdmMacroADO& macro);
