#include "cli/interruptwatch.h"

volatile std::sig_atomic_t InterruptWatch::s_raised = 0;

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt, QObject *parent)
    : QObject(parent), m_onInterrupt(std::move(onInterrupt))
{
    s_raised = 0;
    m_previous = std::signal(SIGINT, &InterruptWatch::onSignal);

    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (!s_raised || m_interrupted)
            return;
        m_interrupted = true;
        if (m_onInterrupt)
            m_onInterrupt();
    });
    m_poll.start();
}

InterruptWatch::~InterruptWatch()
{
    std::signal(SIGINT, m_previous == SIG_ERR ? SIG_DFL : m_previous);
}

void InterruptWatch::onSignal(int)
{
    s_raised = 1;
    // The next Ctrl-C is the default one: it ends a program that hangs.
    std::signal(SIGINT, SIG_DFL);
}
