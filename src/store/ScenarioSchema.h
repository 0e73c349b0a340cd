#pragma once

#include <QString>
#include <QStringList>

class TConnection;

// The schema version of the scenario database this program writes and reads.
inline constexpr int ScenarioSchemaVersion = 4;

// The tables of predefined FOCUS data, delivered filled and only read.
const QStringList& ReferenceTables();

// The program's version as the meta table records it ("ProgramVersion").
QString ProgramVersion();
// "<program> <version> (scenario database schema version <n>)", as --version prints it.
QString VersionLine(const QString& program);

// Makes a freshly opened scenario database fit for this program, or raises EKelvoError naming the file:
// - a file that is not a SQLite database, or one without Kelvo's meta table: "<file> is not a Kelvo
//   scenario database";
// - a damaged file: "<file> is damaged: <what SQLite says>";
// - a database of a newer schema: refused with both versions; it is never downgraded;
// - a database of an older schema: first a consistent backup "<file>.v<old>.bak" beside it, then, in one
//   transaction, the numbered migration steps, the predefined FOCUS rows (reference tables, locked
//   substances and their locked default patterns) replaced by those of templateFile (the program's
//   scenario database), and the meta rows written; a failure rolls everything back and says so;
// - a database that lacks tables or columns of templateFile: "<file> is damaged: missing table Runs, ...".
// Opening a database of the current schema changes nothing but the program version that last opened it.
void PrepareScenarioDatabase(TConnection& connection, const QString& templateFile);

// The user's words for a database error of file: "<file> is not a Kelvo scenario database" for a file
// that is no SQLite database, "<file> is damaged: <what SQLite says>" for a damaged one, else the file
// and the driver's text.
QString DatabaseProblem(const QString& file, const QString& driverText);

// The schema version recorded in an open scenario database; raises as PrepareScenarioDatabase.
int RecordedSchemaVersion(TConnection& connection);

// Writes a consistent copy of the open database into target (which must not exist yet), also while
// another process uses the database. Raises EKelvoError.
void BackupDatabase(TConnection& connection, const QString& target);
