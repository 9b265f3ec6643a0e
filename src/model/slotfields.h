#pragma once

#include "model/cardrecord.h"

#include <QList>
#include <QString>

// One value of a slot as a parameter file holds it.
struct SlotField
{
    // "model", "Full scale, Ch. 1 (parameter 2, item 12)", "channel data 2"
    QString name;
    QString value;
    // Live values, not settings: channel data (states of discrete cards)
    // and the counts of pulse cards.
    bool informational = false;
};

// The input type's name for thermocouple and RTD cards, else empty.
QString InputTypeName(const CardRecord &r);
QString LimitStateName(LimitState state);
// Parameter k (1..12) as the card's editor captions it, with the raw slot
// and item beside it: "Full scale, Ch. 1 (parameter 2, item 12)". A slot
// the editor does not show is "parameter 7 (item 17)"; the item is left
// out where the card's kind has none.
QString ParameterName(const CardRecord &r, int k);
// The fields in file order: model, version, input type, burnout,
// parameter 1..12, channel data 1..16, limit state.
QList<SlotField> SlotFields(const CardRecord &r);
