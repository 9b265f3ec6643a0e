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
// holds for that item, as the card itself would answer it. A run in which
// the process was held up past a piece's time is not judged (see SimRack).
#include "link/memoryport.h"
#include "link/serialline.h"
#include "link/transactions.h"
#include "sim/demorack.h"
#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "sim/simulatedrack.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace {

constexpr LinkTiming kStreamTiming{20, 0, 3};
// Pauses are at most 3 ms and a late first piece comes at most 3 ms after
// the time-out, well inside the guard; a whole late reply is in before the
// resynchronisation's own limit (one more time-out) could let the next
// command go.
// A late first piece comes at most 3 ms after the time-out and pauses are at
// most 3 ms: far inside the guard, and the whole reply is in long before the
// resynchronisation's own limit (one more time-out) lets the next command go.
constexpr LinkTiming kSimTiming{40, 0, 20};

class Rack
{
public:
    virtual ~Rack() = default;
    virtual void commandWritten(const QByteArray &command) = 0;
};

// Answers each command with the next bytes of the stream. Pieces go out
// strictly in order, one timer at a time, so a late piece of one reply never
// overtakes the next reply.
class StreamRack final : public Rack
{
public:
    StreamRack(MemoryPort *port, const uint8_t *h, QByteArray stream)
        : m_port(port), m_stream(std::move(stream))
    {
        m_pieces = 1 + (h[0] & 3);
        m_lineMode = h[0] & 4;
        m_firstAtOnce = h[0] & 8;
        m_silentAtEnd = h[0] & 16;
        m_pieceSize = 1 + (h[1] & 15);
        m_delays = static_cast<quint16>(h[2] | h[3] << 8);
    }

    const QByteArray &stream() const { return m_stream; }

    void commandWritten(const QByteArray &) override
    {
        const QByteArray reply = nextReply();
        if (reply.isEmpty()) {
            if (!m_silentAtEnd)
                m_queue.push_back({0, {}, true});
        } else {
            const qsizetype n =
                m_lineMode ? m_pieces : (reply.size() + m_pieceSize - 1) / m_pieceSize;
            for (qsizetype i = 0; i < n; ++i) {
                const qsizetype from = m_lineMode ? reply.size() * i / n : i * m_pieceSize;
                const qsizetype to = m_lineMode ? reply.size() * (i + 1) / n
                                                : qMin(reply.size(), from + m_pieceSize);
                const int delay = (m_delays >> (4 * (i % 4)) & 15) % 6;
                if (to > from)
                    m_queue.push_back({delay, reply.mid(from, to - from), false});
            }
        }
        if (m_busy || m_queue.empty())
            return;
        if (m_firstAtOnce && !m_queue.front().hangUp) {
            m_port->inject(m_queue.front().bytes);
            m_queue.pop_front();
        }
        pump();
    }

private:
    struct Piece
    {
        int delayMs = 0;
        QByteArray bytes;
        bool hangUp = false;
    };

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
    QByteArray m_stream;
    qsizetype m_pos = 0;
    int m_pieces = 1;
    int m_pieceSize = 1;
    bool m_lineMode = false;
    bool m_firstAtOnce = false;
    bool m_silentAtEnd = false;
    quint16 m_delays = 0;
    std::deque<Piece> m_queue;
    bool m_busy = false;
};

// The demo rack's true replies, in pieces strictly in order, each due at a
// time fixed when its command came. A process that is held up (a loaded
// machine) can deliver a piece long after it was due, after the line has
// rightly given up waiting; a command written while such a piece is still
// on its way leaves the rest of the run unjudged. A piece that is not yet
// due when the next command goes out is the line's doing.
class SimRack final : public Rack
{
public:
    SimRack(MemoryPort *port, const uint8_t *h, QByteArray travel)
        : m_port(port), m_travel(std::move(travel)), m_silentAtEnd(h[0] & 16), m_sim(DemoRack())
    {
        // Live values stand still, so every item has one right answer.
        m_sim->setClock([] { return qint64(0); });
        m_clock.start();
    }

    SimulatedRack &sim() { return *m_sim; }
    bool judged() const { return !m_heldUp; }

    void commandWritten(const QByteArray &command) override
    {
        const QByteArray reply = m_sim->handle(command);
        const qint64 now = m_clock.nsecsElapsed();
        if (!m_queue.empty() && m_queue.front().at + kHeldUpNs < now)
            m_heldUp = true;
        if (m_pos + 2 > m_travel.size()) {
            if (!m_silentAtEnd)
                queue(now, {});
            return;
        }
        const auto c0 = static_cast<uint8_t>(m_travel.at(m_pos));
        const auto c1 = static_cast<uint8_t>(m_travel.at(m_pos + 1));
        m_pos += 2;
        const int fate = c0 >> 2 & 3;
        if (fate == 3)
            return;
        const QByteArray bytes = c0 & 16 ? reply + '\n' : reply;
        const qsizetype n = 1 + (c0 & 3);
        qint64 at = now + (fate == 2 ? qint64(kSimTiming.replyTimeoutMs) * kNsPerMs : 0);
        for (qsizetype i = 0; i < n; ++i) {
            at += (c1 >> (2 * i) & 3) * kNsPerMs;
            const qsizetype from = bytes.size() * i / n;
            const QByteArray piece = bytes.mid(from, bytes.size() * (i + 1) / n - from);
            if (piece.isEmpty())
                continue;
            if (i == 0 && fate != 2 && (c0 & 32) && m_queue.empty())
                m_port->inject(piece);
            else
                queue(at, piece);
        }
    }

private:
    static constexpr qint64 kNsPerMs = 1000000;
    static constexpr qint64 kHeldUpNs = 2 * kNsPerMs;

    struct Piece
    {
        qint64 at = 0;
        QByteArray bytes; // empty: the rack hangs up
    };

    void queue(qint64 at, const QByteArray &bytes)
    {
        m_queue.push_back({at, bytes});
        if (m_queue.size() == 1)
            pump();
    }

    void pump()
    {
        if (m_queue.empty())
            return;
        const qint64 wait = m_queue.front().at - m_clock.nsecsElapsed();
        // The port owns the timer: a run's leftovers die with its port.
        QTimer::singleShot(wait > 0 ? int((wait + kNsPerMs - 1) / kNsPerMs) : 0, Qt::PreciseTimer,
                           m_port, [this] {
                               const Piece p = m_queue.front();
                               m_queue.pop_front();
                               if (p.bytes.isEmpty())
                                   m_port->fail(QStringLiteral("rack gone"));
                               else
                                   m_port->inject(p.bytes);
                               pump();
                           });
    }

    MemoryPort *m_port;
    QByteArray m_travel;
    qsizetype m_pos = 0;
    bool m_silentAtEnd;
    std::unique_ptr<SimulatedRack> m_sim;
    QElapsedTimer m_clock;
    std::deque<Piece> m_queue;
    bool m_heldUp = false;
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
void checkRead(const char *what, const QString &result, SimRack &rack, int slot, int item)
{
    checkShape(what, result);
    if (result.isEmpty() || !rack.judged())
        return;
    SimulatedRack &sim = rack.sim();
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
    const QString read = ReplyText(ReadItem(line, 1, QStringLiteral("5"), QStringLiteral("2")));
    if (read == QLatin1String("NEEDLESS")) {
        if (!rack.stream().contains("CNU"))
            fault("NEEDLESS without CNU", read);
    } else {
        checkFromStream("ReadItem", read, rack.stream());
    }

    // A rack that hung up is plugged in again; the line keeps its state.
    if (!port->isOpen())
        port->open(LineSettings{});
    const QString written =
        WriteItem(line, 1, QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("0"))
            .valueOr(QString());
    checkFromStream("WriteItem", written, rack.stream());
}

// Replies that look alike (a select's "COK", a version on two cards) and an
// item the card lacks, so a reply taken for another command shows.
void runSimulated(SerialLine &line, SimRack &rack, const uint8_t *h)
{
    SimulatedRack &sim = rack.sim();
    auto read = [&](const char *what, int slot, int item) {
        const QString address = slot == 0 ? QStringLiteral("00") : QString::number(slot);
        checkRead(what, ReplyText(ReadItem(line, 1, address, QString::number(item))), rack, slot,
                  item);
    };
    read("model of 5", 5, 2);
    const QString value = QString::number(int(h[1] | h[2] << 8) % 64001 - 32000);
    const QString written =
        WriteItem(line, 1, QStringLiteral("5"), QStringLiteral("14"), value).valueOr(QString());
    checkShape("write of 5/14", written);
    if (!written.isEmpty() && rack.judged() &&
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
    port->open(LineSettings{});
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
