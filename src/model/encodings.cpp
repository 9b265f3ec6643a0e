#include "model/encodings.h"

#include <cfenv>
#include <cmath>

QString TextAfterColon(const QString &s)
{
    const qsizetype p = s.indexOf(QLatin1Char(':'));
    return p < 0 ? s : s.mid(p + 1);
}

QString TextBeforeColon(const QString &s)
{
    const qsizetype p = s.indexOf(QLatin1Char(':'));
    return p < 0 ? s : s.left(p);
}

QString RemoveFirstPoint(const QString &s)
{
    const qsizetype p = s.indexOf(QLatin1Char('.'));
    if (p < 0)
        return s;
    QString out = s;
    out.remove(p, 1);
    return out;
}

int HexDigitValue(const QString &c)
{
    if (c.isEmpty())
        return 0;
    const char16_t u = c.at(0).unicode();
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    return 0;
}

QString HexToBits(const QString &s)
{
    QString bits;
    bits.reserve(16);
    for (int i = 0; i < 4; ++i) {
        const int v = HexDigitValue(s.mid(i, 1));
        for (int b = 3; b >= 0; --b)
            bits += (v >> b) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    }
    return bits;
}

DottedParts SplitDotted(const QString &s)
{
    DottedParts parts;
    QString rest = s;
    QString *targets[3] = {&parts.first, &parts.second, &parts.third};
    for (QString *target : targets) {
        const qsizetype p = rest.indexOf(QLatin1Char('.'));
        if (p < 0) {
            *target = rest;
            return parts;
        }
        *target = rest.left(p);
        rest = rest.mid(p + 1);
    }
    parts.rest = rest;
    return parts;
}

std::optional<qint16> CheckNumberText(const QString &v)
{
    if (v.isEmpty())
        return qint16(0);
    const QString head = v.left(3);
    for (const QChar c : head)
        if (c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('.'))
            return std::nullopt;
    bool ok = false;
    const double d = v.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    // Banker's rounding: halves go to the even neighbour.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(d);
    std::fesetround(previous);
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return static_cast<qint16>(r);
}
