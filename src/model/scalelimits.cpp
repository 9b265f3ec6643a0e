#include "model/scalelimits.h"

#include "model/catalogue.h"

namespace {

QString fixed2(double v)
{
    return QString::number(v, 'f', 2);
}

// An absent nominal value shows as an empty label, not as 0.00.
QString fixed2(std::optional<double> v)
{
    return v ? fixed2(*v) : QString();
}

// The limit labels stay shown here even after a card that hid them.
void setSensorLimits(ScaleLimits &out, const CardRecord &card)
{
    // A unit outside the table says nothing about the sensor: clear the name
    // and unit rather than guess a row, and keep the limits as they were.
    out.inputType = QString();
    const int unit = static_cast<int>(card.Unit);
    const SensorTable *table = card.kind().sensorTable();
    if (!table || unit < 0 || unit > 2)
        return;
    const SensorRangeRecord &row = (*table)[static_cast<std::size_t>(unit)];
    out.unit = row.Unit;
    if (card.InputType < 0 || card.InputType >= row.Names.size())
        return;
    const auto type = static_cast<std::size_t>(card.InputType);
    out.inputType = row.Names.at(card.InputType);
    const LimitPair limits{fixed2(row.LowLimit[type]), fixed2(row.HighLimit[type])};
    out.base = {limits, limits};
}

void setNominalLimits(ScaleLimits &out, const CardRecord &card)
{
    const CardKind &kind = card.kind();
    out.baseLimitsShown = kind.baseLimitsShown;
    const QString low = out.baseLimitsShown ? fixed2(kind.rangeLow) : QString();
    for (std::size_t n = 0; n < 2; ++n)
        out.base[n] = LimitPair{low, fixed2(kind.baseHigh(card.AuxSetting[n]))};
    out.unit = kind.rangeUnit ? QString::fromLatin1(kind.rangeUnit) : QString();
}

} // namespace

std::optional<ScaleLimits> ScaleLimitsFor(const CardRecord &card)
{
    const CardKind &kind = card.kind();
    if (!kind.known())
        return std::nullopt;

    ScaleLimits out;
    // Kinds 20 and 21 get the same scale labels as every other analog kind;
    // leaving them as they were showed whatever the previous card had set.
    if (kind.hasScale())
        out.scale = std::array<LimitPair, 4>{{
            {QString::number(ZScaleLLmt), QString::number(ZScaleHLmt)},
            {QString::number(FScaleLLmt), QString::number(FScaleHLmt)},
            {fixed2(BiasLLmt), fixed2(BiasHLmt)},
            {QString::number(GainLLmt, 'f', 4), QString::number(GainHLmt, 'f', 4)},
        }};

    if (card.hasSensor())
        setSensorLimits(out, card);
    else
        setNominalLimits(out, card);

    out.baseRowsShown = kind.baseRowsShown;
    return out;
}
