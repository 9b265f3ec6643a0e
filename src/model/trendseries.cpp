#include "model/trendseries.h"

#include <QDateTime>
#include <QStringBuilder>
#include <algorithm>
#include <cmath>

namespace {

const QList<TrendPoint> kNoPoints;

QString isoTime(qint64 ms)
{
    // Local time, with its offset so the file reads the same anywhere.
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

} // namespace

bool TrendSeries::parseValue(const QString &text, double &value)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    // toDouble takes "nan" and "inf"; neither can be plotted.
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

void TrendSeries::append(int channel, qint64 msSinceEpoch, const QString &text)
{
    if (channel < 1 || channel > kChannels)
        return;
    if (m_any)
        msSinceEpoch = std::max(msSinceEpoch, m_newestMs);
    m_newestMs = msSinceEpoch;
    m_any = true;
    TrendPoint p{msSinceEpoch, 0, false};
    p.gap = !parseValue(text, p.value);
    m_points[static_cast<std::size_t>(channel - 1)].append(p);
    dropOld();
}

void TrendSeries::setWindowMs(qint64 ms)
{
    m_windowMs = std::max<qint64>(ms, 0);
    dropOld();
}

void TrendSeries::clear()
{
    for (auto &list : m_points)
        list.clear();
    m_newestMs = 0;
    m_any = false;
}

bool TrendSeries::isEmpty() const
{
    return std::all_of(m_points.begin(), m_points.end(),
                       [](const QList<TrendPoint> &l) { return l.isEmpty(); });
}

const QList<TrendPoint> &TrendSeries::points(int channel) const
{
    if (channel < 1 || channel > kChannels)
        return kNoPoints;
    return m_points[static_cast<std::size_t>(channel - 1)];
}

QList<QList<QPointF>> TrendSeries::runs(int channel) const
{
    QList<QList<QPointF>> out;
    bool inRun = false;
    for (const TrendPoint &p : points(channel)) {
        if (p.gap) {
            inRun = false;
            continue;
        }
        if (!inRun)
            out.append(QList<QPointF>());
        inRun = true;
        out.last().append(QPointF(static_cast<qreal>(p.ms), p.value));
    }
    return out;
}

bool TrendSeries::valueRange(double &lo, double &hi) const
{
    bool found = false;
    for (const auto &list : m_points)
        for (const TrendPoint &p : list) {
            if (p.gap)
                continue;
            lo = found ? std::min(lo, p.value) : p.value;
            hi = found ? std::max(hi, p.value) : p.value;
            found = true;
        }
    return found;
}

QString TrendSeries::csv() const
{
    static_assert(kChannels == 2, "the merge below takes two channels");
    const QList<TrendPoint> &ch1 = m_points[0];
    const QList<TrendPoint> &ch2 = m_points[1];
    QString out = QStringLiteral("time,channel,value\n");
    auto line = [&out](const TrendPoint &p, int channel) {
        out += isoTime(p.ms) % QLatin1Char(',') % QString::number(channel) % QLatin1Char(',') %
               (p.gap ? QString() : QString::number(p.value, 'g', 15)) % QLatin1Char('\n');
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < ch1.size() || j < ch2.size()) {
        // Oldest first; channel 1 wins a tie.
        if (j >= ch2.size() || (i < ch1.size() && ch1[i].ms <= ch2[j].ms))
            line(ch1[i++], 1);
        else
            line(ch2[j++], 2);
    }
    return out;
}

void TrendSeries::dropOld()
{
    const qint64 cutoff = m_newestMs - m_windowMs;
    for (auto &list : m_points) {
        // Times within a channel never decrease, so the old ones lead.
        const auto firstKept = std::find_if(
            list.cbegin(), list.cend(), [cutoff](const TrendPoint &p) { return p.ms >= cutoff; });
        const qsizetype n = firstKept - list.cbegin();
        if (n > 0)
            list.remove(0, n);
    }
}
