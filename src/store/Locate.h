#pragma once

#include <QStringList>
#include <QVector>

class TRecordSet;

// Positions a record set on the first row whose leading fields equal the keys, in field order.
// Opens the record set when it is closed. Without a match the record set goes back to the row it
// was on (the first row with the same first-field value), or to its first row; the answer is false.
bool LocateByTextKeys(TRecordSet& recordSet, const QStringList& keys, int n);
bool LocateByIntegerKeys(TRecordSet& recordSet, const QVector<int>& keys);
