#pragma once

#include <QString>

class TdmKelvoADO;

// The refusal of a code holding a character that names may not hold.
QString InvalidCodeCharacterMessage();

// The first refusal of a new substance's code and name, and the field it concerns.
struct TNewSubstanceCheck {
    enum TField { None, Code, Name };
    TField refused = None;
    QString message;
};
// Checks the trimmed code and name in order: a code given, free of refused characters and not in use
// (in any letter case), a name given.
TNewSubstanceCheck CheckNewSubstance(TdmKelvoADO& dm, const QString& code, const QString& name);

// The new substance dialog's OK: trims the code and the name, checks them and shows the first refusal,
// then creates the substance with its three rows; false when refused.
bool CreateNewSubstance(TdmKelvoADO& dm, const QString& code, const QString& name);
