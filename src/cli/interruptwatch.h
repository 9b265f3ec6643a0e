#pragma once

#include <QObject>
#include <QTimer>
#include <csignal>
#include <functional>

// Turns Ctrl-C (SIGINT) into a call from the event loop: the handler only
// sets a flag, which a timer looks at every 50 ms, so the call can safely
// touch the session. A second Ctrl-C ends the program at once.
class InterruptWatch final : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatch(std::function<void()> onInterrupt, QObject *parent = nullptr);
    ~InterruptWatch() override;

    bool interrupted() const { return m_interrupted; }

private:
    static void onSignal(int);
    static volatile std::sig_atomic_t s_raised;

    std::function<void()> m_onInterrupt;
    QTimer m_poll;
    bool m_interrupted = false;
    void (*m_previous)(int) = nullptr;
};
