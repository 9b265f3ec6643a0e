#include "cli/csvwriter.h"

#include "files/csvfields.h"

#include <QFile>
#include <QTextStream>

bool CsvWriter::writeRow(const QStringList &fields)
{
    m_stream << CsvLine(fields) << '\n' << Qt::flush;
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
