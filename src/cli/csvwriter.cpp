#include "cli/csvwriter.h"

#include <QFile>
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

QString FinishCsvFile(QTextStream &stream, QFile &file)
{
    stream.flush();
    // A close that succeeds clears the error of an earlier write, so the
    // reason is taken before it.
    const bool written = stream.status() == QTextStream::Ok && file.flush();
    const QString reason = written ? QString() : file.errorString();
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return {};
    if (written)
        return file.errorString();
    return reason.isEmpty() ? QStringLiteral("write failed") : reason;
}
