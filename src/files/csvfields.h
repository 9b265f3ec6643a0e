#pragma once

#include <QStringList>

// A field as CSV needs it (RFC 4180): quoted, with quotes doubled, when it
// holds a comma, a quote or a line break.
QString CsvField(const QString &text);
// The fields as one CSV line, without its line end.
QString CsvLine(const QStringList &fields);
