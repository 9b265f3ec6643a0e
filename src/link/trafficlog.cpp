#include "link/trafficlog.h"

#include <chrono>

namespace {
qint64 monotonicNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

TrafficLog::TrafficLog(std::size_t capacity, QObject *parent)
    : QObject(parent), m_capacity(capacity ? capacity : 1), m_originNs(monotonicNs()),
      m_originWall(QDateTime::currentDateTime())
{
}

void TrafficLog::append(TrafficEntry entry)
{
    if (m_entries.size() >= m_capacity)
        m_entries.pop_front();
    m_entries.push_back(std::move(entry));
    ++m_appended;
    emit appended(m_entries.back());
}

qint64 TrafficLog::nowMs() const
{
    return (monotonicNs() - m_originNs) / 1000000;
}
