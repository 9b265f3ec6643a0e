#include "sim/racksession.h"

#include "sim/simulatedrack.h"

namespace {
// A line without CR longer than any command is noise; drop it.
constexpr qsizetype kMaxCommand = 256;
} // namespace

RackSession::RackSession(SimulatedRack *rack, Sink sink, QObject *parent)
    : QObject(parent), m_rack(rack), m_sink(std::move(sink))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &RackSession::deliverDue);
    m_clock.start();
}

SimulatedRack *RackSession::rack() const
{
    return m_rack;
}

void RackSession::feed(const QByteArray &bytes)
{
    m_partial += bytes;
    qsizetype cr;
    while ((cr = m_partial.indexOf('\r')) >= 0) {
        QByteArray line = m_partial.left(cr + 1);
        m_partial.remove(0, cr + 1);
        // A terminal that ends lines with CR LF leaves the LF in front of
        // the next command.
        while (line.startsWith('\n'))
            line.remove(0, 1);
        emit commandReceived(line);
        if (!m_rack)
            continue;
        const qint64 now = m_clock.elapsed();
        for (TimedBytes &part : m_rack->respond(line)) {
            // The line is serial: nothing overtakes a reply still on its way.
            const qint64 at = std::max(now + part.atMs, m_lastDueMs);
            m_lastDueMs = at;
            m_queue.push_back({at, std::move(part.bytes)});
        }
    }
    if (m_partial.size() > kMaxCommand)
        m_partial.clear();
    arm();
}

void RackSession::reset()
{
    m_partial.clear();
    m_queue.clear();
    m_timer.stop();
}

void RackSession::arm()
{
    if (m_queue.empty())
        return;
    const qint64 wait = std::max<qint64>(0, m_queue.front().atMs - m_clock.elapsed());
    m_timer.start(static_cast<int>(wait));
}

void RackSession::deliverDue()
{
    const qint64 now = m_clock.elapsed();
    while (!m_queue.empty() && m_queue.front().atMs <= now) {
        const QByteArray bytes = std::move(m_queue.front().bytes);
        m_queue.pop_front();
        // The sink may reset this session (a port that closes on input).
        QPointer<RackSession> alive(this);
        m_sink(bytes);
        if (!alive)
            return;
        emit delivered(bytes);
    }
    arm();
}
