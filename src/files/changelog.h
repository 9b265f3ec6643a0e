#pragma once

#include "link/result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <optional>

// What became of one write to the rack.
enum class ChangeResult
{
    Written,
    Refused,  // the card answered that it would not take it
    NoAnswer, // silence, or the line was gone
    // Nothing was sent: the card in the slot is not the one the values are
    // for, or it did not say which it is. `parameter` says why.
    NotWritten,
};
// "written", "refused", "no answer", "not written"
QString ChangeResultText(ChangeResult result);

// One write to the rack, one line of the change log.
struct ChangeEntry
{
    QDateTime time;   // left invalid, append() takes the current time
    QString port;     // "COM1 (/dev/ttyUSB0)"
    QString commCard; // model and version of the communication card
    int slot = 0;     // 0 is the communication card
    QString model;
    QString parameter; // as the editor names it: "Zero scale, Ch. 1", "IP Address"
    QString item;
    std::optional<QString> old; // the rack's value as the program last knew it
    QString value;              // the value written
    ChangeResult result = ChangeResult::Written;
    // The as-found backup taken before the download that wrote this; empty
    // for other writes and in logs of older releases.
    QString backup = {};
};

// The line for one entry: a JSON object with a fixed key order, no line end.
QByteArray ChangeLogLine(const ChangeEntry &entry);
// The entry of one line; nullopt for a line that is not one: each key must
// be there with its type (`old` may be null), the time valid, the slot
// 0..16 and the result one of the four.
std::optional<ChangeEntry> ParseChangeLogLine(const QByteArray &line);

// Appends the program's writes to the rack to a file, one JSON object a
// line. A write that cannot be logged never holds up the write itself: the
// log keeps the first such failure for its owner to show, once.
class ChangeLog
{
public:
    explicit ChangeLog(const QString &path = defaultPath()) : m_path(path) {}

    // "V9CON/change-log.jsonl" in the platform's data folder, one file for
    // the window and the command-line tool.
    static QString defaultPath();
    const QString &path() const { return m_path; }
    // Another file; its failures are reported afresh.
    void setPath(const QString &path);

    // Fails when the line did not reach the file, with the message for the
    // operator. The line reaches it whole or not at all.
    Status append(ChangeEntry entry);
    // The message about the first failed append, the first time it is asked
    // for; empty otherwise. A write to the rack is never held up by its log:
    // the failure waits here until the window or the tool is free to show it.
    QString takeFailure();

private:
    QString m_path;
    QString m_failure;
    bool m_reported = false;
};

struct ChangeLogRead
{
    QList<ChangeEntry> entries; // in file order, oldest first
    qsizetype older = 0;        // entries before those, read but not kept
    int skipped = 0;            // lines that were no entry (a cut-off last line)
};
// No file yet is an empty log, not an error; a file that exists but cannot
// be read is. Keeps the `newest` entries only, when given, so a log of any
// size is read in bounded memory. Ends early, with what it read so far, once
// `stop` is set.
Result<ChangeLogRead> ReadChangeLog(const QString &path, qsizetype newest = -1,
                                    const std::atomic_bool *stop = nullptr);

// The entries as CSV (RFC 4180 quoting, CRLF line ends) with a header line.
QString ChangeLogCsv(const QList<ChangeEntry> &entries);
// Saves every entry of the log at `logPath` (of one slot, when `slot` is
// 0..16) as that CSV to `csvPath`, read and written piece by piece; a
// failure's reason is the message of SaveWholeFile or of the read.
Status SaveChangeLogCsv(const QString &logPath, const QString &csvPath, int slot = -1);
