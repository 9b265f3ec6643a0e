#pragma once

#include "model/cardrecord.h"
#include "plant/plantfile.h"

#include <QElapsedTimer>
#include <QObject>
#include <atomic>
#include <memory>
#include <vector>

class QThread;

// What one rack's upload came to.
struct RackUpload
{
    int code = 0;     // an ExitCode: kExitDone, kExitRack or kExitInterrupted
    QString error;    // why not, naming the port
    QString place;    // where it stopped ("Slot 5: XA1-00, item 12: no answer")
    QString portText; // "COM1 (tcp://...)"
    CardTable cards;  // whole only when code is kExitDone
    QString commModel;
    QString commVersion;
    qint64 ms = 0;
};

// Uploads the racks of a plant, at most `jobs` at once. Each running rack
// has a thread of its own holding its own ports, line, session and table,
// waiting in its own local loops; nothing of one rack is shared with
// another or with this thread. Progress and results come back by queued
// calls, so the signals below are emitted on the caller's thread.
class PlantRunner final : public QObject
{
    Q_OBJECT
public:
    explicit PlantRunner(int jobs, QObject *parent = nullptr);
    ~PlantRunner() override;

    // Returns when every rack has ended, in the plant's order.
    QList<RackUpload> uploadAll(const QList<PlantRack> &racks);
    // Ctrl-C: every rack ends before its next slot; racks not yet started do not start.
    void requestStop() { m_stop->store(true); }

signals:
    void rackStarted(int index);
    // "Slot 5 of 16: XA1-00", or a retry ("no answer, try 2 of 4").
    void rackProgress(int index, const QString &text);
    void rackFinished(int index, const RackUpload &result);

private:
    void startNext();
    void finished(int index, const RackUpload &result);

    int m_jobs;
    QList<PlantRack> m_racks;
    QList<RackUpload> m_results;
    int m_next = 0;
    int m_running = 0;
    std::vector<std::unique_ptr<QThread>> m_threads;
    // Shared with the threads, which may end after this object asked them to.
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    class QEventLoop *m_loop = nullptr;
};
