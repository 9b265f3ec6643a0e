// Monitors the demo rack on the overview at 1200-baud line pacing for a
// fixed number of passes and compares the time per pass with the line-time
// floor of those passes (characters at 8.33 ms, the 10 ms pause before each
// command, the pause between passes, the simulator's own delay). Also
// prints the CPU time of the process (program and in-process simulator) as
// a share of the wall time, once alone and once with the traffic and trend
// windows open.
#include "app/frmv9con.h"
#include "app/viewwindows.h"
#include "cpuclock.h"
#include "exchange/monitoring.h"
#include "exchange/session.h"
#include "sim/demorack.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"
#include "ui/messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int passes = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    auto rack = DemoRack();
    Session session(std::make_unique<SimulatedPortProvider>(*rack));
    frmV9Con window(session);
    int failures = 0;
    Messages::setHandler(
        [&](Messages::Icon, const QString &title, const QString &text, const QString &) {
            std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
            ++failures;
        });
    window.connection().openAndConnect();
    window.cmdUpload_Click();
    if (!session.state.IsConnected || failures)
        return 1;

    // One pass of the demo rack is 19 reads of two command lines each.
    constexpr int kLinesPerPass = 38;
    rack->setFaults({.pacing = true});
    double cpuShare[2] = {0, 0};
    for (int withWindows = 0; withWindows <= 1; ++withWindows) {
        if (withWindows) {
            window.viewWindows().showTraffic();
            window.viewWindows().showTrend(2);
        }
        session.traffic.clear();
        rack->resetCounters();
        int lines = 0;
        auto counting = QObject::connect(&session.traffic, &TrafficLog::appended, &window,
                                         [&](const TrafficEntry &) {
                                             if (++lines == passes * kLinesPerPass)
                                                 window.cmdStop_Click();
                                         });
        QElapsedTimer clock;
        clock.start();
        const double cpu0 = cpuSeconds();
        window.cmdStart_Click();
        const double wallMs = double(clock.nsecsElapsed()) / 1e6;
        const double cpuMs = (cpuSeconds() - cpu0) * 1000.0;
        QObject::disconnect(counting);

        const double chars = double(rack->charsReceived() + rack->charsSent());
        const double floorMs = chars * kCharMs + lines * session.line.timing().pauseMs +
                               (passes - 1) * kMonitorPauseMs + double(rack->addedDelayMs());
        cpuShare[withWindows] = 100.0 * cpuMs / wallMs;
        std::printf("%s\n", withWindows ? "with the traffic and trend windows open:"
                                        : "without other windows:");
        std::printf("  passes: %d, command lines: %d, characters on the line: %.0f\n", passes,
                    lines, chars);
        std::printf("  time per pass: %.0f ms, line-time floor per pass: %.0f ms\n",
                    wallMs / passes, floorMs / passes);
        std::printf("  ratio: %.4f (target < 1.02)\n", wallMs / floorMs);
        std::printf("  CPU: %.0f ms of %.0f ms wall, %.2f %% (target < 2 %%)\n", cpuMs, wallMs,
                    cpuShare[withWindows]);
    }
    std::printf("the windows add %.2f percentage points of CPU (target < 1)\n",
                cpuShare[1] - cpuShare[0]);
    return failures == 0 ? 0 : 1;
}
