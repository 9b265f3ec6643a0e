#include "sim/simvalues.h"

#include <QStringList>
#include <cmath>

bool isNumberIn(const QString &text, double lo, double hi)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) && v >= lo && v <= hi;
}

std::optional<int> wholeNumber(const QString &text, int lo, int hi)
{
    const qsizetype digitsFrom = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() <= digitsFrom || text.size() > digitsFrom + 9)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i)
        if (!text.at(i).isDigit() || text.at(i).unicode() > 127)
            return std::nullopt;
    const int v = text.toInt();
    if (v < lo || v > hi)
        return std::nullopt;
    return v;
}

bool isDottedQuad(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &p : parts)
        if (p.size() > 3 || !wholeNumber(p, 0, 255))
            return false;
    return true;
}

QString hex4(quint16 bits)
{
    return QStringLiteral("%1").arg(bits, 4, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint16> parseHex4(const QString &text)
{
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return static_cast<quint16>(v);
}

double driftingValue(double lo, double hi, int channel, qint64 nowMs)
{
    constexpr double kPi = 3.14159265358979323846;
    const double t = static_cast<double>(nowMs) / 1000.0;
    // A slow swing (about a minute per turn) plus a faster ripple.
    const double swing = std::sin(2 * kPi * t / (60.0 + 13.0 * channel) + channel * 1.3);
    const double ripple = std::sin(2 * kPi * t / 3.7 + channel) * 0.03;
    const double unit = 0.5 + 0.4 * swing + ripple; // stays inside 0.07 .. 0.93
    return lo + (hi - lo) * unit;
}

quint16 toggledInputs(quint16 base, int channels, qint64 nowMs)
{
    quint16 flips = 0;
    for (int j = 0; j < channels && j < 16; ++j) {
        const qint64 period = 900 + 350 * j;
        if ((nowMs / period) % 2)
            flips |= static_cast<quint16>(1u << j);
    }
    return base ^ flips;
}
