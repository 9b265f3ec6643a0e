#include "sim/simulatedrack.h"

#include "link/trafficlog.h"
#include "model/encodings.h"
#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "sim/simvalues.h"

#include <optional>

namespace {

constexpr int kSlots = 16;

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\r') || line.endsWith('\n'))
        line.chop(1);
    return line;
}

// Card addresses and item codes are decimal; "4" and "04" name the same item.
std::optional<int> decimal(const QByteArray &text, bool allowMinus)
{
    const qsizetype from = allowMinus && text.startsWith('-') ? 1 : 0;
    if (text.size() <= from || text.size() > from + 5)
        return std::nullopt;
    for (qsizetype i = from; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    return text.toInt();
}

QByteArray withCr(QByteArray reply)
{
    return reply + '\r';
}

} // namespace

SimulatedRack::SimulatedRack(QObject *parent)
    : QObject(parent),
      m_comm(std::make_unique<SimCommCard>(QStringLiteral("V9-XS1-A"), QStringLiteral("1.05")))
{
    m_uptime.start();
    m_clock = [this] { return m_uptime.elapsed(); };
}

SimulatedRack::~SimulatedRack() = default;

void SimulatedRack::setCommCard(const QString &model, const QString &version)
{
    m_comm = std::make_unique<SimCommCard>(model, version);
    m_comm->setTimeoutRefused(m_timeoutRefused);
    updateInstalled();
}

bool SimulatedRack::insertCard(int slot, const QString &model, const QString &version)
{
    if (slot < 1 || slot > kSlots)
        return false;
    m_cards[static_cast<std::size_t>(slot)] = std::make_unique<SimCard>(model, version);
    updateInstalled();
    return true;
}

void SimulatedRack::removeCard(int slot)
{
    if (slot < 1 || slot > kSlots)
        return;
    m_cards[static_cast<std::size_t>(slot)].reset();
    updateInstalled();
}

bool SimulatedRack::isOccupied(int slot) const
{
    return card(slot) != nullptr;
}

SimCard *SimulatedRack::card(int slot) const
{
    if (slot < 1 || slot > kSlots)
        return nullptr;
    return m_cards[static_cast<std::size_t>(slot)].get();
}

SimSlot *SimulatedRack::slot(int n) const
{
    return n == 0 ? static_cast<SimSlot *>(m_comm.get()) : card(n);
}

void SimulatedRack::updateInstalled()
{
    quint16 mask = 0;
    for (int i = 1; i <= kSlots; ++i)
        if (card(i))
            mask |= static_cast<quint16>(1u << (i - 1));
    m_comm->setInstalled(mask);
}

QByteArray SimulatedRack::handle(const QByteArray &commandLine)
{
    ++m_commands;
    const QByteArray line = withoutLineEnd(commandLine);
    if (line.isEmpty())
        return withCr(kCng);
    const QByteArray arg = line.mid(1);
    switch (line.at(0)) {
    case 'G': {
        const auto n = decimal(arg, false);
        m_itemSelected = false;
        m_selected = n && slot(*n) ? *n : -1;
        return withCr(m_selected >= 0 ? QByteArrayLiteral("COK") : kCng);
    }
    case 'I': {
        // After a refused select the card answers nothing but refusals.
        SimSlot *s = m_selected >= 0 ? slot(m_selected) : nullptr;
        if (!s)
            return withCr(kCng);
        const auto n = decimal(arg, true);
        m_itemSelected = n && s->hasItem(*n);
        if (!m_itemSelected)
            return withCr(kCnu);
        m_item = *n;
        return withCr(s->read(m_item, nowMs()));
    }
    case 'D': {
        SimSlot *s = m_selected >= 0 ? slot(m_selected) : nullptr;
        if (!s || !m_itemSelected)
            return withCr(kCng);
        return withCr(s->write(m_item, QString::fromLatin1(arg)));
    }
    default:
        return withCr(kCng);
    }
}

int SimulatedRack::scopeOf(const QByteArray &line) const
{
    if (line.startsWith('G')) {
        const auto n = decimal(withoutLineEnd(line).mid(1), false);
        return n && *n >= 0 && *n <= kSlots ? *n : -1;
    }
    return m_selected;
}

QList<TimedBytes> SimulatedRack::respond(const QByteArray &commandLine)
{
    const int scope = scopeOf(commandLine);
    FaultScope &fs = scope >= 0 && m_cardFaults[static_cast<std::size_t>(scope)].set
                         ? m_cardFaults[static_cast<std::size_t>(scope)]
                         : m_rackFaults;
    ++fs.answered;
    SimFaults faults = fs.faults;
    if (faults.onlyItem >= 0 &&
        !(commandLine.startsWith('I') &&
          decimal(withoutLineEnd(commandLine).mid(1), true) == faults.onlyItem))
        faults = SimFaults{};
    // Pacing is the line's, whichever card answers.
    faults.pacing = faults.pacing || m_rackFaults.faults.pacing;
    const bool silenced = faults.silentAfter >= 0 && fs.answered > faults.silentAfter;

    // The command takes effect even when its reply is lost.
    QByteArray reply = handle(commandLine);
    if (faults.refuse)
        reply = withCr(kCng);
    ReplyShaper shaper(faults, m_random);
    const QList<TimedBytes> parts = shaper.shape(static_cast<int>(commandLine.size()), reply,
                                                 commandLine.startsWith('G'), silenced);

    QByteArray sent;
    for (const TimedBytes &p : parts)
        sent += p.bytes;
    m_charsIn += commandLine.size();
    m_charsOut += sent.size();
    m_addedDelayMs += shaper.addedDelayMs();
    if (m_log) {
        TrafficEntry entry;
        entry.startMs = m_log->nowMs();
        entry.command = commandLine;
        entry.reply = sent;
        entry.elapsedMs = parts.isEmpty() ? 0 : parts.last().atMs;
        entry.timedOut = parts.isEmpty();
        m_log->append(std::move(entry));
    }
    return parts;
}

void SimulatedRack::setFaults(const SimFaults &faults)
{
    m_rackFaults = {faults, 0, true};
}

void SimulatedRack::setCardFaults(int slot, const SimFaults &faults)
{
    if (slot < 0 || slot > kSlots)
        return;
    m_cardFaults[static_cast<std::size_t>(slot)] = {faults, 0, faults.any()};
}

void SimulatedRack::clearFaults()
{
    m_rackFaults = {};
    m_cardFaults.fill({});
}

void SimulatedRack::setTimeoutRefused(bool refused)
{
    m_timeoutRefused = refused;
    m_comm->setTimeoutRefused(refused);
}

QString SimulatedRack::itemValue(int slotNo, int item) const
{
    const SimSlot *s = slot(slotNo);
    if (!s || !s->hasItem(item))
        return {};
    const QByteArray reply = s->read(item, nowMs());
    if (reply == kCng || reply == kCnu)
        return {};
    return TextAfterColon(QString::fromLatin1(reply.mid(1)));
}

bool SimulatedRack::setItemValue(int slotNo, int item, const QString &text)
{
    SimSlot *s = slot(slotNo);
    return s && s->setValue(item, text);
}

void SimulatedRack::resetCounters()
{
    m_commands = 0;
    m_charsIn = m_charsOut = m_addedDelayMs = 0;
}
