#pragma once

#include <QString>
#include <QStringList>

class TConnection;

// The tables, views and columns of the reference database (the program's own copy of the file's
// layout) that the open database lacks, as "table run" and "column compound.dt50", in the reference's
// order; empty when it has them all or the reference file does not exist. Extra parts are allowed.
QStringList MissingSchemaParts(TConnection& connection, const QString& referenceFile);
// Raises "<file> is damaged: missing table run, column compound.dt50" when parts are missing.
void CheckSchemaLike(TConnection& connection, const QString& referenceFile);
