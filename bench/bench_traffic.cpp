// Appends 100,000 exchanges to a traffic log of the program's size while
// the traffic window is open (offscreen, so it paints), in bursts that the
// window's timer flushes, first into an empty log and then into a full one
// that drops a row for every row it gains, and last in the trickle a serial
// line makes. Prints the CPU time per entry, against the same appends with
// no window, the number of flushes and the CPU time of one flush.
#include "exchange/session.h"
#include "link/trafficlog.h"
#include "views/frmtraffic.h"
#include "views/trafficmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// A read as the line logs it: select, then item.
void appendEntries(TrafficLog &log, int from, int count)
{
    for (int n = from; n < from + count; ++n) {
        const bool select = n % 2 == 0;
        log.append({log.nowMs(),
                    select ? QByteArray("G") + QByteArray::number(n / 2 % 16 + 1) + '\r'
                           : QByteArrayLiteral("I10\r"),
                    select ? QByteArrayLiteral("COK\r") : QByteArrayLiteral("0V:12.34\r"),
                    25,
                    false,
                    {}});
    }
}

struct Figures
{
    double cpuMs = 0;
    int flushes = 0;
};

// Bursts of `burst` entries, each followed by the event loop until the
// window has flushed and painted.
Figures run(TrafficLog &log, frmTraffic *window, int from, int total, int burst)
{
    Figures f;
    QEventLoop loop;
    if (window)
        QObject::connect(window->model(), &TrafficModel::flushed, &loop, [&] {
            ++f.flushes;
            loop.quit();
        });
    const double cpu0 = cpuMs();
    for (int done = 0; done < total; done += burst) {
        appendEntries(log, from + done, burst);
        if (window)
            loop.exec();
        QCoreApplication::processEvents();
    }
    f.cpuMs = cpuMs() - cpu0;
    return f;
}

void print(const char *what, const Figures &with, const Figures &without, int entries)
{
    std::printf("%s: %d entries, %d flushes, CPU %.0f ms with the window, %.0f ms without; "
                "%.2f us per entry, of which the window %.2f us\n",
                what, entries, with.flushes, with.cpuMs, without.cpuMs, 1e3 * with.cpuMs / entries,
                1e3 * (with.cpuMs - without.cpuMs) / entries);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = static_cast<int>(Session::kTrafficKept);
    const int burst = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;

    TrafficLog bare(Session::kTrafficKept);
    const Figures bareFill = run(bare, nullptr, 0, entries, burst);
    const Figures bareFull = run(bare, nullptr, entries, entries, burst);

    TrafficLog log(Session::kTrafficKept);
    frmTraffic window(log);
    window.resize(800, 500);
    window.show();
    QCoreApplication::processEvents();
    std::printf("bursts of %d entries, one flush each (every %d ms at most)\n", burst,
                TrafficModel::kFlushMs);
    print("empty log", run(log, &window, 0, entries, burst), bareFill, entries);
    print("full log", run(log, &window, entries, entries, burst), bareFull, entries);
    // A line at 1200 baud makes about 20 exchanges a second: two per flush.
    constexpr int kSmallBurst = 2;
    constexpr int kSmallFlushes = 50;
    const Figures small = run(log, &window, 2 * entries, kSmallBurst * kSmallFlushes, kSmallBurst);
    std::printf("full log, bursts of %d: %d flushes, %.2f ms CPU per flush; at one flush "
                "every %d ms that is %.2f %% of one core\n",
                kSmallBurst, small.flushes, small.cpuMs / small.flushes, TrafficModel::kFlushMs,
                100.0 * small.cpuMs / small.flushes / TrafficModel::kFlushMs);

    // The whole log at once: one flush of 100,000 rows.
    TrafficLog once(Session::kTrafficKept);
    frmTraffic onceWindow(once);
    onceWindow.show();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    appendEntries(once, 0, entries);
    const double appendMs = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    onceWindow.model()->flush();
    QCoreApplication::processEvents();
    std::printf("one burst of %d: %.2f us per append, %.1f ms for the flush and paint, "
                "rows %d\n",
                entries, 1e3 * appendMs / entries, double(clock.nsecsElapsed()) / 1e6,
                onceWindow.model()->rowCount());
    return 0;
}
