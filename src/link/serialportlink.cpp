#include "link/serialportlink.h"

#include "link/linesettings.h"

#include <QFile>
#include <QSerialPort>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// QSerialPort reports a port that another program holds (its lock file, a
// busy device) as a permission error, the same as a device this user may
// not open at all. Only the latter is about permissions.
bool mayOpen(const QString &device)
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#else
    // A COM port that another program has open answers "access denied".
    Q_UNUSED(device);
    return true;
#endif
}

} // namespace

SerialPortLink::SerialPortLink(QString device, QObject *parent)
    : LinkPort(parent), m_device(std::move(device)), m_serial(new QSerialPort(this))
{
    m_serial->setPortName(m_device);
    connect(m_serial, &QSerialPort::readyRead, this, &LinkPort::readyRead);
    connect(m_serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

SerialPortLink::~SerialPortLink() = default;

QString SerialPortLink::open(const LineSettings &s)
{
    if (const QString problem = LineSettingsProblem(s); !problem.isEmpty())
        return problem;
    if (m_serial->isOpen())
        m_serial->close();
    m_serial->setBaudRate(s.baud);
    m_serial->setParity(s.parity == LineSettings::Parity::Even  ? QSerialPort::EvenParity
                        : s.parity == LineSettings::Parity::Odd ? QSerialPort::OddParity
                                                                : QSerialPort::NoParity);
    m_serial->setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits));
    m_serial->setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        if (m_serial->error() == QSerialPort::PermissionError && mayOpen(m_device))
            return QStringLiteral("%1: the port is in use by another program").arg(m_device);
        return QStringLiteral("%1: %2").arg(m_device, m_serial->errorString());
    }
    // Qt 6.4 does not flush on open; drop whatever the driver still holds.
    m_serial->clear();
    return {};
}

void SerialPortLink::close()
{
    if (!m_serial->isOpen())
        return;
    m_serial->close();
    emit failed(QStringLiteral("Port closed"));
}

bool SerialPortLink::isOpen() const
{
    return m_serial->isOpen();
}

bool SerialPortLink::write(const QByteArray &bytes)
{
    if (!m_serial->isOpen())
        return false;
    return m_serial->write(bytes) == bytes.size();
}

QByteArray SerialPortLink::readAll()
{
    return m_serial->isOpen() ? m_serial->readAll() : QByteArray();
}

void SerialPortLink::discardInput()
{
    if (!m_serial->isOpen())
        return;
    m_serial->readAll();
    m_serial->clear(QSerialPort::Input);
}

void SerialPortLink::onError(int error)
{
    switch (static_cast<QSerialPort::SerialPortError>(error)) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    // Pseudo-terminals refuse modem-line queries; that is no lost link.
    case QSerialPort::UnsupportedOperationError:
        return;
    case QSerialPort::OpenError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
        // Reported through open()'s result.
        if (!m_serial->isOpen())
            return;
        break;
    default:
        break;
    }
    const QString reason = m_serial->errorString();
    m_serial->clearError();
    if (m_serial->isOpen())
        m_serial->close();
    emit failed(reason);
}
