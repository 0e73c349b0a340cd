#pragma once

#include <QString>
#include <QStringList>

class TAggregationList;
class TCrop;

// Command arguments that name scenario data. An unknown value is refused with a message naming it
// and listing the valid ones.

// The crop whose code or name is the text, in any letter case.
TCrop* FindCrop(const TAggregationList& crops, const QString& text);
// The water body type codes of a comma-separated list, as the database spells them.
QStringList FindWaterBodyCodes(const QStringList& valid, const QString& list);
// The entry of the list equal to the text in any letter case.
QString FindListed(const QStringList& valid, const QString& text, const QString& what);
