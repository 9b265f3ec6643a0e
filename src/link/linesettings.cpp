#include "link/linesettings.h"

QString LineSettingsText(const LineSettings &s)
{
    const char parity = s.parity == LineSettings::Parity::Odd    ? 'o'
                        : s.parity == LineSettings::Parity::Even ? 'e'
                                                                 : 'n';
    return QStringLiteral("%1,%2,%3,%4")
        .arg(s.baud)
        .arg(QLatin1Char(parity))
        .arg(s.dataBits)
        .arg(s.stopBits);
}

QString LineSettingsProblem(const LineSettings &s)
{
    if (s.baud > 0 && s.dataBits >= 5 && s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2))
        return {};
    return QStringLiteral("Invalid line settings \"%1\"").arg(LineSettingsText(s));
}
