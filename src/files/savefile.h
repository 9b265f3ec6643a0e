#pragma once

#include "link/result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

class QFileDevice;

// Writes a whole file at once: the file is replaced only when every byte
// reached the disk, so a full disk or a failing write leaves any old file
// as it was.
//
// A failure's reason is "Could not save <file>: <the system's reason>".
Status SaveWholeFile(const QString &path, const QByteArray &bytes);

// The same for content made piece by piece, too large to hold at once:
// `fill` hands its pieces to `put`, stops when `put` returns false, and
// fails with the reason it could not make the whole content.
using SavePut = std::function<bool(QByteArrayView bytes)>;
Status SaveFileFrom(const QString &path, const std::function<Status(const SavePut &put)> &fill);

// Writes all of `bytes` to a file opened Unbuffered; false when the system
// refused some, and the file's errorString() then says why ("No space left
// on device"). A buffered QFile, or one write() that the system takes only
// in part, leaves Qt 6.4 with "Unknown error" instead.
bool WriteAll(QFileDevice &file, QByteArrayView bytes);

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
