#pragma once

#include "link/result.h"
#include "model/cardrecord.h"

#include <QByteArray>
#include <QString>
#include <optional>

class QIODevice;

// A rack's parameter set kept as a text file: 16 lines, one per slot, each
// with 33 comma-separated fields (32 in files of older releases).

// Reads a whole parameter file into a fresh table; the caller's table is
// never touched, so a failed open can keep or reset it as it likes. Every
// line must have the field count of the form its first line has, and there
// must be exactly 16 of them (blank lines after the last are fine).
// A failure's reason is for the operator: "Line 7: 31 fields where a line
// needs 33."
Result<CardTable> ReadParameterFile(QIODevice &device);
Result<CardTable> ReadParameterFile(const QByteArray &bytes);
// Opens and reads the file at path. Only a regular file is opened: a FIFO or
// a device is refused. Open errors name the file by its path, a fault of a
// line by `shownAs` ("rack.uJx, line 7: ..."), its file name when empty.
Result<CardTable> OpenParameterFile(const QString &path, const QString &shownAs = {});

// Whether the table can be written; if not, the reason names the card and
// the field that a parameter file cannot hold (double quote, CR, LF, or a
// character outside Latin-1).
Status CheckWritable(const CardTable &cards);
// The file text: 16 lines ended by CR LF, Latin-1, 33-field form.
QByteArray ParameterFileText(const CardTable &cards);
// Writes the file in one go: a failure leaves any existing file as it was,
// and its reason names the file. Writes nothing when CheckWritable refuses
// the table.
Status WriteParameterFile(const CardTable &cards, const QString &path);

// The text without its first and last character when longer than 2
// characters, else empty.
QString StripQuotes(const QString &s);
