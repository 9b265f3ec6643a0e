#include "plant/plantrunner.h"

#include "exchange/portsetup.h"
#include "exchange/rackobserver.h"
#include "exchange/session.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

namespace {

// The thread's observer: passes what the upload says to the runner's
// thread and asks the shared stop flag between slots.
class RelayObserver final : public RackObserver
{
public:
    RelayObserver(PlantRunner *runner, int index, std::shared_ptr<std::atomic<bool>> stop)
        : m_runner(runner), m_index(index), m_stop(std::move(stop))
    {
    }

    void progressDetail(const QString &text) override { post(text); }
    void transactionRetrying(int attempt, int attempts) override
    {
        post(RetryText(attempt, attempts));
    }
    void operationFailed(const QString &, const QString &, const QString &detail) override
    {
        place = detail;
    }
    bool stopRequested() const override { return m_stop->load(); }

    QString place;

private:
    void post(const QString &text)
    {
        // The runner lives on another thread: its signal is emitted there.
        // It joins this thread before it goes, so the pointer holds.
        QMetaObject::invokeMethod(
            m_runner, [r = m_runner, i = m_index, text] { emit r->rackProgress(i, text); },
            Qt::QueuedConnection);
    }

    PlantRunner *m_runner;
    int m_index;
    std::shared_ptr<std::atomic<bool>> m_stop;
};

// One rack's work on its own thread: everything it touches is made here.
// What the core shares is const data built on first use (thread-safe in
// C++) and the port parser's pattern, which reading the plant file built.
RackOutcome runOne(const PlantRack &rack, const RackWork &work, RackObserver &observer,
                   bool stopped)
{
    QElapsedTimer clock;
    clock.start();
    auto ports = std::make_unique<SerialPortProvider>();
    ports->map(1, rack.port);
    Session session(std::move(ports));
    session.state.ComPortNo = 1;
    const QString portText = PortText(*session.ports, 1);
    RackOutcome r;
    if (!stopped) {
        r = work(session, observer);
        r.started = true;
        session.line.close();
    }
    r.portText = portText;
    r.ms = clock.elapsed();
    return r;
}

} // namespace

PlantRunner::PlantRunner(int jobs, RackWork work, QObject *parent)
    : QObject(parent), m_jobs(qMax(1, jobs)), m_work(std::move(work))
{
}

PlantRunner::~PlantRunner()
{
    m_stop->store(true);
    for (const auto &t : m_threads)
        if (t)
            t->wait();
}

QList<RackOutcome> PlantRunner::runAll(const QList<PlantRack> &racks)
{
    m_racks = racks;
    m_outcomes = QList<RackOutcome>(racks.size());
    m_threads.clear();
    m_threads.resize(racks.size());
    m_next = 0;
    m_running = 0;
    QEventLoop loop;
    m_loop = &loop;
    while (m_running < m_jobs && m_next < m_racks.size())
        startNext();
    if (m_running > 0)
        loop.exec();
    m_loop = nullptr;
    return m_outcomes;
}

void PlantRunner::startNext()
{
    const int index = m_next++;
    ++m_running;
    if (!m_stop->load())
        emit rackStarted(index);
    PlantRunner *self = this;
    const PlantRack rack = m_racks.at(index);
    const auto stop = m_stop;
    m_threads[index].reset(QThread::create([self, rack, stop, index, work = m_work] {
        RelayObserver observer(self, index, stop);
        RackOutcome result = runOne(rack, work, observer, stop->load());
        if (result.place.isEmpty())
            result.place = observer.place;
        QMetaObject::invokeMethod(
            self, [self, index, result] { self->finished(index, result); }, Qt::QueuedConnection);
    }));
    m_threads[index]->start();
}

void PlantRunner::finished(int index, const RackOutcome &result)
{
    // The thread posted this as its last act: joining it is at most a moment.
    m_threads[index]->wait();
    m_threads[index].reset();
    m_outcomes[index] = result;
    --m_running;
    emit rackFinished(index, result);
    if (m_next < m_racks.size())
        startNext();
    else if (m_running == 0 && m_loop)
        m_loop->quit();
}
