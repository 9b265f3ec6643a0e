#include "link/serialline.h"

// Every wait here is a local event loop whose connections end with it, and
// with the locals their lambdas capture.
// clazy:excludeall=lambda-in-connect

#include "link/trafficlog.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <utility>

namespace {

// Exit codes of the waits; anything else (0 from QCoreApplication::exit)
// means the application is quitting.
enum WaitResult
{
    Reply = 101,
    TimedOut = 102,
    PortFailed = 103
};

} // namespace

QString trimBlanks(const QString &s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

SerialLine::SerialLine(QObject *parent) : QObject(parent)
{
    m_intervalTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_intervalTimer, &QTimer::timeout, this, [this] { m_intervalElapsed = true; });
}

SerialLine::~SerialLine() = default;

bool SerialLine::attachPort(std::unique_ptr<LinkPort> port)
{
    if (m_exchanging)
        return false;
    close();
    m_port = std::move(port);
    m_needsResync = false;
    m_stale.clear();
    if (m_port) {
        connect(m_port.get(), &LinkPort::failed, this, [this](const QString &reason) {
            if (!m_closing)
                emit portLost(reason);
        });
    }
    return true;
}

void SerialLine::close()
{
    m_closing = true;
    if (m_port)
        m_port->close();
    m_closing = false;
    m_needsResync = false;
    m_stale.clear();
    IntervalTimerOff();
}

void SerialLine::IntervalTimerOn(int tick)
{
    m_intervalElapsed = false;
    m_intervalTimer.setInterval(tick);
    m_intervalTimer.start();
}

void SerialLine::IntervalTimerOff()
{
    m_intervalTimer.stop();
}

bool SerialLine::pause()
{
    if (m_timing.pauseMs <= 0)
        return isOpen();
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(Reply); });
    connect(m_port.get(), &LinkPort::failed, &loop, [&loop] { loop.exit(PortFailed); });
    timer.start(m_timing.pauseMs);
    return loop.exec() == Reply && isOpen();
}

bool SerialLine::resynchronise(QByteArray &discarded)
{
    LinkPort *port = m_port.get();
    QEventLoop loop;
    QTimer quiet;
    QTimer limit;
    for (QTimer *t : {&quiet, &limit}) {
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
    }
    discarded += port->readAll();
    connect(port, &LinkPort::readyRead, &loop, [&] {
        discarded += port->readAll();
        quiet.start(m_timing.guardMs);
    });
    connect(port, &LinkPort::failed, &loop, [&loop] { loop.exit(PortFailed); });
    connect(&quiet, &QTimer::timeout, &loop, [&loop] { loop.exit(Reply); });
    // A line that never falls quiet (noise, a wrong device) must not hold the
    // program: after one more reply time-out the next command goes out anyway.
    connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(TimedOut); });
    quiet.start(m_timing.guardMs);
    limit.start(m_timing.replyTimeoutMs);
    const int result = loop.exec();
    if (result == Reply)
        m_needsResync = false;
    return (result == Reply || result == TimedOut) && isOpen();
}

Result<QString> SerialLine::SendCommand(const QString &line)
{
    // A command issued from an event handled inside another exchange's wait
    // would share the reply timer and steal its reply: refuse it.
    if (m_exchanging)
        return Result<QString>::failed(Failure::Busy);
    if (!isOpen())
        return Result<QString>::failed(Failure::Silent);
    m_exchanging = true;
    QString buffer;
    bool answered = false;
    const bool ready = !m_needsResync || m_timing.guardMs <= 0 || resynchronise(m_stale);
    if (ready && pause())
        answered = ExchangeLine(line, buffer);
    m_exchanging = false;
    if (!answered)
        return Result<QString>::failed(Failure::Silent);
    return trimBlanks(buffer);
}

bool SerialLine::ExchangeLine(const QString &line, QString &buffer)
{
    buffer.clear();
    if (!isOpen())
        return false;
    LinkPort *port = m_port.get();
    const QByteArray command = line.toLatin1();
    QByteArray raw;
    auto replyComplete = [&raw, port] {
        raw += port->readAll();
        // The LF of a CR LF rack may trail in after the previous reply ended.
        while (raw.startsWith('\n'))
            raw.remove(0, 1);
        const qsizetype cr = raw.indexOf('\r');
        if (cr < 0)
            return false;
        // Anything after the first CR (a line feed, noise) is not the reply.
        raw.truncate(cr + 1);
        return true;
    };

    // A reply that came after its own time-out must not become this one.
    m_stale += port->readAll();
    TrafficEntry entry;
    entry.discarded = std::exchange(m_stale, QByteArray());
    entry.attempt = m_attempt;
    if (m_log)
        entry.startMs = m_log->nowMs();
    QElapsedTimer clock;
    clock.start();
    IntervalTimerOn(m_timing.replyTimeoutMs);

    int result = PortFailed;
    if (port->write(command)) {
        QEventLoop loop;
        // The loop only leaves after the handlers of this pass have run: on a
        // busy machine the time-out and a late reply fall due together, and
        // the first of them decides, not the last.
        bool decided = false;
        const auto finish = [&loop, &decided](int how) {
            if (!std::exchange(decided, true))
                loop.exit(how);
        };
        connect(port, &LinkPort::readyRead, &loop, [&] {
            if (!decided && replyComplete())
                finish(Reply);
        });
        connect(port, &LinkPort::failed, &loop, [&] { finish(PortFailed); });
        // Bytes already in are looked at before the time-out, so a reply that
        // completes as the timer fires still counts.
        connect(&m_intervalTimer, &QTimer::timeout, &loop, [&] {
            if (!decided)
                finish(replyComplete() ? Reply : TimedOut);
        });
        result = replyComplete() ? Reply : loop.exec();
    }
    IntervalTimerOff();
    // Whatever still belongs to this command may arrive after the next one
    // has gone out; the line waits for quiet first.
    if (result == TimedOut)
        m_needsResync = true;

    if (result == Reply && !raw.isEmpty())
        buffer = QString::fromLatin1(raw.constData(), raw.size() - 1);
    if (m_log) {
        entry.command = command;
        entry.reply = raw;
        entry.elapsedMs = static_cast<int>(clock.elapsed());
        entry.timedOut = result != Reply;
        m_log->append(std::move(entry));
    }
    return result == Reply;
}
