#pragma once

#include <QElapsedTimer>
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
    void setTrace(bool on) { m_trace = on; }

private:
    void readMaster();
    void writeMaster(const QByteArray &bytes);
    void trace(char direction, const QByteArray &bytes) const;

    SimulatedRack *m_rack;
    RackSession *m_session = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_unlock;
    QElapsedTimer m_clock;
    QString m_path;
    int m_master = -1;
    int m_keepAlive = -1;
    bool m_trace = false;
};
