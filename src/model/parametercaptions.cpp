#include "model/parametercaptions.h"

namespace {

// Analog editor rows in the order of a channel's six slots.
constexpr const char *kAnalogRows[6] = {"Zero scale",       "Full scale", "Bias [Zero adj.]",
                                        "Gain [Span adj.]", "Zero base",  "Full base"};

// Slot 1..12 as channel 1..2 and row 0..5.
int channelOf(int slot)
{
    return slot <= 6 ? 1 : 2;
}
int rowOf(int slot)
{
    return (slot - 1) % 6;
}

bool validSlot(const CardRecord &card, int slot)
{
    if (slot < 1 || slot > 12)
        return false;
    return channelOf(slot) <= card.channels();
}

} // namespace

QString ParameterCaption(const CardRecord &card, int slot)
{
    if (!validSlot(card, slot))
        return {};
    const QString channel = QStringLiteral(", Ch. %1").arg(channelOf(slot));
    if (card.isPulse()) {
        switch (rowOf(slot)) {
        case 0:
            return QStringLiteral("Count") + channel;
        case 1:
            return QStringLiteral("Span") + channel;
        default:
            return {};
        }
    }
    if (card.form() != FormType::Analog)
        return {};
    return QString::fromLatin1(kAnalogRows[rowOf(slot)]) + channel;
}

std::optional<LimitPair> ParameterRange(const CardRecord &card, int slot)
{
    if (ParameterCaption(card, slot).isEmpty())
        return std::nullopt;
    const int row = rowOf(slot);
    if (card.isPulse())
        return row == 1 ? std::optional<LimitPair>(
                              LimitPair{QStringLiteral("100"), QStringLiteral("60000")})
                        : std::nullopt;
    const auto limits = ScaleLimitsFor(card);
    if (!limits)
        return std::nullopt;
    if (row < 4)
        return limits->scale ? std::optional<LimitPair>(limits->scale->at(row)) : std::nullopt;
    if (!limits->baseRowsShown || !limits->baseLimitsShown)
        return std::nullopt;
    return limits->base.at(static_cast<std::size_t>(channelOf(slot) - 1));
}
