#include "cli/csvwriter.h"

#include <QTextStream>

QString CsvField(const QString &text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quote)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool CsvWriter::writeRow(const QStringList &fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString &f : fields)
        out << CsvField(f);
    m_stream << out.join(QLatin1Char(',')) << '\n' << Qt::flush;
    return m_stream.status() == QTextStream::Ok;
}
