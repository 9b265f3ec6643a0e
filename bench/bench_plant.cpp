// v9con-cli plant backup of N racks of the demo rack (N = 1, 8, 32), each
// served by its own v9rack-sim --pacing on a pseudo-terminal, against one
// rack's upload -o: wall time and its ratio, the CLI's CPU time as a share
// of one core, and the CLI's peak resident memory. Prints figures only.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

struct Usage
{
    double cpu = 0;    // seconds, children reaped so far
    long maxRssKb = 0; // the largest of them
};

// The simulators stay running (unreaped) while the CLI runs, so the
// children's figures move only by the CLI's.
Usage children()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return {double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
                double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6,
            u.ru_maxrss};
}

QString startSim(QProcess &sim)
{
    sim.start(QStringLiteral(V9RACK_SIM), {QStringLiteral("--pacing")});
    while (sim.waitForReadyRead(5000) && !sim.canReadLine()) {
    }
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

struct Measured
{
    double seconds = 0;
    double cpu = 0;
    int code = -1;
};

Measured runCli(const QStringList &args)
{
    const Usage before = children();
    QElapsedTimer clock;
    clock.start();
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    cli.start(QStringLiteral(V9CON_CLI), args);
    cli.waitForFinished(-1);
    Measured m;
    m.seconds = double(clock.elapsed()) / 1000.0;
    m.cpu = children().cpu - before.cpu;
    m.code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> sims;
    QStringList devices;
    const auto addSims = [&](int n) {
        while (devices.size() < n) {
            sims.push_back(std::make_unique<QProcess>());
            devices << startSim(*sims.back());
        }
    };

    addSims(1);
    const Measured single =
        runCli({QStringLiteral("--port"), devices.first(), QStringLiteral("upload"),
                QStringLiteral("-o"), dir.filePath(QStringLiteral("single.uJx"))});
    std::printf("one rack's upload -o (paced demo rack): %.1f s, exit %d, CPU %.2f s (%.1f %% "
                "of a core)\n",
                single.seconds, single.code, single.cpu, 100.0 * single.cpu / single.seconds);
    std::printf("%6s %10s %8s %8s %10s %12s %6s\n", "racks", "wall s", "ratio", "CPU s",
                "CPU % core", "peak RSS MB", "exit");
    for (const int n : {1, 8, 32}) {
        addSims(n);
        QStringList racks;
        for (int i = 0; i < n; ++i)
            racks << QStringLiteral("{\"name\": \"R%1\", \"port\": \"%2\"}")
                         .arg(i + 1)
                         .arg(devices.at(i));
        const QString plant = dir.filePath(QStringLiteral("plant-%1.json").arg(n));
        QFile f(plant);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(QStringLiteral("{\"racks\": [%1]}").arg(racks.join(QStringLiteral(", "))).toUtf8());
        f.close();
        const Measured m =
            runCli({QStringLiteral("plant"), QStringLiteral("backup"), plant,
                    QStringLiteral("--jobs"), QString::number(n), QStringLiteral("--json")});
        // ru_maxrss is the largest child so far: the runs grow, so it is this one's.
        std::printf("%6d %10.1f %8.2f %8.2f %10.1f %12.1f %6d\n", n, m.seconds,
                    m.seconds / single.seconds, m.cpu, 100.0 * m.cpu / m.seconds,
                    double(children().maxRssKb) / 1024.0, m.code);
        std::fflush(stdout);
    }
    for (auto &sim : sims) {
        sim->terminate();
        sim->waitForFinished(5000);
    }
    return 0;
}
