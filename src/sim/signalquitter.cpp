#include "sim/signalquitter.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

int SignalQuitter::s_pipe[2] = {-1, -1};

SignalQuitter::SignalQuitter(QObject *parent) : QObject(parent)
{
    if (::pipe(s_pipe) != 0)
        return;
    fcntl(s_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [] {
        char c;
        [[maybe_unused]] const auto n = ::read(s_pipe[0], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa
    {
    };
    sa.sa_handler = &SignalQuitter::onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

SignalQuitter::~SignalQuitter()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete m_notifier;
    for (int &fd : s_pipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalQuitter::onSignal(int)
{
    const char c = 'q';
    [[maybe_unused]] const auto n = ::write(s_pipe[1], &c, 1);
}
