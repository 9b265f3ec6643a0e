// Opens the Change Log window (offscreen) on a generated log of about
// 80 MB and prints how long it takes until the table shows the log, the
// longest time the window's event loop went without running (a 10 ms timer
// ticks meanwhile), the process's peak memory, and the time of a CSV export
// of every entry.
//
//   bench_changelog [MEGABYTES]   (default 80)
#include "files/changelog.h"
#include "ui/csvsavedialog.h"
#include "views/frmchangelog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// Lines like a download's: every slot, a refused or silent one now and then.
qint64 writeLog(const QString &path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    ChangeEntry e;
    e.time = QDateTime::fromString(QStringLiteral("2025-03-14T10:21:07+01:00"), Qt::ISODate);
    e.port = QStringLiteral("COM1 (/dev/ttyUSB0)");
    e.commCard = QStringLiteral("V9-XS1-A 1.05");
    e.model = QStringLiteral("XD1-K");
    e.parameter = QStringLiteral("Zero scale, Ch. 1");
    qint64 lines = 0;
    QByteArray chunk;
    while (file.size() < bytes) {
        e.time = e.time.addSecs(1);
        e.slot = int(lines % 17);
        e.item = QString::number(13 + lines % 20);
        e.old = QString::number(lines % 1000);
        e.value = QString::number(lines % 997);
        e.result = lines % 50 == 0 ? ChangeResult::Refused : ChangeResult::Written;
        chunk += ChangeLogLine(e) + '\n';
        ++lines;
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 80;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("change-log.jsonl"));
    const qint64 lines = writeLog(path, megabytes << 20);
    std::printf("log: %lld lines, %.1f MB; peak memory before the window %ld MB\n",
                static_cast<long long>(lines), double(QFile(path).size()) / (1 << 20), peakRssMb());

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, &ticker,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    // The window is done when the table holds rows and the event loop has
    // run once since (a window that loads in the background fills it then).
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    frmChangeLog window([path] { return path; });
    window.show();
    const QAbstractItemModel *model = window.findChild<QAbstractItemView *>()->model();
    while (model->rowCount() == 0 && clock.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
    longestGap = std::max(longestGap, sinceTick.elapsed());
    const qint64 loadMs = clock.elapsed();
    std::printf("open: %lld ms until %d rows shown; longest time without the event loop "
                "%lld ms; peak memory %ld MB\n",
                static_cast<long long>(loadMs), model->rowCount(),
                static_cast<long long>(longestGap), peakRssMb());

    const QString csv = dir.filePath(QStringLiteral("change-log.csv"));
    CsvSaveDialog::setHandler([csv](const QString &) { return csv; });
    clock.restart();
    window.cmdSaveAs_Click();
    // An export in the background is done when the file is there.
    while (!QFile::exists(csv) && clock.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("CSV export: %lld ms, %.1f MB; peak memory %ld MB\n",
                static_cast<long long>(clock.elapsed()), double(QFile(csv).size()) / (1 << 20),
                peakRssMb());
    return 0;
}
