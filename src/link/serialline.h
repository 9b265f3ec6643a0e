#pragma once

#include "link/canceltoken.h"
#include "link/linkport.h"
#include "link/result.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class TrafficLog;

// Removes leading and trailing blanks (character 32 only).
QString trimBlanks(const QString &s);

// Timing constants of the line; tests shorten them.
struct LinkTiming
{
    int replyTimeoutMs = 3000;
    int pauseMs = 10;
    // After a time-out the line must fall quiet for this long before the next
    // command goes out, so a reply that comes after its own time-out is thrown
    // away instead of answering the next command. 500 ms is three times the
    // line time of the longest reply at 1200 baud (about 20 characters,
    // 170 ms), so a reply that is still trickling in is swallowed whole, and
    // it adds at most a sixth to the cost of a time-out the operator already
    // waits for. Replies up to 3.5 s after their command are covered.
    int guardMs = 500;
};

// One command line out, one CR-terminated reply line back, within the reply
// time-out. Waits run the event loop, so the window stays alive and a
// closed or failed port ends the wait at once.
class SerialLine final : public QObject
{
    Q_OBJECT
public:
    explicit SerialLine(QObject *parent = nullptr);
    ~SerialLine() override;

    // Takes the port to use from now on. Refused (false) during an exchange.
    bool attachPort(std::unique_ptr<LinkPort> port);
    LinkPort *port() const { return m_port.get(); }
    bool isOpen() const { return m_port && m_port->isOpen(); }
    void close();

    void setTiming(LinkTiming timing) { m_timing = timing; }
    LinkTiming timing() const { return m_timing; }
    void setTrafficLog(TrafficLog *log) { m_log = log; }
    bool isExchanging() const { return m_exchanging; }
    // A time-out happened and the line has not been quiet since.
    bool needsResync() const { return m_needsResync; }
    // The attempt of a transaction that the next exchanges belong to (0 for
    // the first, of `attempts`); the traffic log keeps it, so a retry is
    // known, not guessed, and a further attempt after silence is announced.
    // A transaction nested inside another's wait leaves it alone.
    void beginAttempt(int attempt, int attempts, bool afterSilence)
    {
        if (m_exchanging)
            return;
        m_attempt = attempt;
        if (attempt > 0 && afterSilence)
            emit retrying(attempt + 1, attempts);
    }

    // The Cancel of the operation running on the line: a transaction that
    // met silence makes no further attempt once it is requested. Set by the
    // operation for its lifetime (CancelOnLine), none otherwise.
    void setCancelToken(std::optional<CancelToken> token) { m_cancel = std::move(token); }
    bool cancelRequested() const { return m_cancel && m_cancel->requested(); }

    // The pause, then one exchange: the reply without CR and outer blanks;
    // Silent on time-out, port failure or no port; Busy, with nothing sent,
    // inside another exchange's wait.
    Result<QString> SendCommand(const QString &line);

    void IntervalTimerOn(int tick);
    void IntervalTimerOff();
    bool IntervalTimerCheck() const { return m_intervalElapsed; }
    bool isIntervalTimerActive() const { return m_intervalTimer.isActive(); }

signals:
    // The port failed on its own (unplugged, I/O error), not through close().
    void portLost(const QString &reason);
    // A transaction met silence and starts its attempt `attempt` (2..attempts).
    void retrying(int attempt, int attempts);

private:
    bool pause();
    // The raw exchange: the reply goes into buffer. False when no complete
    // reply came (time-out, port failure).
    bool ExchangeLine(const QString &line, QString &buffer);
    bool resynchronise(QByteArray &discarded);

    std::unique_ptr<LinkPort> m_port;
    QTimer m_intervalTimer;
    bool m_intervalElapsed = false;
    bool m_exchanging = false;
    bool m_needsResync = false;
    int m_attempt = 0;
    bool m_closing = false;
    QByteArray m_stale; // discarded since the last exchange, for the log
    LinkTiming m_timing;
    TrafficLog *m_log = nullptr;
    std::optional<CancelToken> m_cancel;
};
