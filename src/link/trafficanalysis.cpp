#include "link/trafficanalysis.h"

#include "link/trafficlog.h"

bool IsCardSelect(const TrafficEntry &e)
{
    return e.command.startsWith('G');
}

QString TrafficBytesText(QByteArrayView bytes)
{
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    static const char hex[] = "0123456789ABCDEF";
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<uchar>(c);
        if (u >= 0x20 && u < 0x7f && u != '\\') {
            out += QLatin1Char(c);
        } else {
            out += QLatin1String("\\x");
            out += QLatin1Char(hex[u >> 4]);
            out += QLatin1Char(hex[u & 0xf]);
        }
    }
    return out;
}

QString TrafficCardText(const TrafficEntry &select)
{
    return TrafficBytesText(QByteArrayView(select.command).sliced(1));
}

// A retry is marked where the transaction really began another attempt: the
// line records the attempt of every exchange, and each begins with a select.
QString TrafficMarkText(const TrafficEntry &e)
{
    if (IsCardSelect(e) && e.attempt > 0)
        return e.timedOut ? QStringLiteral("retry, time-out") : QStringLiteral("retry");
    if (e.timedOut)
        return QStringLiteral("time-out");
    // The card answered but kept its value: as easy to miss as a silence.
    if (e.command.startsWith('D')) {
        const QByteArray reply = e.reply.trimmed();
        if (reply == "CNG" || reply == "CNU")
            return QStringLiteral("refused");
    }
    return {};
}

QString TrafficTimeText(const TrafficLog &log, const TrafficEntry &e)
{
    return log.wallTime(e.startMs).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString TrafficDateTimeText(const TrafficLog &log, const TrafficEntry &e)
{
    return log.wallTime(e.startMs).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}
