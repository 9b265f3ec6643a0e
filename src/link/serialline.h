#pragma once

#include "link/linkport.h"

#include <QObject>
#include <QTimer>
#include <memory>

class TrafficLog;

// Removes leading and trailing blanks (character 32 only).
QString trimBlanks(const QString &s);

// Timing constants of the line; tests shorten them.
struct LinkTiming
{
    int replyTimeoutMs = 3000;
    int pauseMs = 10;
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

    // The pause, then one exchange; the reply without CR and outer blanks,
    // or "" on time-out or port failure.
    QString SendCommand(const QString &line);
    // The raw exchange: the reply goes into buffer, which is also returned.
    QString ExchangeLine(const QString &line, QString &buffer);

    void IntervalTimerOn(int tick);
    void IntervalTimerOff();
    bool IntervalTimerCheck() const { return m_intervalElapsed; }
    bool isIntervalTimerActive() const { return m_intervalTimer.isActive(); }

private:
    bool pause();

    std::unique_ptr<LinkPort> m_port;
    QTimer m_intervalTimer;
    bool m_intervalElapsed = false;
    bool m_exchanging = false;
    LinkTiming m_timing;
    TrafficLog *m_log = nullptr;
};
