#include "cli/interruptwatch.h"

volatile std::sig_atomic_t InterruptWatch::s_raised = 0;
volatile std::sig_atomic_t InterruptWatch::s_keepHandler = 0;

InterruptWatch::InterruptWatch(std::function<void()> onFirst, std::function<void()> onSecond,
                               QObject *parent)
    : QObject(parent), m_onFirst(std::move(onFirst)), m_onSecond(std::move(onSecond))
{
    s_raised = 0;
    s_keepHandler = m_onSecond ? 1 : 0;
    m_previous = std::signal(SIGINT, &InterruptWatch::onSignal);

    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        // Both may have come within one look: the second still wins.
        while (m_handled < 2 && m_handled < s_raised) {
            ++m_handled;
            const auto &call = m_handled == 1 ? m_onFirst : m_onSecond;
            if (call)
                call();
        }
    });
    m_poll.start();
}

InterruptWatch::~InterruptWatch()
{
    std::signal(SIGINT, m_previous == SIG_ERR ? SIG_DFL : m_previous);
}

void InterruptWatch::onSignal(int)
{
    if (s_raised < 2)
        s_raised = s_raised + 1;
    // Without a second call the next Ctrl-C is the default one: it ends a
    // program that hangs.
    if (!s_keepHandler)
        std::signal(SIGINT, SIG_DFL);
}
