#pragma once

#include <QStringList>

class QTextStream;

// A field as CSV needs it: quoted, with quotes doubled, when it holds a
// comma, a quote or a line break.
QString CsvField(const QString &text);

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
