#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file at once: the file is replaced only when every byte
// reached the disk, so a full disk or a failing write leaves any old file
// as it was.
//
// Empty on success, else "Could not save <file>: <reason>". `reason`, when
// given, receives the reason alone for callers with their own wording.
QString SaveWholeFile(const QString &path, const QByteArray &bytes, QString *reason = nullptr);

// Test seam: makes every following save fail at `step`, as a full disk
// would, with `reason` as the system's error text. Step::None saves for real
// again.
namespace SaveFileFault {
enum class Step
{
    None,
    Write,
    Flush
};
void set(Step step, const QString &reason = QStringLiteral("No space left on device"));
} // namespace SaveFileFault
