#pragma once

#include "model/cardrecord.h"
#include "model/scalelimits.h"

#include <QString>
#include <optional>

// How a parameter slot is named where an operator reads it: the card
// editor's row caption and the channel frame, "Full scale, Ch. 1" or
// "Span, Ch. 2". Empty for a slot the card's editor does not show.
QString ParameterCaption(const CardRecord &card, int slot);

// The range the catalogue gives for a parameter slot, as the editor shows it
// beside the box; nullopt where none is known.
std::optional<LimitPair> ParameterRange(const CardRecord &card, int slot);
