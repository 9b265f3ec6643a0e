#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop on SIGINT and SIGTERM. The handler only writes to a
// pipe; the quit happens in the event loop, where it is safe.
class SignalQuitter final : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuitter(QObject *parent = nullptr);
    ~SignalQuitter() override;

private:
    static void onSignal(int);
    static int s_pipe[2];
    QSocketNotifier *m_notifier = nullptr;
};
