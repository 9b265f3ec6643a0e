#include "model/slotfields.h"

#include "model/catalogue.h"
#include "model/parametercaptions.h"

#include <algorithm>

QString InputTypeName(const CardRecord &r)
{
    const QStringList *names = r.kind().sensorNames();
    return names ? names->value(r.InputType) : QString();
}

QString LimitStateName(LimitState state)
{
    switch (state) {
    case LimitState::Off:
        return QStringLiteral("off");
    case LimitState::On:
        return QStringLiteral("on");
    case LimitState::NotAvailable:
        break;
    }
    return QStringLiteral("not available");
}

QString ParameterName(const CardRecord &r, int k)
{
    const QString item = r.par(k).ItemNo;
    const QString number = QStringLiteral("parameter %1").arg(k);
    const bool hasItem = !item.isEmpty() && item != QLatin1String("-1");
    const QString caption = ParameterCaption(r, k);
    if (caption.isEmpty())
        return hasItem ? QStringLiteral("%1 (item %2)").arg(number, item) : number;
    return QStringLiteral("%1 (%2)").arg(
        caption, hasItem ? QStringLiteral("%1, item %2").arg(number, item) : number);
}

QList<SlotField> SlotFields(const CardRecord &r)
{
    QList<SlotField> f{
        {QStringLiteral("model"), r.ModelName},
        {QStringLiteral("version"), r.VerNo},
        {QStringLiteral("input type"), InputTypeName(r)},
        // A file keeps the first channel's burnout only.
        {QStringLiteral("burnout"), r.Burnout[0]},
    };
    // A pulse card's slots 1 and 7 hold its counts, which run on by themselves.
    const bool pulse = r.isPulse();
    for (int k = 1; k <= 12; ++k)
        f.append({ParameterName(r, k), r.par(k).Value,
                  pulse && std::ranges::find(kPulseCountSlots, k) != kPulseCountSlots.end()});
    for (int c = 1; c <= 16; ++c)
        f.append({QStringLiteral("channel data %1").arg(c),
                  r.ChData.at(static_cast<std::size_t>(c - 1)), true});
    f.append({QStringLiteral("limit state"), LimitStateName(r.Limit)});
    return f;
}
