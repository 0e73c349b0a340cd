#pragma once

#include "cli/CliCommand.h"

// kelvo-cli substance export [CODE ...] [--format csv|json] FILE and substance import FILE
// [--replace|--skip|--rename]: the arguments after the action.
int RunSubstanceExport(QStringList arguments, TCliContext& context);
int RunSubstanceImport(QStringList arguments, TCliContext& context);
