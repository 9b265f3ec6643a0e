#include "files/savefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

struct Fault
{
    SaveFileFault::Step step = SaveFileFault::Step::None;
    QString reason;
};

Fault &fault()
{
    static Fault f;
    return f;
}

bool injected(SaveFileFault::Step step)
{
    return fault().step == step;
}

// Pieces gather to blocks of this size: each write of an unbuffered file
// is a call to the system.
constexpr qsizetype kBlock = 64 * 1024;

} // namespace

void SaveFileFault::set(Step step, const QString &reason)
{
    fault() = {step, reason};
}

bool WriteAll(QFileDevice &file, QByteArrayView bytes)
{
    // A system that takes part of a write gives its reason for the rest
    // only when asked again.
    while (!bytes.isEmpty()) {
        const qint64 n = file.write(bytes.data(), bytes.size());
        if (n <= 0)
            return false;
        bytes = bytes.sliced(n);
    }
    return true;
}

Status SaveFileFrom(const QString &path, const std::function<Status(const SavePut &)> &fill)
{
    QSaveFile file(path);
    auto failed = [&](const QString &why) {
        // Discards the temporary copy; the file that was there stays.
        file.cancelWriting();
        return Status::failed(
            QStringLiteral("Could not save %1: %2").arg(QDir::toNativeSeparators(path), why));
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return failed(QStringLiteral("it is not a regular file"));
    // Unbuffered: a buffered write that fails on a full disk reports
    // "Unknown error" instead of the system's reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(file.errorString());
    using SaveFileFault::Step;
    QByteArray pending;
    QString writeError;
    auto push = [&] {
        if (injected(Step::Write))
            writeError = fault().reason;
        else if (!WriteAll(file, pending))
            writeError = file.errorString();
        pending.clear();
        return writeError.isEmpty();
    };
    const SavePut put = [&](QByteArrayView bytes) {
        if (!writeError.isEmpty())
            return false;
        pending.append(bytes);
        return pending.size() < kBlock || push();
    };
    const Status filled = fill(put);
    if (writeError.isEmpty() && !filled)
        return failed(filled.reason());
    if (!writeError.isEmpty() || !push())
        return failed(writeError);
    // commit() of Qt 6.4 does not notice data that never reached a full
    // disk and would put an empty file in place of the old one, so nothing
    // may be left unwritten before it.
    if (injected(Step::Flush) || !file.flush())
        return failed(injected(Step::Flush) ? fault().reason : file.errorString());
    if (!file.commit())
        return failed(file.errorString());
    return Done{};
}

Status SaveWholeFile(const QString &path, const QByteArray &bytes)
{
    return SaveFileFrom(path, [&bytes](const SavePut &put) {
        put(bytes);
        return Status(Done{});
    });
}
