#include "sim/ptyserver.h"

#include "sim/racksession.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyServer::PtyServer(SimulatedRack *rack, QObject *parent) : QObject(parent), m_rack(rack) {}

PtyServer::~PtyServer()
{
    delete m_notifier;
    if (m_keepAlive >= 0)
        ::close(m_keepAlive);
    if (m_master >= 0)
        ::close(m_master);
}

QString PtyServer::open()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return QStringLiteral("cannot create a pseudo-terminal: %1").arg(qt_error_string(errno));
    const char *name = ptsname(m_master);
    if (!name)
        return QStringLiteral("pseudo-terminal has no name: %1").arg(qt_error_string(errno));
    m_path = QString::fromLocal8Bit(name);

    termios t{};
    tcgetattr(m_master, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B1200);
    tcsetattr(m_master, TCSANOW, &t);

    // Our own handle on the client's end. Without it Linux reports a hang-up
    // (EIO, endless readability) on the master whenever no client has the
    // device open, between a close and the next open.
    m_keepAlive = ::open(name, O_RDWR | O_NOCTTY);
    if (m_keepAlive < 0)
        return QStringLiteral("%1: %2").arg(m_path, qt_error_string(errno));
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);

    m_session = new RackSession(
        m_rack, [this](const QByteArray &b) { writeMaster(b); }, this);
    connect(m_session, &RackSession::commandReceived, this,
            [this](const QByteArray &line) { m_trace('>', line); });
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyServer::readMaster);

    // Serial clients lock the device for themselves (TIOCEXCL). One that dies
    // without closing leaves the lock behind, and since our handle keeps the
    // device alive nobody could open it again; so lift the lock now and then.
    connect(&m_unlock, &QTimer::timeout, this, [this] { ioctl(m_keepAlive, TIOCNXCL); });
    m_unlock.start(500);
    return {};
}

void PtyServer::readMaster()
{
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            const QByteArray bytes(buf, n);
            emit received(bytes);
            m_session->feed(bytes);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EIO) {
            // Hang-up despite our handle: look again a little later rather
            // than spin on a device that stays readable.
            m_notifier->setEnabled(false);
            QTimer::singleShot(100, m_notifier, [this] { m_notifier->setEnabled(true); });
        }
        return; // EAGAIN: all read
    }
}

void PtyServer::writeMaster(const QByteArray &bytes)
{
    m_trace('<', bytes);
    // A serial line has no flow control here: what does not fit is lost.
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
}
