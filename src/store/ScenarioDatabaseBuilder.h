#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class TConnection;

// Creates a database file: fill gets a connection to a new, empty file under a temporary name, which
// is renamed into place once fill returns; when fill raises, nothing is left behind.
void BuildDatabaseFile(const QString& databaseFile, const std::function<void(TConnection&)>& fill);

// Builds a new scenario database file from a data source folder holding schema.sql, the FOCUS reference
// data (reference/<table>.csv) and the example substances (examples/<table>.csv). The file is written
// under a temporary name and renamed into place, so a failed build leaves no half database behind.
// Raises EKelvoError on any failure.
void BuildScenarioDatabase(const QString& dataSourceDir, const QString& databaseFile);

// Loads one CSV file into the table named like the file, matching columns by the header names and
// converting each cell by the column's declared type (empty cell: null).
void LoadCsvIntoTable(TConnection& connection, const QString& csvFile);

// The value a CSV cell stands for in a column of the given declared type: empty is null; BOOLEAN
// takes "true"/"false" (or 1/0); DATETIME takes ISO text or "dd-mm", a day of the reference year 1999;
// INTEGER, SMALLINT and REAL take numbers with "."; anything else is text. Raises EKelvoError when the
// cell does not fit the type.
QVariant CsvCellValue(const QString& cell, const QString& declaredType);
