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
    : m_model(std::move(model)), m_version(std::move(version)), m_kind(KindOf(KindOfModel(m_model)))
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
    if (!m_kind.known())
        return;

    const bool pulse = m_kind.isPulse();
    for (int slot = 1; slot <= 12; ++slot) {
        const int item = m_kind.itemNo(slot);
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
        const char *prefix = m_kind.inputClass == InputClass::DiscreteIn ? "DI" : "DO";
        for (int j = 0; j < channels(); ++j)
            add(m_kind.liveItemOf(j + 1), Role::Channel, prefix, {}, j);
        add(m_kind.statesItem, Role::Packed, "DX");
    } else if (!pulse) {
        // On one-channel cards item 11 is the bias, not a reading.
        for (int j = 0; j < channels(); ++j)
            add(m_kind.liveItemOf(j + 1), Role::Live, "PV", {}, j);
    }

    if (isTemperatureCard()) {
        add(6, Role::Unit, "UN", QStringLiteral("C"));
        add(8, Role::Sensor, "TY",
            m_kind.inputClass == InputClass::Thermocouple ? QStringLiteral("K(CA)")
                                                          : QStringLiteral("Pt100JIS'97"));
        add(9, Role::Burnout, "BO");
        // Thermocouple firmware before 1.0 has no limit function.
        if (m_kind.inputClass == InputClass::Rtd || !m_version.startsWith(QLatin1Char('0')))
            add(37, Role::Limit, "LM", QStringLiteral("DIS"));
    }
    for (int ch = 0; ch < 2; ++ch)
        if (const int item = m_kind.rangeItems.at(static_cast<std::size_t>(ch)); item >= 0)
            add(item, Role::Range, "RG", QStringLiteral("1"), ch);
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
        return m_kind.inputClass == InputClass::DiscreteOut && oneOf(data, {"0", "1"});
    case Role::Packed:
        return m_kind.inputClass == InputClass::DiscreteOut && parseHex4(data).has_value();
    case Role::Burnout:
        return wholeNumber(data, 0, channels() - 1).has_value();
    case Role::Unit:
        return oneOf(data, {"C", "F", "K"});
    case Role::Limit:
        return oneOf(data, {"0", "1"});
    case Role::Range:
        return wholeNumber(data, 0, 9).has_value();
    case Role::Sensor: {
        // The narrow-range RTD cards take only the types their table has
        // a range for ("-" marks the others).
        const SensorTable *table = m_kind.sensorTable();
        return table && data != QLatin1String("-") && (*table)[0].Names.contains(data);
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
    if (!isTemperatureCard() || channel < 0 || channel >= channels())
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
        const SensorTable &table = *m_kind.sensorTable();
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
    double lo = valueOf(m_kind.itemNo(1 + 6 * item.channel), 0);
    double hi = valueOf(m_kind.itemNo(2 + 6 * item.channel), 100);
    if (lo == hi)
        hi = lo + 100;
    return QString::number(driftingValue(lo, hi, item.channel, nowMs), 'f', 2);
}

quint16 SimCard::statesAt(qint64 nowMs) const
{
    if (m_kind.inputClass == InputClass::DiscreteIn)
        return toggledInputs(m_states, channels(), nowMs) & channelMask();
    return m_states;
}

quint16 SimCard::channelMask() const
{
    return channels() >= 16 ? 0xFFFF : static_cast<quint16>((1u << channels()) - 1);
}
