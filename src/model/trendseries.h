#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QtGlobal>
#include <array>

struct CardRecord;

// One value of a channel at a time; a gap where the card showed no number.
struct TrendPoint
{
    qint64 ms = 0; // since the epoch
    double value = 0;
    bool gap = false;

    bool operator==(const TrendPoint &) const = default;
};

// A value axis with round ticks: from `min` to `max` in steps of `step`
// (1, 2 or 5 times a power of ten), `count` ticks in all, labels with
// `decimals` places.
struct TrendAxis
{
    double min = 0;
    double max = 0;
    double step = 0;
    int count = 0;
    int decimals = 0;
};
// The axis for values from lo to hi, about five steps long; a flat line gets
// some room around it.
TrendAxis NiceTrendAxis(double lo, double hi);

// The time axis's range, ms since the epoch.
struct TrendSpan
{
    qint64 from = 0;
    qint64 to = 0;

    bool operator==(const TrendSpan &) const = default;
};

// The unit a card's values are in, for the value axis: the temperature unit
// of thermocouple and RTD cards ("°C", "°F", "K"), else none.
QString TrendUnitText(const CardRecord &card);

// The recent values of one card's channels, as the trend window plots them.
// Values are the numbers as the rack sent them ("12.5" is 12.5). Anything
// else ("ERROR", "CNG", an empty reply) is a gap that breaks the line rather
// than a zero.
class TrendSeries
{
public:
    static constexpr int kChannels = 2;
    static constexpr qint64 kDefaultWindowMs = 10 * 60 * 1000;

    // Channels other than 1..kChannels are ignored. Times should not run
    // backwards; one that does counts as the newest time so far, which
    // keeps each channel in order.
    void append(int channel, qint64 msSinceEpoch, const QString &text);

    // Points older than the newest time minus this are dropped.
    void setWindowMs(qint64 ms);
    qint64 windowMs() const { return m_windowMs; }

    // Monitoring stopped at `msSinceEpoch`: the next value starts a new
    // run, so a line never bridges a time nothing was read. Channels without
    // points get none.
    void breakRuns(qint64 msSinceEpoch);

    void clear();
    bool isEmpty() const;
    // The newest time appended; 0 while nothing was.
    qint64 newestMs() const { return m_newestMs; }
    // From the oldest point kept to the newest, at least kMinSpanMs wide (the
    // line grows from the left until it fills that); `now` onwards while
    // nothing is kept.
    TrendSpan span(qint64 now) const;
    static constexpr qint64 kMinSpanMs = 10 * 1000;

    // Channel 1..kChannels, oldest first; empty for other channels.
    const QList<TrendPoint> &points(int channel) const;
    // The channel's unbroken runs of numbers as (ms, value), oldest first.
    QList<QList<QPointF>> runs(int channel) const;
    // The lowest and highest number kept on any channel; false when there
    // is none.
    bool valueRange(double &lo, double &hi) const;

    // One line per point, oldest first, channel 1 before 2 at equal times:
    //   time,channel,value
    //   2024-05-02T14:03:07.250+02:00,1,125
    //   2024-05-02T14:03:07.250+02:00,2,
    // Local time in ISO 8601 with milliseconds and offset ("Z" at UTC);
    // a gap has an empty value. Lines end with "\n".
    QString csv() const;

    // The number a shown text stands for, or false for a gap.
    static bool parseValue(const QString &text, double &value);

private:
    void dropOld();

    std::array<QList<TrendPoint>, kChannels> m_points;
    qint64 m_windowMs = kDefaultWindowMs;
    qint64 m_newestMs = 0;
    bool m_any = false;
};
