#include "cli/console.h"

#include <QStringList>
#include <QTextStream>

void Console::error(const QString &message)
{
    QString line = message.trimmed();
    line.replace(QLatin1String("\r\n"), QLatin1String("; "));
    line.replace(QLatin1Char('\n'), QLatin1String("; "));
    line.replace(QLatin1Char('\r'), QLatin1String("; "));
    err << "v9con-cli: " << line << Qt::endl;
}

void Console::detail(const QString &lines)
{
    for (const QString &line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        err << "  " << line.trimmed() << Qt::endl;
}
