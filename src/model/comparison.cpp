#include "model/comparison.h"

#include "model/slotfields.h"

#include <algorithm>

QList<Difference> CompareTables(const CardTable &file, const CardTable &rack)
{
    QList<Difference> out;
    for (int slot = 1; slot <= kCardCount; ++slot) {
        // Compared field by field, the rack's values would carry the file
        // model's captions.
        if (file[slot].ModelName != rack[slot].ModelName) {
            out.append({slot, kModelField, file[slot].ModelName, rack[slot].ModelName});
            continue;
        }
        const QList<SlotField> a = SlotFields(file[slot]);
        const QList<SlotField> b = SlotFields(rack[slot]);
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i].value != b[i].value)
                out.append({slot, a[i].name, a[i].value, b[i].value, a[i].informational});
    }
    return out;
}

bool SettingsDiffer(const QList<Difference> &differences)
{
    return std::any_of(differences.cbegin(), differences.cend(),
                       [](const Difference &d) { return !d.informational; });
}
