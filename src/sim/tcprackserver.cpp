#include "sim/tcprackserver.h"

#include "link/portdesignation.h"
#include "sim/racksession.h"

#include <QHostInfo>
#include <QTcpSocket>

TcpRackServer::TcpRackServer(SimulatedRack *rack, QObject *parent)
    : QObject(parent), m_session(new RackSession(
                           rack,
                           [this](const QByteArray &bytes) {
                               m_trace('<', bytes);
                               if (m_client)
                                   m_client->write(bytes);
                           },
                           this))
{
    connect(m_session, &RackSession::commandReceived, this,
            [this](const QByteArray &line) { m_trace('>', line); });
    connect(&m_server, &QTcpServer::newConnection, this, &TcpRackServer::accept);
}

QString TcpRackServer::listen(const QString &hostPort)
{
    QString host;
    quint16 port = 0;
    const QString problem = SplitHostPort(hostPort, host, port, true);
    if (!problem.isEmpty())
        return QStringLiteral("--tcp \"%1\": %2; use HOST:PORT").arg(hostPort, problem);
    QHostAddress address(host);
    if (address.isNull()) {
        const QHostInfo info = QHostInfo::fromName(host);
        if (info.addresses().isEmpty())
            return QStringLiteral("--tcp \"%1\": %2").arg(hostPort, info.errorString());
        address = info.addresses().constFirst();
    }
    if (!m_server.listen(address, port))
        return QStringLiteral("cannot listen on %1: %2").arg(hostPort, m_server.errorString());
    return {};
}

QString TcpRackServer::address() const
{
    const QHostAddress a = m_server.serverAddress();
    const QString host = a.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + a.toString() + QLatin1Char(']')
                             : a.toString();
    return QStringLiteral("tcp://%1:%2").arg(host).arg(m_server.serverPort());
}

void TcpRackServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (m_client) {
            socket->write(busyLine());
            socket->disconnectFromHost();
            continue;
        }
        m_client = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray bytes = socket->readAll();
            emit received(bytes);
            m_session->feed(bytes);
        });
        // A reply still on its way is for nobody once the client has gone.
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            m_client = nullptr;
            m_session->reset();
        });
    }
}
