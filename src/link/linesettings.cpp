#include "link/linesettings.h"

#include <QStringList>

std::optional<LineSettings> ParseLineSettings(const QString &text)
{
    const QStringList f = text.split(QLatin1Char(','));
    LineSettings s;
    bool ok = true;
    s.baud = f.value(0).trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return std::nullopt;
    const QString parity = f.value(1, QStringLiteral("n")).trimmed().toLower();
    if (parity != QLatin1String("n") && parity != QLatin1String("e") &&
        parity != QLatin1String("o"))
        return std::nullopt;
    s.parity = parity.at(0).toLatin1();
    s.dataBits = f.value(2, QStringLiteral("8")).trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return std::nullopt;
    s.stopBits = f.value(3, QStringLiteral("1")).trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return std::nullopt;
    return s;
}
