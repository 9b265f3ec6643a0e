// The exchange through QSerialPort on a real pseudo-terminal: the same code
// path a USB adapter takes.
#include "link/serialline.h"
#include "link/serialportlink.h"
#include "link/transactions.h"

#include <QSocketNotifier>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void exchangeOverPty()
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        const QString slave = QString::fromLocal8Bit(ptsname(master));

        // A one-card rack on the master side.
        QByteArray seen;
        QByteArray pending;
        QSocketNotifier notifier(master, QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [&] {
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                return;
            seen.append(buf, n);
            pending.append(buf, n);
            qsizetype cr;
            while ((cr = pending.indexOf('\r')) >= 0) {
                const QByteArray cmd = pending.left(cr);
                pending.remove(0, cr + 1);
                const QByteArray reply = cmd == "G00"   ? "COK\r\n"
                                         : cmd == "I04" ? "0V9-XS1-A:ETH\r"
                                                        : "CNU\r";
                QVERIFY(::write(master, reply.constData(), reply.size()) == reply.size());
            }
        });

        SerialLine line;
        auto port = std::make_unique<SerialPortLink>(slave);
        QVERIFY2(port->open(LineSettings{}).isEmpty(), qPrintable(slave));
        line.attachPort(std::move(port));
        line.setTiming({2000, 10});
        QCOMPARE(
            ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("04")).valueOr(QString()),
            QStringLiteral("V9-XS1-A:ETH"));
        QCOMPARE(seen, QByteArray("G00\rI04\r"));
        line.close();
        ::close(master);
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "test_serialport.moc"
