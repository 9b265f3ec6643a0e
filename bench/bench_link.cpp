// Prints (a) the mean cost of one exchange beyond the 10 ms pause against a
// far end that answers at once, and (b) the CPU time spent in one 3 s
// time-out wait.
#include "cpuclock.h"
#include "link/memoryport.h"
#include "link/serialline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(1000, atoi(argv[1])) : 1000;

    SerialLine line;
    auto owned = std::make_unique<MemoryPort>();
    MemoryPort *port = owned.get();
    line.attachPort(std::move(owned));
    port->open(LineSettings{});
    bool answer = true;
    QObject::connect(port, &MemoryPort::written, port, [&](const QByteArray &) {
        if (answer)
            port->inject("COK\r");
    });

    const LinkTiming timing; // the product's own constants
    QElapsedTimer clock;
    clock.start();
    int ok = 0;
    for (int i = 0; i < exchanges; ++i)
        ok += line.SendCommand(QStringLiteral("G00\r")).valueOr(QString()) == QLatin1String("COK");
    const double meanMs = double(clock.nsecsElapsed()) / 1e6 / exchanges;
    std::printf("exchanges answered: %d of %d\n", ok, exchanges);
    std::printf("(a) mean time per exchange: %.3f ms, overhead beyond the %d ms pause: %.3f ms "
                "(target < 0.5 ms)\n",
                meanMs, timing.pauseMs, meanMs - timing.pauseMs);

    answer = false;
    const double cpu0 = cpuSeconds();
    clock.restart();
    const bool silent = line.SendCommand(QStringLiteral("G00\r")).is(Failure::Silent);
    const double wallS = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    std::printf("(b) time-out wait: %.3f s wall, %.4f s CPU = %.3f %% of the wait "
                "(target < 1 %%)\n",
                wallS, cpu, 100.0 * cpu / wallS);
    return ok == exchanges && silent ? 0 : 1;
}
