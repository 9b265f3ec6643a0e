#pragma once

#include <QObject>
#include <QTimer>
#include <csignal>
#include <functional>

// Turns Ctrl-C (SIGINT) into calls from the event loop: the handler only
// counts, and a timer looks at the count every 50 ms, so the calls can
// safely touch the session, also from inside a wait for a reply. The first
// Ctrl-C calls onFirst; the second calls onSecond, or without one ends the
// program at once with the default action.
class InterruptWatch final : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatch(std::function<void()> onFirst, std::function<void()> onSecond = {},
                            QObject *parent = nullptr);
    ~InterruptWatch() override;

    // How many Ctrl-C the calls have seen so far (0, 1 or 2).
    int count() const { return m_handled; }
    bool interrupted() const { return m_handled > 0; }

private:
    static void onSignal(int);
    static volatile std::sig_atomic_t s_raised;
    static volatile std::sig_atomic_t s_keepHandler;

    std::function<void()> m_onFirst;
    std::function<void()> m_onSecond;
    QTimer m_poll;
    int m_handled = 0;
    void (*m_previous)(int) = nullptr;
};
