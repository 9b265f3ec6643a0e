// The reply path: a rack answers the commands of a SerialLine on a MemoryPort
// in pieces and with pauses, and every result a transaction hands back is
// checked.
//
// Input: four header bytes h0..h3, then the rest.
//   h0 bit 4:    a spent rest leaves the rack silent (else the port fails,
//                which ends the waits at once and keeps runs short)
//   h0 bit 5:    the simulated demo rack answers (else a free stream)
//
// Free stream: the rack answers each command with the next bytes of the rest,
// whatever they are. A result must be reply text from the line: no CR, no
// outer blanks, bytes the rack really sent.
//   h0 bits 0-1: pieces per reply (1..4)
//   h0 bit 2:    a reply runs to the next CR (else pieces of h1 bytes)
//   h0 bit 3:    the first piece comes at once, inside the write
//   h1 bits 0-3: piece size - 1
//   h2, h3:      pause before piece i, nibble i, modulo 6 (0..5 ms)
//
// Simulated rack: every command gets the demo rack's true reply, and the
// card acts on it even when the reply is lost. Two bytes of the rest per
// reply say how it travels:
//   c0 bits 0-1: pieces (1..4)
//   c0 bits 2-3: 0, 1 in time; 2 first piece after the time-out; 3 lost
//   c0 bit 4:    CR LF
//   c0 bit 5:    the first piece comes at once, inside the write
//   c1:          pause before piece i, bits 2i..2i+1 (0..3 ms)
//   h1, h2:      the value written to full scale
// No pause reaches the line's guard time, so a sound line never hands one
// command's reply to another: each answered value must be what the card
// holds for that item, as the card itself would answer it.
#include "link/memoryport.h"
#include "link/serialline.h"
#include "link/transactions.h"
#include "sim/demorack.h"
#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "sim/simulatedrack.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace {

constexpr LinkTiming kStreamTiming{20, 0, 3};
constexpr LinkTiming kSimTiming{20, 0, 8};

struct Piece
{
    int delayMs = 0;
    QByteArray bytes;
    bool hangUp = false;
};

// One serial line: pieces go out strictly in order, one timer at a time, so
// a late piece of one reply never overtakes the next reply.
class Rack
{
public:
    Rack(MemoryPort *port, bool silentAtEnd) : m_port(port), m_silentAtEnd(silentAtEnd) {}
    virtual ~Rack() = default;

    void commandWritten(const QByteArray &command)
    {
        const bool atOnce = queueReply(command);
        if (m_busy || m_queue.empty())
            return;
        if (atOnce && !m_queue.front().hangUp) {
            m_port->inject(m_queue.front().bytes);
            m_queue.pop_front();
        }
        pump();
    }

protected:
    // Queues the reply to command; true when its first piece comes at once.
    virtual bool queueReply(const QByteArray &command) = 0;

    void queue(int delayMs, const QByteArray &bytes)
    {
        if (!bytes.isEmpty())
            m_queue.push_back({delayMs, bytes, false});
    }
    void spent()
    {
        if (!m_silentAtEnd)
            m_queue.push_back({0, {}, true});
    }

private:
    void pump()
    {
        if (m_queue.empty()) {
            m_busy = false;
            return;
        }
        m_busy = true;
        // The port owns the timer: a run's leftovers die with its port.
        QTimer::singleShot(m_queue.front().delayMs, Qt::PreciseTimer, m_port, [this] {
            const Piece p = m_queue.front();
            m_queue.pop_front();
            if (p.hangUp)
                m_port->fail(QStringLiteral("rack gone"));
            else
                m_port->inject(p.bytes);
            pump();
        });
    }

    MemoryPort *m_port;
    bool m_silentAtEnd;
    std::deque<Piece> m_queue;
    bool m_busy = false;
};

class StreamRack final : public Rack
{
public:
    StreamRack(MemoryPort *port, const uint8_t *h, QByteArray stream)
        : Rack(port, h[0] & 16), m_stream(std::move(stream))
    {
        m_pieces = 1 + (h[0] & 3);
        m_lineMode = h[0] & 4;
        m_firstAtOnce = h[0] & 8;
        m_pieceSize = 1 + (h[1] & 15);
        m_delays = static_cast<quint16>(h[2] | h[3] << 8);
    }

    const QByteArray &stream() const { return m_stream; }

private:
    bool queueReply(const QByteArray &) override
    {
        const QByteArray reply = nextReply();
        if (reply.isEmpty()) {
            spent();
            return false;
        }
        const qsizetype n = m_lineMode ? m_pieces : (reply.size() + m_pieceSize - 1) / m_pieceSize;
        for (qsizetype i = 0; i < n; ++i) {
            const qsizetype from = m_lineMode ? reply.size() * i / n : i * m_pieceSize;
            const qsizetype to =
                m_lineMode ? reply.size() * (i + 1) / n : qMin(reply.size(), from + m_pieceSize);
            queue((m_delays >> (4 * (i % 4)) & 15) % 6, reply.mid(from, to - from));
        }
        return m_firstAtOnce;
    }

    QByteArray nextReply()
    {
        if (m_pos >= m_stream.size())
            return {};
        qsizetype end;
        if (m_lineMode) {
            const qsizetype cr = m_stream.indexOf('\r', m_pos);
            end = cr < 0 ? m_stream.size() : cr + 1;
            if (end < m_stream.size() && m_stream.at(end) == '\n')
                ++end;
        } else {
            end = qMin(m_stream.size(), m_pos + m_pieces * m_pieceSize);
        }
        const QByteArray reply = m_stream.mid(m_pos, end - m_pos);
        m_pos = end;
        return reply;
    }

    QByteArray m_stream;
    qsizetype m_pos = 0;
    int m_pieces = 1;
    int m_pieceSize = 1;
    bool m_lineMode = false;
    bool m_firstAtOnce = false;
    quint16 m_delays = 0;
};

class SimRack final : public Rack
{
public:
    SimRack(MemoryPort *port, const uint8_t *h, QByteArray travel)
        : Rack(port, h[0] & 16), m_travel(std::move(travel)), m_sim(DemoRack())
    {
        // Live values stand still, so every item has one right answer.
        m_sim->setClock([] { return qint64(0); });
    }

    SimulatedRack &sim() { return *m_sim; }

private:
    bool queueReply(const QByteArray &command) override
    {
        const QByteArray reply = m_sim->handle(command);
        if (m_pos + 2 > m_travel.size()) {
            spent();
            return false;
        }
        const auto c0 = static_cast<uint8_t>(m_travel.at(m_pos));
        const auto c1 = static_cast<uint8_t>(m_travel.at(m_pos + 1));
        m_pos += 2;
        const int fate = c0 >> 2 & 3;
        if (fate == 3)
            return false;
        const QByteArray bytes = c0 & 16 ? reply + '\n' : reply;
        const qsizetype n = 1 + (c0 & 3);
        for (qsizetype i = 0; i < n; ++i) {
            int delay = c1 >> (2 * i) & 3;
            if (i == 0 && fate == 2)
                delay += kSimTiming.replyTimeoutMs;
            queue(delay, bytes.mid(bytes.size() * i / n,
                                   bytes.size() * (i + 1) / n - bytes.size() * i / n));
        }
        return fate != 2 && (c0 & 32);
    }

    QByteArray m_travel;
    qsizetype m_pos = 0;
    std::unique_ptr<SimulatedRack> m_sim;
};

[[noreturn]] void fault(const char *what, const QString &result)
{
    std::fprintf(stderr, "reply: %s: \"%s\"\n", what,
                 result.toLatin1().toPercentEncoding().constData());
    std::abort();
}

// What a transaction hands back is reply text from the line: no CR, no outer
// blanks.
void checkShape(const char *what, const QString &result)
{
    if (result.contains(u'\r'))
        fault(what, result);
    if (result.startsWith(u' ') || result.endsWith(u' '))
        fault(what, result);
}

void checkFromStream(const char *what, const QString &result, const QByteArray &stream)
{
    checkShape(what, result);
    if (!result.isEmpty() && !stream.contains(result.toLatin1()))
        fault(what, result);
}

// An answered read is the card's own answer for that item, a refusal only
// where the card refuses.
void checkRead(const char *what, const QString &result, SimulatedRack &sim, int slot, int item)
{
    checkShape(what, result);
    if (result.isEmpty())
        return;
    const SimSlot *card = slot == 0 ? static_cast<SimSlot *>(&sim.commCard()) : sim.card(slot);
    const QByteArray own = card->read(item, sim.nowMs());
    const bool right = result == QLatin1String("NEEDLESS") ? own == "CNU"
                       : result == QLatin1String("CNG")    ? own == "CNG"
                                                           : result == QLatin1String(own.mid(1));
    if (!right)
        fault(what, result + QStringLiteral(" where the card answers ") + QLatin1String(own));
}

void runStream(SerialLine &line, MemoryPort *port, const StreamRack &rack)
{
    const QString read = ReadItem(line, 1, QStringLiteral("5"), QStringLiteral("2"));
    if (read == QLatin1String("NEEDLESS")) {
        if (!rack.stream().contains("CNU"))
            fault("NEEDLESS without CNU", read);
    } else {
        checkFromStream("ReadItem", read, rack.stream());
    }

    // A rack that hung up is plugged in again; the line keeps its state.
    if (!port->isOpen())
        port->open(QStringLiteral("1200,n,8,1"));
    const QString written =
        WriteItem(line, 1, QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("0"));
    checkFromStream("WriteItem", written, rack.stream());
}

// Replies that look alike (a select's "COK", a version on two cards) and an
// item the card lacks, so a reply taken for another command shows.
void runSimulated(SerialLine &line, SimRack &rack, const uint8_t *h)
{
    SimulatedRack &sim = rack.sim();
    auto read = [&](const char *what, int slot, int item) {
        const QString address = slot == 0 ? QStringLiteral("00") : QString::number(slot);
        checkRead(what, ReadItem(line, 1, address, QString::number(item)), sim, slot, item);
    };
    read("model of 5", 5, 2);
    const QString value = QString::number(int(h[1] | h[2] << 8) % 64001 - 32000);
    const QString written = WriteItem(line, 1, QStringLiteral("5"), QStringLiteral("14"), value);
    checkShape("write of 5/14", written);
    if (!written.isEmpty() &&
        (written != QLatin1Char(':') + value || sim.itemValue(5, 14) != value))
        fault("write of 5/14", written + QStringLiteral(" for ") + value);
    read("full scale of 5", 5, 14);
    read("version of 1", 1, 40);
    read("version of 00", 0, 40);
    read("installed cards", 0, 6);
    read("item 24 of 5", 5, 24);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_reply";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    uint8_t h[4] = {};
    const size_t header = size < 4 ? size : 4;
    for (size_t i = 0; i < header; ++i)
        h[i] = data[i];
    const QByteArray rest(reinterpret_cast<const char *>(data + header),
                          static_cast<qsizetype>(size - header));
    const bool simulated = h[0] & 32;

    auto owned = std::make_unique<MemoryPort>();
    MemoryPort *port = owned.get();
    std::unique_ptr<Rack> rack;
    if (simulated)
        rack = std::make_unique<SimRack>(port, h, rest);
    else
        rack = std::make_unique<StreamRack>(port, h, rest);
    port->open(QStringLiteral("1200,n,8,1"));
    QObject::connect(port, &MemoryPort::written, port,
                     [&rack](const QByteArray &command) { rack->commandWritten(command); });

    SerialLine line;
    line.setTiming(simulated ? kSimTiming : kStreamTiming);
    line.attachPort(std::move(owned));
    if (simulated)
        runSimulated(line, static_cast<SimRack &>(*rack), h);
    else
        runStream(line, port, static_cast<const StreamRack &>(*rack));
    return 0;
}
