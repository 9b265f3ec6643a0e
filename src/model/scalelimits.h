#pragma once

#include "model/cardrecord.h"

#include <QString>
#include <array>
#include <optional>

// One range shown as ( low --- high ) beside a parameter.
struct LimitPair
{
    QString low;
    QString high;
    friend bool operator==(const LimitPair &, const LimitPair &) = default;
};

// What the analog card editor shows beside its parameters for one card:
// the ranges, the unit of the base rows, which rows and labels show, and the
// sensor type name. A part left nullopt leaves the window as it is.
struct ScaleLimits
{
    // Zero scale, full scale, bias and gain, the same for both channels.
    std::optional<std::array<LimitPair, 4>> scale;
    // The range of the zero base and full base rows of channel 1 and 2.
    std::array<std::optional<LimitPair>, 2> base;
    // The base limit labels and the marks that frame them.
    bool baseLimitsShown = true;
    // The four unit labels of the base rows.
    QString unit;
    // The zero base and full base rows of both channels.
    bool baseRowsShown = true;
    // Thermocouple or RTD sensor name.
    std::optional<QString> inputType;
};

// The limits for a card; nullopt for a slot without a known card (kind 99),
// which leaves the window exactly as it was.
std::optional<ScaleLimits> ScaleLimitsFor(const CardRecord &card);
