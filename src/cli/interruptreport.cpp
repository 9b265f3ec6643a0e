#include "cli/interruptreport.h"

#include "model/catalogue.h"

#include <QStringList>

namespace {

// "slot 4", "slots 1-3, 5, 7-16"
QString slotList(const QList<int> &list)
{
    QStringList ranges;
    for (qsizetype i = 0; i < list.size();) {
        qsizetype j = i;
        while (j + 1 < list.size() && list[j + 1] == list[j] + 1)
            ++j;
        ranges << (i == j ? QString::number(list[i])
                          : QStringLiteral("%1-%2").arg(list[i]).arg(list[j]));
        i = j + 1;
    }
    return (list.size() == 1 ? QStringLiteral("slot ") : QStringLiteral("slots ")) +
           ranges.join(QStringLiteral(", "));
}

} // namespace

SlotProgress UploadProgress(int read)
{
    SlotProgress p;
    for (int slot = 1; slot <= kCardCount; ++slot)
        (slot <= read ? p.done : p.notDone) << slot;
    return p;
}

SlotProgress DownloadProgress(const CardTable &cards, int lastSlotDone, bool cutShort)
{
    SlotProgress p;
    for (int slot = 1; slot <= kCardCount; ++slot) {
        // Slots without a known card take no writes either way.
        if (!cards[slot].holdsCard())
            continue;
        if (slot <= lastSlotDone)
            p.done << slot;
        else if (cutShort && p.partly == 0)
            p.partly = slot;
        else
            p.notDone << slot;
    }
    return p;
}

QString SlotProgressText(const SlotProgress &progress, const QString &verb)
{
    QStringList parts;
    parts << (progress.done.isEmpty() ? QStringLiteral("no slot %1").arg(verb)
                                      : QStringLiteral("%1 %2").arg(slotList(progress.done), verb));
    if (progress.partly)
        parts << QStringLiteral("slot %1 may be partly %2").arg(progress.partly).arg(verb);
    if (!progress.notDone.isEmpty())
        parts << QStringLiteral("%1 not %2").arg(slotList(progress.notDone), verb);
    return parts.join(QStringLiteral("; "));
}
