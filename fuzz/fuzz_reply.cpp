// The reply path: a rack that answers each command with the next bytes of
// the input, in pieces and with pauses, through a SerialLine on a MemoryPort.
//
// Input: four header bytes, then the byte stream the rack sends.
//   h0 bits 0-1: pieces per reply (1..4)
//   h0 bit 2:    a reply runs to the next CR (else pieces of h1 bytes)
//   h0 bit 3:    the first piece comes at once, inside the write
//   h0 bit 4:    a spent stream leaves the rack silent (else the port fails,
//                which ends the waits at once and keeps runs short)
//   h1 bits 0-3: piece size - 1
//   h2, h3:      pause before piece i, nibble i, modulo 6 (0..5 ms)
#include "link/memoryport.h"
#include "link/serialline.h"
#include "link/transactions.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>

namespace {

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
    Rack(MemoryPort *port, const uint8_t *data, size_t size) : m_port(port)
    {
        uint8_t h[4] = {};
        const size_t header = size < 4 ? size : 4;
        for (size_t i = 0; i < header; ++i)
            h[i] = data[i];
        m_pieces = 1 + (h[0] & 3);
        m_lineMode = h[0] & 4;
        m_firstAtOnce = h[0] & 8;
        m_silentAtEnd = h[0] & 16;
        m_pieceSize = 1 + (h[1] & 15);
        m_delays = static_cast<quint16>(h[2] | h[3] << 8);
        m_stream = QByteArray(reinterpret_cast<const char *>(data + header),
                              static_cast<qsizetype>(size - header));
    }

    const QByteArray &stream() const { return m_stream; }

    void commandWritten()
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

[[noreturn]] void fault(const char *what, const QString &result)
{
    std::fprintf(stderr, "reply: %s: \"%s\"\n", what,
                 result.toLatin1().toPercentEncoding().constData());
    std::abort();
}

// What a transaction hands back is the reply text from the line: no CR, no
// outer blanks, and bytes the rack really sent.
void checkResult(const char *what, const QString &result, const QByteArray &stream)
{
    if (result.contains(u'\r'))
        fault(what, result);
    if (result.startsWith(u' ') || result.endsWith(u' '))
        fault(what, result);
    if (!result.isEmpty() && !stream.contains(result.toLatin1()))
        fault(what, result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_reply";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    auto owned = std::make_unique<MemoryPort>();
    MemoryPort *port = owned.get();
    Rack rack(port, data, size);
    port->open(QStringLiteral("1200,n,8,1"));
    QObject::connect(port, &MemoryPort::written, port, [&rack] { rack.commandWritten(); });

    SerialLine line;
    line.setTiming({20, 0, 3});
    line.attachPort(std::move(owned));

    const QString read = ReadItem(line, 1, QStringLiteral("5"), QStringLiteral("2"));
    if (read == QLatin1String("NEEDLESS")) {
        if (!rack.stream().contains("CNU"))
            fault("NEEDLESS without CNU", read);
    } else {
        checkResult("ReadItem", read, rack.stream());
    }

    // A rack that hung up is plugged in again; the line keeps its state.
    if (!port->isOpen())
        port->open(QStringLiteral("1200,n,8,1"));
    const QString written =
        WriteItem(line, 1, QStringLiteral("5"), QStringLiteral("9"), QStringLiteral("0"));
    checkResult("WriteItem", written, rack.stream());
    return 0;
}
