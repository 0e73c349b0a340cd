#pragma once

#include "cli/CliCommand.h"

// kelvo-cli substance metabolites PARENT --scheme N [--m1 CODE] [--m2 CODE] [--przm1 F] [--przm2 F]
// [--macro1 F] [--macro2 F]: the arguments after the action.
int RunSubstanceMetabolites(QStringList arguments, TCliContext& context);
