#pragma once

#include "cli/cliopts.h"

#include <QString>

// What --help prints: the whole tool's usage, or one command's.
QString HelpText(CliCommand command);
