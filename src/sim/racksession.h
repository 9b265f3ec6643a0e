#pragma once

#include "sim/replyshaper.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

class SimulatedRack;

// One client's line to the rack: collects command bytes into CR-terminated
// lines, asks the rack for the timed reply and hands the bytes to the sink
// when they are due, strictly in order, never from inside feed().
class RackSession final : public QObject
{
    Q_OBJECT
public:
    using Sink = std::function<void(const QByteArray &)>;

    RackSession(SimulatedRack *rack, Sink sink, QObject *parent = nullptr);

    SimulatedRack *rack() const;
    void feed(const QByteArray &bytes);
    // The client went away: forget its half-sent command and undelivered replies.
    void reset();
    int pendingReplies() const { return static_cast<int>(m_queue.size()); }

signals:
    void commandReceived(const QByteArray &line);
    void delivered(const QByteArray &bytes);

private:
    struct Due
    {
        qint64 atMs;
        QByteArray bytes;
    };
    void deliverDue();
    void arm();

    QPointer<SimulatedRack> m_rack;
    Sink m_sink;
    QByteArray m_partial;
    std::deque<Due> m_queue;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastDueMs = 0;
};
