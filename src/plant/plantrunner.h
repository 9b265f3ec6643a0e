#pragma once

#include "model/cardrecord.h"
#include "plant/plantfile.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;
class QThread;
class RackObserver;
struct Session;

// What one rack's work came to.
struct RackOutcome
{
    bool started = false; // false: stopped before its turn came
    int code = 0;         // the work's own result code; 0 is done
    QString error;        // why not, naming the port
    QString place;        // where it stopped ("Slot 5: XA1-00, item 12: no answer")
    QString portText;     // "COM1 (tcp://...)"
    CardTable cards;      // the table the work read
    QString commModel;
    QString commVersion;
    qint64 ms = 0;
};

// One rack's work, run on the rack's own thread with the rack's session
// (connected to nothing yet); it must touch nothing outside them.
using RackWork = std::function<RackOutcome(Session &session, RackObserver &observer)>;

// Runs `work` on the racks of a plant, at most `jobs` at once. Each running
// rack has a thread of its own holding its own ports, line, session and
// table, waiting in its own local loops; nothing of one rack is shared with
// another or with this thread. Progress and outcomes come back by queued
// calls, so the signals below are emitted on the caller's thread.
class PlantRunner final : public QObject
{
    Q_OBJECT
public:
    PlantRunner(int jobs, RackWork work, QObject *parent = nullptr);
    ~PlantRunner() override;

    // Returns when every rack has ended, in the plant's order.
    QList<RackOutcome> runAll(const QList<PlantRack> &racks);
    // Every rack ends before its next slot; racks not yet started do not start.
    void requestStop() { m_stop->store(true); }

signals:
    void rackStarted(int index);
    // "Slot 5 of 16: XA1-00", or a retry ("no answer, try 2 of 4").
    void rackProgress(int index, const QString &text);
    void rackFinished(int index, const RackOutcome &outcome);

private:
    void startNext();
    void finished(int index, const RackOutcome &outcome);

    int m_jobs;
    RackWork m_work;
    QList<PlantRack> m_racks;
    QList<RackOutcome> m_outcomes;
    int m_next = 0;
    int m_running = 0;
    std::vector<std::unique_ptr<QThread>> m_threads;
    // Shared with the threads, which may end after this object asked them to.
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    QEventLoop *m_loop = nullptr;
};
