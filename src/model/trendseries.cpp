#include "model/trendseries.h"

#include "model/cardrecord.h"

#include <QDateTime>
#include <QStringBuilder>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QList<TrendPoint> kNoPoints;

QString isoTime(qint64 ms)
{
    // Local time, with its offset so the file reads the same anywhere.
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

// The smallest of 1, 2, 5 times a power of ten that is at least x (> 0), as
// that multiple and power.
std::pair<int, int> niceStep(double x)
{
    const int power = static_cast<int>(std::floor(std::log10(x)));
    const double f = x / std::pow(10.0, power);
    // A little slack: 2.0000000001 from rounding is still a step of 2.
    for (const int m : {1, 2, 5})
        if (f <= m * (1 + 1e-9))
            return {m, power};
    return {1, power + 1};
}

} // namespace

TrendAxis NiceTrendAxis(double lo, double hi)
{
    if (lo > hi)
        std::swap(lo, hi);
    if (hi - lo <= std::abs(hi) * 1e-12) {
        // A flat line sits mid-height with a tenth of its size either side.
        const double pad = std::max(1.0, std::abs(hi) * 0.1);
        lo -= pad;
        hi += pad;
    }
    constexpr int kSteps = 5;
    TrendAxis a;
    const auto [multiple, power] = niceStep((hi - lo) / kSteps);
    // Divided by a whole power rather than times a fraction, so a step of
    // 0.1 is the double nearest 0.1.
    a.step = power >= 0 ? multiple * std::pow(10.0, power) : multiple / std::pow(10.0, -power);
    a.decimals = std::max(0, -power);
    a.min = std::floor(lo / a.step + 1e-9) * a.step;
    a.max = std::ceil(hi / a.step - 1e-9) * a.step;
    a.count = static_cast<int>(std::lround((a.max - a.min) / a.step)) + 1;
    // floor() * step can leave 0.30000000000000004 or -0; labels need neither.
    const double unit = std::pow(10.0, a.decimals);
    a.min = std::round(a.min * unit) / unit + 0.0;
    a.max = std::round(a.max * unit) / unit + 0.0;
    return a;
}

QString TrendUnitText(const CardRecord &card)
{
    if (!card.hasSensor())
        return {};
    switch (card.unit()) {
    case TempUnit::Celsius:
        return QStringLiteral("\u00b0C");
    case TempUnit::Fahrenheit:
        return QStringLiteral("\u00b0F");
    case TempUnit::Kelvin:
        return QStringLiteral("K");
    }
    return {};
}

TrendSpan TrendSeries::span(qint64 now) const
{
    qint64 oldest = 0;
    bool any = false;
    for (const auto &list : m_points)
        if (!list.isEmpty()) {
            oldest = any ? std::min(oldest, list.first().ms) : list.first().ms;
            any = true;
        }
    if (!any)
        return {now, now + kMinSpanMs};
    return {oldest, std::max(m_newestMs, oldest + kMinSpanMs)};
}

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

void TrendSeries::breakRuns(qint64 msSinceEpoch)
{
    for (int ch = 1; ch <= kChannels; ++ch) {
        const QList<TrendPoint> &list = points(ch);
        if (!list.isEmpty() && !list.last().gap)
            append(ch, msSinceEpoch, QString());
    }
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
