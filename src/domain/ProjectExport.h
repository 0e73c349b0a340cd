#pragma once

class TProject;

// The options of "Export FOCUS input to MACRO, PRZM and TOXSWA"; TOXSWA is always prepared. PRZM and
// MACRO are written only when their model was found available at start.
struct TProjectExportOptions {
    bool Report = true;
    bool PRZM = true;
    bool MACRO = true;
};

// The project browser's export without its dialog: asks before overwriting an earlier export, rebuilds
// the project directory, writes the chosen model input and the report, and ends with "Saved all files
// at subdirectory ...". Answers false when the user declined or a step failed (its error was shown).
bool ExportProject(TProject& project, const TProjectExportOptions& options);
