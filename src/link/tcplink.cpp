#include "link/tcplink.h"

// The waits here are local event loops whose connections end with them.
// clazy:excludeall=lambda-in-connect

#include <QEventLoop>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <utility>

// The wait in progress: the first of its endings decides, as a close() from
// an event handled inside it must not be overruled by the socket's own
// disconnect that follows.
struct TcpLink::Wait
{
    QEventLoop loop;
    bool decided = false;
    void finish(int how)
    {
        if (!std::exchange(decided, true))
            loop.exit(how);
    }
};

TcpLink::TcpLink(PortDesignation where, NetworkTiming timing, QObject *parent)
    : LinkPort(parent), m_where(std::move(where)), m_timing(timing), m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::readyRead, this, &TcpLink::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { lose(reasonText()); });
    connect(m_socket, &QTcpSocket::disconnected, this,
            [this] { lose(QStringLiteral("The server closed the connection")); });
}

TcpLink::~TcpLink()
{
    if (m_wait)
        m_wait->finish(Closed);
}

QString TcpLink::open(const LineSettings &settings)
{
    if (m_wait)
        return m_where.text + QStringLiteral(": already connecting");
    m_open = false;
    m_socket->abort();
    m_rx.clear();
    m_socket->connectToHost(m_where.host, m_where.port);
    QPointer<TcpLink> alive(this);
    const int connected =
        waitFor([this] { return m_socket->state() == QAbstractSocket::ConnectedState; },
                m_timing.connectMs);
    if (!alive)
        return QStringLiteral("Port closed");
    QString error;
    switch (connected) {
    case Done:
        break;
    case TimedOut:
        error = QStringLiteral("Connection timed out (no answer within %1 s)")
                    .arg(m_timing.connectMs / 1000.0);
        break;
    case SocketFailed:
        error = reasonText();
        break;
    default:
        error = QStringLiteral("Port closed");
        break;
    }
    if (error.isEmpty()) {
        // Each command is a few bytes that the rack waits for: no Nagle.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        error = setUpLine(settings);
        if (!alive)
            return QStringLiteral("Port closed");
    }
    if (error.isEmpty() && m_socket->state() != QAbstractSocket::ConnectedState)
        error = QStringLiteral("The server closed the connection");
    if (!error.isEmpty()) {
        m_socket->abort();
        return m_where.text + QStringLiteral(": ") + error;
    }
    m_rx.clear();
    m_open = true;
    return {};
}

int TcpLink::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return Done;
    Wait wait;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &wait.loop, [&wait] { wait.finish(TimedOut); });
    const auto check = [&wait, &done] {
        if (done())
            wait.finish(Done);
    };
    // Connected after readyRead's own handler, so `done` sees what it did.
    connect(m_socket, &QTcpSocket::connected, &wait.loop, check);
    connect(m_socket, &QTcpSocket::readyRead, &wait.loop, check);
    connect(m_socket, &QTcpSocket::errorOccurred, &wait.loop,
            [&wait] { wait.finish(SocketFailed); });
    connect(m_socket, &QTcpSocket::disconnected, &wait.loop,
            [&wait] { wait.finish(SocketFailed); });
    Wait *outer = std::exchange(m_wait, &wait);
    QPointer<TcpLink> alive(this);
    timer.start(timeoutMs);
    const int result = wait.loop.exec();
    if (alive)
        m_wait = outer;
    return result;
}

QString TcpLink::setUpLine(const LineSettings &)
{
    return {};
}

bool TcpLink::sendRaw(const QByteArray &bytes)
{
    if (m_socket->write(bytes) != bytes.size())
        return false;
    m_socket->flush();
    return true;
}

QString TcpLink::reasonText() const
{
    return m_socket->errorString();
}

void TcpLink::close()
{
    if (m_wait)
        m_wait->finish(Closed);
    const bool wasOpen = std::exchange(m_open, false);
    m_socket->abort();
    m_rx.clear();
    if (wasOpen)
        emit failed(QStringLiteral("Port closed"));
}

bool TcpLink::write(const QByteArray &bytes)
{
    return m_open && sendRaw(toWire(bytes));
}

QByteArray TcpLink::readAll()
{
    if (m_socket->bytesAvailable() > 0)
        m_rx += fromWire(m_socket->readAll());
    return std::exchange(m_rx, QByteArray());
}

void TcpLink::discardInput()
{
    readAll();
}

void TcpLink::onReadyRead()
{
    const QByteArray data = fromWire(m_socket->readAll());
    if (data.isEmpty())
        return;
    m_rx += data;
    if (m_open)
        emit readyRead();
}

// A dropped or reset connection is a port that stopped working, as an
// unplugged adapter is: the exchange in progress ends at once.
void TcpLink::lose(const QString &reason)
{
    if (!m_open)
        return;
    m_open = false;
    m_socket->abort();
    emit failed(reason);
}
