#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <deque>

// One command line and what came back for it.
struct TrafficEntry
{
    qint64 startMs = 0; // ms since the log was created
    QByteArray command; // as written, CR included
    QByteArray reply;   // raw bytes received, CR included
    int elapsedMs = 0;  // from the write to the end of the exchange
    bool timedOut = false;
    QByteArray discarded; // stale bytes thrown away before the command went out
    int attempt = 0;      // the transaction's attempt: 0 first, n its n-th retry
};

// A bounded record of exchanges, fed by the program's link and by the
// simulator alike, so traffic can be shown and compared.
class TrafficLog final : public QObject
{
    Q_OBJECT
public:
    explicit TrafficLog(std::size_t capacity = 5000, QObject *parent = nullptr);

    void append(TrafficEntry entry);
    const std::deque<TrafficEntry> &entries() const { return m_entries; }
    void clear() { m_entries.clear(); }
    qint64 nowMs() const;
    std::size_t capacity() const { return m_capacity; }
    // Entries ever appended; the front entry is number appendedCount() -
    // entries().size(), so a viewer can tell which it has already seen.
    qint64 appendedCount() const { return m_appended; }
    // Wall-clock time of an entry's startMs.
    QDateTime wallTime(qint64 startMs) const { return m_originWall.addMSecs(startMs); }

signals:
    void appended(const TrafficEntry &entry);

private:
    std::size_t m_capacity;
    std::deque<TrafficEntry> m_entries;
    qint64 m_originNs;
    qint64 m_appended = 0;
    QDateTime m_originWall;
};
