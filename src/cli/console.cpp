#include "cli/console.h"

#include <QTextStream>

void Console::error(const QString &message)
{
    QString line = message.trimmed();
    line.replace(QLatin1String("\r\n"), QLatin1String("; "));
    line.replace(QLatin1Char('\n'), QLatin1String("; "));
    line.replace(QLatin1Char('\r'), QLatin1String("; "));
    err << "v9con-cli: " << line << Qt::endl;
}
