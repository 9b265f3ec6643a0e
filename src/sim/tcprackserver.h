#pragma once

#include "sim/linetrace.h"

#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;
class RackSession;
class SimulatedRack;

// Serves a rack on a TCP port with raw bytes, as a serial device server
// would: one client at a time, like the one serial line it stands for. A
// second client is told so and closed; once the first leaves, the next
// may come.
class TcpRackServer final : public QObject
{
    Q_OBJECT
public:
    explicit TcpRackServer(SimulatedRack *rack, QObject *parent = nullptr);

    // Listens on "HOST:PORT" (port 0: any free one); "" or why not.
    QString listen(const QString &hostPort);
    // Where it listens, as V9CON takes it: "tcp://127.0.0.1:40001".
    QString address() const;
    void setTrace(bool on) { m_trace.setOn(on); }

    static QByteArray busyLine() { return "v9rack-sim: busy, another client is connected\r\n"; }

signals:
    void received(const QByteArray &bytes);

private:
    void accept();

    QTcpServer m_server;
    RackSession *m_session;
    QPointer<QTcpSocket> m_client;
    LineTrace m_trace;
};
