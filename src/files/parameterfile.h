#pragma once

#include "model/cardrecord.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

// A rack's parameter set kept as a text file: 16 lines, one per slot, each
// with 33 comma-separated fields (32 in files of older releases).

struct ParameterFileResult
{
    std::optional<CardTable> cards; // set only when the whole file was read
    int errorLine = 0;              // 1-based line of the fault, 0 when not line-bound
    QString error;                  // why, for the operator ("Line 7: ...")
    bool ok() const { return cards.has_value(); }
};

// Reads a whole parameter file into a fresh table; the caller's table is
// never touched, so a failed open can keep or reset it as it likes. Every
// line must have the field count of the form its first line has, and there
// must be exactly 16 of them (blank lines after the last are fine).
ParameterFileResult ReadParameterFile(QIODevice &device);
ParameterFileResult ReadParameterFile(const QByteArray &bytes);
// Opens and reads the file at path; open errors name the file. Only a
// regular file is opened: a FIFO or a device is refused.
ParameterFileResult OpenParameterFile(const QString &path);

// Empty when the table can be written; otherwise names the card and the
// field that a parameter file cannot hold (double quote, CR, LF, or a
// character outside Latin-1).
QString CheckWritable(const CardTable &cards);
// The file text: 16 lines ended by CR LF, Latin-1, 33-field form.
QByteArray ParameterFileText(const CardTable &cards);
// Writes the file in one go: a failure leaves any existing file as it was.
// Empty on success, else the reason naming the file. Writes nothing when
// CheckWritable refuses the table.
QString WriteParameterFile(const CardTable &cards, const QString &path);

// The text without its first and last character when longer than 2
// characters, else empty.
QString StripQuotes(const QString &s);
