#pragma once

#include "model/cardrecord.h"

#include <QString>
#include <optional>

// A parameter file read whole; nullopt and the reason, naming the file,
// when it cannot be.
std::optional<CardTable> LoadParameterFile(const QString &path, QString *error);

// Why a file could not be created or replaced at path, or empty. Checked
// before talking to the rack, so a typo does not cost a whole upload.
QString OutputPathProblem(const QString &path);
