// Downloads the demo rack over the simulator at 1200-baud line pacing and
// compares the wall time with the line-time floor of the same run: every
// character sent and received at 8.33 ms, the 10 ms pause before each
// command, and the delay the simulator itself added.
#include "app/frmv9con.h"
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
    auto rack = DemoRack();
    Session session(std::make_unique<SimulatedPortProvider>(*rack));
    frmV9Con window(session);
    int failures = 0;
    bool downloading = false;
    int refusedListings = 0;
    Messages::setHandler([&](Messages::Icon, const QString &title, const QString &text,
                             const QString &) {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
        // The demo rack refuses some writes on purpose; the download lists
        // them once at its end, and that alone is no failure of the run.
        const bool refusedList = downloading && title == QStringLiteral("Downloading") &&
                                 text.startsWith(QStringLiteral("These writes were not accepted"));
        if (refusedList && ++refusedListings == 1)
            return;
        ++failures;
    });

    // Fill the table from the rack first, unpaced, so the download writes
    // the rack's own values.
    window.connection().openAndConnect();
    if (!session.state.IsConnected)
        return 1;
    window.cmdUpload_Click();
    if (failures != 0 || !session.state.IsConnected)
        return 1;

    SimFaults pacing;
    pacing.pacing = true;
    rack->setFaults(pacing);
    session.traffic.clear();
    rack->resetCounters();

    downloading = true;
    QElapsedTimer clock;
    clock.start();
    window.cmdDownload_Click();
    const double wallMs = double(clock.nsecsElapsed()) / 1e6;
    downloading = false;

    const auto exchanges = static_cast<double>(session.traffic.entries().size());
    const double chars = double(rack->charsReceived() + rack->charsSent());
    const double floorMs =
        chars * kCharMs + exchanges * session.line.timing().pauseMs + double(rack->addedDelayMs());
    std::printf("exchanges: %.0f, characters on the line: %.0f\n", exchanges, chars);
    std::printf("wall time: %.0f ms\n", wallMs);
    std::printf("line-time floor: %.0f ms (characters x %.2f ms + %d ms pauses + %lld ms "
                "simulator delay)\n",
                floorMs, kCharMs, session.line.timing().pauseMs,
                static_cast<long long>(rack->addedDelayMs()));
    std::printf("ratio: %.4f (target < 1.02)\n", wallMs / floorMs);
    return failures == 0 ? 0 : 1;
}
