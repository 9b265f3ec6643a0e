#pragma once

#include "model/cardrecord.h"

#include <QList>
#include <QString>

struct Difference
{
    int slot = 0;
    QString field;
    QString fileValue;
    QString rackValue;
    bool informational = false; // does not count as a difference of settings
};

// The field of a slot whose models differ: its one difference, since
// another model's parameters mean other things.
inline const QString kModelField = QStringLiteral("Model");

// Every field in which the rack differs from the file, slot by slot.
QList<Difference> CompareTables(const CardTable &file, const CardTable &rack);
bool SettingsDiffer(const QList<Difference> &differences);
