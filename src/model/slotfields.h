#pragma once

#include "model/cardrecord.h"

#include <QList>
#include <QString>

// One value of a slot as a parameter file holds it.
struct SlotField
{
    QString name; // "model", "parameter 3", "channel data 2"
    QString value;
    // Live values, not settings: channel data (states of discrete cards)
    // and the counts of pulse cards.
    bool informational = false;
};

// The input type's name for thermocouple and RTD cards, else empty.
QString InputTypeName(const CardRecord &r);
QString LimitStateName(int state);
// The fields in file order: model, version, input type, burnout,
// parameter 1..12, channel data 1..16, limit state.
QList<SlotField> SlotFields(const CardRecord &r);
