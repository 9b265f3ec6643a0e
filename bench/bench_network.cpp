// Uploads the demo rack from v9rack-sim at 1200-baud line pacing over its
// pseudo-terminal directly and through Debian's ser2net (raw and RFC 2217),
// one after the other in one run, and prints each one's wall time, its
// ratio to the direct one and to the line-time floor, and the CPU time this
// process used meanwhile. ser2net runs with chardelay off, as V9CON's
// documentation advises, and once more with its defaults for comparison.
#include "cpuclock.h"
#include "exchange/connect.h"
#include "exchange/session.h"
#include "exchange/upload.h"
#include "sim/simfaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QString startSim(QProcess &sim)
{
    sim.start(QStringLiteral(V9RACK_SIM), {QStringLiteral("--pacing")});
    while (sim.waitForReadyRead(5000) && !sim.canReadLine()) {
    }
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// ser2net on `pty` with one port of the given accepter; "" when it does not listen.
QString startSer2net(QProcess &ser2net, const QTemporaryDir &dir, const QString &pty, bool rfc2217,
                     bool chardelay)
{
    const quint16 port = freePort();
    QFile config(dir.filePath(QStringLiteral("ser2net-%1.yaml").arg(port)));
    if (!config.open(QIODevice::WriteOnly))
        return {};
    config.write(QStringLiteral("connection: &rack\n"
                                "    accepter: %1tcp,127.0.0.1,%2\n"
                                "    connector: serialdev,%3,1200n81,local\n"
                                "    options:\n"
                                "      chardelay: %4\n")
                     .arg(rfc2217 ? QStringLiteral("telnet(rfc2217),") : QString())
                     .arg(port)
                     .arg(pty, chardelay ? QStringLiteral("true") : QStringLiteral("false"))
                     .toUtf8());
    config.close();
    QString program = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    if (program.isEmpty())
        program = QStringLiteral("/usr/sbin/ser2net");
    ser2net.start(program, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"),
                            config.fileName(), QStringLiteral("-P"),
                            dir.filePath(QStringLiteral("ser2net.pid"))});
    for (int tries = 0; tries < 100 && ser2net.waitForStarted(5000); ++tries) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(1000)) {
            probe.abort();
            // ser2net lets the device go a moment after the probe leaves.
            QThread::msleep(300);
            return QStringLiteral("%1://127.0.0.1:%2")
                .arg(rfc2217 ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
                .arg(port);
        }
        QThread::msleep(50);
    }
    return {};
}

struct Figures
{
    bool ok = false;
    double wallMs = 0;
    double cpuMs = 0;
    double floorMs = 0;
};

Figures upload(const QString &port)
{
    auto ports = std::make_unique<SerialPortProvider>();
    ports->map(1, port);
    Session session(std::move(ports));
    Figures f;
    if (ConnectComCard(session).result != ConnectOutcome::Result::Connected)
        return f;
    session.traffic.clear();
    RackObserver quiet;
    const double cpu0 = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    f.ok = UploadAllCards(session, quiet) == OperationResult::Completed;
    f.wallMs = double(clock.nsecsElapsed()) / 1e6;
    f.cpuMs = (cpuSeconds() - cpu0) * 1000;
    double chars = 0;
    for (const TrafficEntry &e : session.traffic.entries())
        chars += double(e.command.size() + e.reply.size());
    f.floorMs =
        chars * kCharMs + double(session.traffic.entries().size()) * session.line.timing().pauseMs;
    session.line.close();
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QProcess sim;
    const QString pty = startSim(sim);
    if (!pty.startsWith(QLatin1String("/dev/"))) {
        std::fprintf(stderr, "v9rack-sim did not start\n");
        return 1;
    }

    struct Row
    {
        const char *name;
        bool network;
        bool rfc2217;
        bool chardelay;
    };
    const Row rows[] = {
        {"pty directly", false, false, false},
        {"ser2net raw", true, false, false},
        {"ser2net RFC 2217", true, true, false},
        {"ser2net raw, its defaults", true, false, true},
        {"ser2net RFC 2217, its defaults", true, true, true},
    };
    std::printf("Upload of the demo rack, v9rack-sim --pacing (1200 baud 8N1)\n");
    std::printf("%-32s %10s %8s %12s %10s %8s\n", "port", "wall ms", "ratio", "floor ratio",
                "CPU ms", "CPU %");
    double direct = 0;
    int failures = 0;
    for (const Row &row : rows) {
        QProcess ser2net;
        QString port = pty;
        if (row.network)
            port = startSer2net(ser2net, dir, pty, row.rfc2217, row.chardelay);
        const Figures f = port.isEmpty() ? Figures{} : upload(port);
        if (ser2net.state() != QProcess::NotRunning) {
            ser2net.terminate();
            ser2net.waitForFinished(5000);
        }
        if (!f.ok) {
            std::printf("%-32s failed\n", row.name);
            ++failures;
            continue;
        }
        if (direct == 0)
            direct = f.wallMs;
        std::printf("%-32s %10.0f %8.4f %12.4f %10.1f %7.2f%%\n", row.name, f.wallMs,
                    f.wallMs / direct, f.wallMs / f.floorMs, f.cpuMs, 100.0 * f.cpuMs / f.wallMs);
    }
    std::printf("aims: ratio to the direct upload at most 1.03, CPU below 1 %% of a core\n");
    sim.kill();
    sim.waitForFinished(5000);
    return failures == 0 ? 0 : 1;
}
