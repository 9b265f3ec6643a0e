#include "files/trafficcsv.h"

#include "files/csvfields.h"
#include "files/savefile.h"
#include "link/trafficanalysis.h"
#include "link/trafficlog.h"

QString TrafficCsv(const TrafficLog &log)
{
    const std::deque<TrafficEntry> &e = log.entries();
    QString out = QStringLiteral("time,card,command,reply,ms,mark\r\n");
    qint64 select = -1;
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (IsCardSelect(e[i]))
            select = static_cast<qint64>(i);
        const QStringList fields{
            TrafficTimeText(log, e[i]),
            select >= 0 ? TrafficCardText(e[static_cast<std::size_t>(select)]) : QString(),
            TrafficBytesText(e[i].command),
            TrafficBytesText(e[i].reply),
            QString::number(e[i].elapsedMs),
            TrafficMarkText(e[i]),
        };
        out += CsvLine(fields) + QLatin1String("\r\n");
    }
    return out;
}

Status SaveTrafficCsv(const TrafficLog &log, const QString &path)
{
    return SaveWholeFile(path, TrafficCsv(log).toUtf8());
}
