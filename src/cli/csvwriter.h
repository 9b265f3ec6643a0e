#pragma once

#include <QStringList>

class QFile;
class QTextStream;

// Writes rows to a stream and flushes each, so the file is whole whenever
// the program ends.
class CsvWriter
{
public:
    explicit CsvWriter(QTextStream &stream) : m_stream(stream) {}
    // False when the row could not be written (disk full, closed pipe).
    bool writeRow(const QStringList &fields);

private:
    QTextStream &m_stream;
};

// Pushes what the stream still holds through to the file and closes it.
// A null string when every row reached the file, else the reason: a full
// disk may refuse the last rows only at the flush or at the close.
QString FinishCsvFile(QTextStream &stream, QFile &file);
