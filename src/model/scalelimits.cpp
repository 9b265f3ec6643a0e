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

bool inRange(int v, int low, int high)
{
    return v >= low && v <= high;
}

// Kinds 20 and 21 get the same scale labels as every other analog kind;
// leaving them as they were showed whatever the previous card had set.
bool hasScale(int kind)
{
    return inRange(kind, 0, 11) || inRange(kind, 18, 33) || inRange(kind, 35, 40);
}

// High end of a base row for the transformer kinds, whose range the card's
// range setting chooses; the other kinds have one nominal range.
std::optional<double> baseHigh(int kind, int aux)
{
    if (kind == 18 || kind == 19)
        return aux == 1 ? 150 : 300;
    if (kind == 30 || kind == 31) {
        switch (aux) {
        case 3:
            return 80;
        case 2:
            return 120;
        case 1:
            return 300;
        default:
            return 500;
        }
    }
    if (kind == 32 || kind == 33) {
        switch (aux) {
        case 4:
            return 50;
        case 3:
            return 100;
        case 2:
            return 200;
        case 1:
            return 400;
        default:
            return 600;
        }
    }
    return KindRangeHigh(kind);
}

// The limit labels stay shown here even after a card that hid them.
void setSensorLimits(ScaleLimits &out, const CardRecord &card)
{
    // A unit outside the table says nothing about the sensor: clear the name
    // and unit rather than guess a row, and keep the limits as they were.
    out.inputType = QString();
    if (!inRange(card.TempUnit, 0, 2))
        return;
    const bool narrow =
        card.inputClass() == InputClass::Rtd && KindHasNarrowRtdRange(card.ModelKind);
    const SensorTable &table = card.inputClass() == InputClass::Thermocouple ? TCTable()
                               : narrow                                      ? RTD2Table()
                                                                             : RTDTable();
    const SensorRangeRecord &row = table[static_cast<std::size_t>(card.TempUnit)];
    out.unit = row.Unit;
    if (!inRange(card.InputType, 0, static_cast<int>(row.Names.size()) - 1))
        return;
    const auto type = static_cast<std::size_t>(card.InputType);
    out.inputType = row.Names.at(card.InputType);
    const LimitPair limits{fixed2(row.LowLimit[type]), fixed2(row.HighLimit[type])};
    out.base = {limits, limits};
}

void setNominalLimits(ScaleLimits &out, const CardRecord &card)
{
    const int kind = card.ModelKind;
    // The early voltage/current cards have no fixed input range to show.
    out.baseLimitsShown = !(inRange(kind, 0, 11) || kind == 25);
    const QString low = out.baseLimitsShown ? fixed2(KindRangeLow(kind)) : QString();
    for (std::size_t n = 0; n < 2; ++n)
        out.base[n] = LimitPair{low, fixed2(baseHigh(kind, card.AuxSetting[n]))};
    out.unit = KindRangeUnit(kind).value_or(QString());
}

} // namespace

std::optional<ScaleLimits> ScaleLimitsFor(const CardRecord &card)
{
    const int kind = card.ModelKind;
    if (!inRange(kind, 0, kKindCount - 1))
        return std::nullopt;

    ScaleLimits out;
    if (hasScale(kind))
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

    out.baseRowsShown = !(kind == 10 || kind == 11 || kind == 25);
    return out;
}
