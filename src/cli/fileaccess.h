#pragma once

#include "link/result.h"
#include "model/cardrecord.h"

#include <QString>
#include <optional>

// A parameter file read whole; a failure's reason names the file as given.
Result<CardTable> LoadParameterFile(const QString &path);

// Why a file could not be created or replaced at path, or empty. Checked
// before talking to the rack, so a typo does not cost a whole upload.
QString OutputPathProblem(const QString &path);
