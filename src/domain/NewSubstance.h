#pragma once

#include <QString>

class TdmKelvoADO;

// The new substance dialog's OK: checks the trimmed code and name in order and shows the first
// refusal, then creates the substance with its three rows; false when refused.
bool CreateNewSubstance(TdmKelvoADO& dm, const QString& code, const QString& name);
