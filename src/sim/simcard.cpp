#include "sim/simcard.h"

#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "sim/simvalues.h"

namespace {

bool oneOf(const QString &s, std::initializer_list<const char *> texts)
{
    for (const char *t : texts)
        if (s == QLatin1String(t))
            return true;
    return false;
}

double numberOr(const QString &text, double fallback)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok ? v : fallback;
}

} // namespace

SimCard::SimCard(QString model, QString version)
    : m_model(std::move(model)), m_version(std::move(version)), m_kind(KindOfModel(m_model)),
      m_inputClass(m_kind == kNoCard ? 6 : KindInputClass(m_kind)),
      m_channels(m_kind == kNoCard ? 0 : KindChCount(m_kind))
{
    addItems();
}

void SimCard::add(int item, Role role, const char *prefix, QString value, int channel)
{
    m_items[item] = Item{role, QString::fromLatin1(prefix), std::move(value), channel};
}

void SimCard::addItems()
{
    add(1, Role::Selector, "SL", QStringLiteral("0"));
    add(2, Role::Model, "MD");
    add(40, Role::Version, "VR");
    if (m_kind == kNoCard)
        return;

    const bool pulse = m_inputClass == 4 || m_inputClass == 5;
    for (int slot = 1; slot <= 12; ++slot) {
        const int item = KindItemNo(slot, m_kind);
        if (item < 0)
            continue;
        const int ch = (slot - 1) / 6;
        switch ((slot - 1) % 6) {
        case 0:
            if (pulse)
                add(item, Role::Count, "CT", {}, ch);
            else
                add(item, Role::ZeroScale, "ZS", QStringLiteral("0"), ch);
            break;
        case 1:
            if (pulse)
                add(item, Role::Span, "SP", QStringLiteral("1000"), ch);
            else
                add(item, Role::FullScale, "FS", QStringLiteral("10000"), ch);
            break;
        case 2:
            add(item, Role::Bias, "BI", QStringLiteral("0.00"), ch);
            break;
        case 3:
            add(item, Role::Gain, "GA", QStringLiteral("1.000"), ch);
            break;
        case 4:
            add(item, Role::ZeroBase, "ZB", QStringLiteral("0"), ch);
            break;
        default:
            add(item, Role::FullBase, "FB", QStringLiteral("100"), ch);
            break;
        }
    }

    if (isDiscrete()) {
        const char *prefix = m_inputClass == 2 ? "DI" : "DO";
        for (int j = 0; j < m_channels; ++j)
            add(10 + j, Role::Channel, prefix, {}, j);
        add(26, Role::Packed, "DX");
    } else if (!pulse) {
        // Kinds 39 and 40 give their reading on item 22; on one-channel
        // cards item 11 is the bias, not a reading.
        if (m_kind == 39 || m_kind == 40) {
            add(22, Role::Live, "PV");
        } else {
            add(10, Role::Live, "PV");
            if (m_channels == 2)
                add(11, Role::Live, "PV", {}, 1);
        }
    }

    if (isTemperatureCard()) {
        add(6, Role::Unit, "UN", QStringLiteral("C"));
        add(8, Role::Sensor, "TY",
            m_inputClass == 0 ? QStringLiteral("K(CA)") : QStringLiteral("Pt100JIS'97"));
        add(9, Role::Burnout, "BO");
        // Thermocouple firmware before 1.0 has no limit function.
        if (m_inputClass == 1 || !m_version.startsWith(QLatin1Char('0')))
            add(37, Role::Limit, "LM", QStringLiteral("DIS"));
    }
    if (m_kind == 18 || m_kind == 30 || m_kind == 32) {
        add(24, Role::Range, "RG", QStringLiteral("1"));
    } else if (m_kind == 19 || m_kind == 31 || m_kind == 33) {
        add(37, Role::Range, "RG", QStringLiteral("1"));
        add(38, Role::Range, "RG", QStringLiteral("1"), 1);
    }
}

QByteArray SimCard::read(int item, qint64 nowMs) const
{
    const auto it = m_items.find(item);
    if (it == m_items.end())
        return kCnu;
    const Item &i = it->second;
    QString v;
    switch (i.role) {
    case Role::Model:
        v = m_model;
        break;
    case Role::Version:
        v = m_version;
        break;
    case Role::Live:
    case Role::Count:
        v = liveText(i, nowMs);
        break;
    case Role::Channel:
        v = (statesAt(nowMs) >> i.channel) & 1 ? QStringLiteral("1") : QStringLiteral("0");
        break;
    case Role::Packed:
        v = hex4(statesAt(nowMs));
        break;
    case Role::Burnout:
        v = m_burnout[static_cast<std::size_t>(m_burnoutChannel)];
        break;
    default:
        v = i.value;
        break;
    }
    return QByteArrayLiteral("0") + i.prefix.toLatin1() + ':' + v.toLatin1();
}

QByteArray SimCard::write(int item, const QString &data)
{
    const auto it = m_items.find(item);
    if (it == m_items.end())
        return kCnu;
    Item &i = it->second;
    if (!accepts(i, data))
        return kCng;
    switch (i.role) {
    case Role::Burnout:
        // The data picks the channel; the reply is that channel's setting.
        m_burnoutChannel = data.toInt();
        return QByteArrayLiteral("0BO:") +
               m_burnout[static_cast<std::size_t>(m_burnoutChannel)].toLatin1();
    case Role::Channel:
        m_states = data == QLatin1String("1") ? m_states | (1u << i.channel)
                                              : m_states & ~(1u << i.channel);
        break;
    case Role::Packed:
        m_states = *parseHex4(data) & channelMask();
        break;
    case Role::Limit:
        i.value = data == QLatin1String("1") ? QStringLiteral("ENA") : QStringLiteral("DIS");
        break;
    default:
        i.value = data;
        break;
    }
    return QByteArrayLiteral("0:") + data.toLatin1();
}

bool SimCard::accepts(const Item &item, const QString &data) const
{
    switch (item.role) {
    case Role::Selector:
        return oneOf(data, {"0", "1"});
    case Role::ZeroScale:
    case Role::FullScale:
    case Role::ZeroBase:
    case Role::FullBase:
        return isNumberIn(data, ZScaleLLmt, ZScaleHLmt);
    case Role::Bias:
        return isNumberIn(data, BiasLLmt, BiasHLmt);
    case Role::Gain:
        return isNumberIn(data, GainLLmt, GainHLmt);
    case Role::Span:
        return isNumberIn(data, SpanLLmt, SpanHLmt);
    case Role::Channel:
        return m_inputClass == 3 && oneOf(data, {"0", "1"});
    case Role::Packed:
        return m_inputClass == 3 && parseHex4(data).has_value();
    case Role::Burnout:
        return wholeNumber(data, 0, m_channels - 1).has_value();
    case Role::Unit:
        return oneOf(data, {"C", "F", "K"});
    case Role::Limit:
        return oneOf(data, {"0", "1"});
    case Role::Range:
        return wholeNumber(data, 0, 9).has_value();
    case Role::Sensor: {
        if (m_inputClass == 0)
            return TCTable()[0].Names.contains(data);
        // The narrow-range RTD cards take only the platinum types.
        if (m_kind == 28 || m_kind == 29)
            return data != QLatin1String("-") && RTD2Table()[0].Names.contains(data);
        return RTDTable()[0].Names.contains(data);
    }
    default:
        return false; // model, version and readings are the card's own
    }
}

bool SimCard::setValue(int item, const QString &text)
{
    const auto it = m_items.find(item);
    if (it == m_items.end())
        return false;
    Item &i = it->second;
    switch (i.role) {
    case Role::Model:
    case Role::Version:
    case Role::Live:
    case Role::Count:
        return false;
    case Role::Channel:
        if (!oneOf(text, {"0", "1"}))
            return false;
        setStates(text == QLatin1String("1") ? m_states | (1u << i.channel)
                                             : m_states & ~(1u << i.channel));
        return true;
    case Role::Packed: {
        const auto bits = parseHex4(text);
        if (bits)
            setStates(*bits);
        return bits.has_value();
    }
    case Role::Burnout:
        return setBurnout(m_burnoutChannel, text);
    default:
        i.value = text;
        return true;
    }
}

bool SimCard::setBurnout(int channel, const QString &text)
{
    if (!isTemperatureCard() || channel < 0 || channel >= m_channels)
        return false;
    m_burnout[static_cast<std::size_t>(channel)] = text;
    return true;
}

QString SimCard::liveText(const Item &item, qint64 nowMs) const
{
    auto valueOf = [this](int itemNo, double fallback) {
        const auto it = m_items.find(itemNo);
        return it == m_items.end() ? fallback : numberOr(it->second.value, fallback);
    };
    if (item.role == Role::Count) {
        const double span = valueOf(14 + item.channel, 1000);
        return QString::number(driftingValue(0, span, item.channel, nowMs), 'f', 1);
    }
    if (isTemperatureCard()) {
        // A process a little above room temperature where the sensor reaches
        // it, else the bottom of the sensor's range; shown in the card's unit.
        const SensorTable &table = m_inputClass == 0 ? TCTable() : RTDTable();
        const auto type = static_cast<std::size_t>(
            std::max<qsizetype>(0, table[0].Names.indexOf(m_items.at(8).value)));
        const double lowC = table[0].LowLimit[type];
        const double from = std::max(lowC, 20.0);
        const double to = std::min(table[0].HighLimit[type], from + 60.0);
        const double c = driftingValue(from, to, item.channel, nowMs);
        const QString unit = m_items.at(6).value;
        const double v = unit == QLatin1String("F")   ? c * 1.8 + 32
                         : unit == QLatin1String("K") ? c + 273
                                                      : c;
        return QString::number(v, 'f', 1);
    }
    double lo = valueOf(KindItemNo(1 + 6 * item.channel, m_kind), 0);
    double hi = valueOf(KindItemNo(2 + 6 * item.channel, m_kind), 100);
    if (lo == hi)
        hi = lo + 100;
    return QString::number(driftingValue(lo, hi, item.channel, nowMs), 'f', 2);
}

quint16 SimCard::statesAt(qint64 nowMs) const
{
    if (m_inputClass == 2)
        return toggledInputs(m_states, m_channels, nowMs) & channelMask();
    return m_states;
}

quint16 SimCard::channelMask() const
{
    return m_channels >= 16 ? 0xFFFF : static_cast<quint16>((1u << m_channels) - 1);
}
