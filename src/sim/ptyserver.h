#pragma once

#include "sim/linetrace.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;
class RackSession;
class SimulatedRack;

// Serves a rack on a pseudo-terminal: a client opens devicePath() as it
// would open a COM port, and may close and reopen it as often as it likes.
class PtyServer final : public QObject
{
    Q_OBJECT
public:
    explicit PtyServer(SimulatedRack *rack, QObject *parent = nullptr);
    ~PtyServer() override;

    // Creates the pseudo-terminal; an empty string on success, else why not.
    QString open();
    QString devicePath() const { return m_path; }
    // Every command and reply with a timestamp on stderr.
    void setTrace(bool on) { m_trace.setOn(on); }

signals:
    // The bytes the client sent, as they came.
    void received(const QByteArray &bytes);

private:
    void readMaster();
    void writeMaster(const QByteArray &bytes);

    SimulatedRack *m_rack;
    RackSession *m_session = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_unlock;
    QString m_path;
    int m_master = -1;
    int m_keepAlive = -1;
    LineTrace m_trace;
};
