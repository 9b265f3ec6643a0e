#include "cli/monitorcommand.h"

#include "cli/console.h"
#include "cli/csvwriter.h"
#include "cli/fileaccess.h"
#include "cli/interruptwatch.h"
#include "cli/monitorlog.h"
#include "cli/progressprinter.h"
#include "cli/rackconnection.h"
#include "exchange/monitoring.h"
#include "exchange/session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QTimer>

namespace {

// Waits ms with the event loop running; a stop cuts it short.
void pauseWhileMonitoring(const Session &s, int ms)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (s.state.IsMonitoring && s.line.isOpen() && elapsed.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(50, ms - elapsed.elapsed()), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace

int RunMonitor(Session &session, Console &console, const MonitorSettings &settings)
{
    const QString shown = QDir::toNativeSeparators(settings.csvPath);
    if (!settings.csvPath.isEmpty()) {
        const QString problem = OutputPathProblem(settings.csvPath);
        if (!problem.isEmpty()) {
            console.error(problem);
            return kExitUsage;
        }
    }
    ProgressPrinter progress(console);
    const QString error = UploadRack(session, progress);
    if (!error.isEmpty()) {
        ReportRackFailure(console, session, error, progress.failurePlace());
        return kExitRack;
    }

    // Opened only now, so a rack that does not answer leaves no file behind.
    QFile file(settings.csvPath);
    QTextStream fileStream;
    if (!settings.csvPath.isEmpty()) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            console.error(QStringLiteral("cannot write %1: %2").arg(shown, file.errorString()));
            return kExitUsage;
        }
        fileStream.setDevice(&file);
    }
    QTextStream &stream = settings.csvPath.isEmpty() ? console.out : fileStream;
    CsvWriter csv(stream);
    csv.writeRow(MonitorLog::header());

    int passes = 0;
    const int extraPauseMs = std::max(0, settings.intervalMs - kMonitorPauseMs);
    MonitorLog log(session.cards, session.live, csv, [&] {
        ++passes;
        if (stream.status() != QTextStream::Ok) {
            session.state.IsMonitoring = false;
            return;
        }
        if (settings.passes > 0 && passes >= settings.passes) {
            // Cleared from the event loop, after the core has judged the
            // pass: a pass without any answer still counts as a lost rack.
            QTimer::singleShot(0, &session.line, [&session] { StopMonitoring(session); });
            return;
        }
        pauseWhileMonitoring(session, extraPauseMs);
    });
    if (log.nothingToRead()) {
        console.error(QStringLiteral("nothing to monitor: no card with channels in the rack"));
        return kExitDone;
    }

    // The upload's bar has ended; until the first row, this says what runs.
    QString waits = QStringLiteral("Monitoring %1 card%2 every pass")
                        .arg(log.cardCount())
                        .arg(log.cardCount() == 1 ? QString() : QStringLiteral("s"));
    if (settings.passes > 0)
        waits += QStringLiteral(", %1 pass%2")
                     .arg(settings.passes)
                     .arg(settings.passes == 1 ? QString() : QStringLiteral("es"));
    if (!settings.csvPath.isEmpty())
        waits += QStringLiteral(", rows to ") + shown;
    console.err << waits << QStringLiteral("; Ctrl-C stops") << Qt::endl;

    InterruptWatch interrupt([&session] { StopMonitoring(session); });
    session.state.IsMonitoring = true;
    const MonitorEnd end = MonitorAllCards(session, log);
    session.state.IsMonitoring = false;
    if (!settings.csvPath.isEmpty()) {
        const QString reason = FinishCsvFile(fileStream, file);
        if (!reason.isNull()) {
            console.error(QStringLiteral("cannot write %1: %2").arg(shown, reason));
            return kExitUsage;
        }
    } else if (stream.status() != QTextStream::Ok) {
        console.error(QStringLiteral("cannot write %1").arg(QStringLiteral("standard output")));
        return kExitUsage;
    }
    if (end == MonitorEnd::LinkLost) {
        ReportRackFailure(console, session,
                          LinkFailureText(session, QStringLiteral("monitoring ended")));
        return kExitRack;
    }
    return kExitDone;
}
