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

} // namespace

void SaveFileFault::set(Step step, const QString &reason)
{
    fault() = {step, reason};
}

QString SaveWholeFile(const QString &path, const QByteArray &bytes, QString *reason)
{
    QSaveFile file(path);
    auto failed = [&](const QString &why) {
        // Discards the temporary copy; the file that was there stays.
        file.cancelWriting();
        if (reason)
            *reason = why;
        return QStringLiteral("Could not save %1: %2").arg(QDir::toNativeSeparators(path), why);
    };
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return failed(QStringLiteral("it is not a regular file"));
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    using SaveFileFault::Step;
    if (injected(Step::Write) || file.write(bytes) != bytes.size())
        return failed(injected(Step::Write) ? fault().reason : file.errorString());
    // commit() of Qt 6.4 does not notice buffered data that never reached a
    // full disk and would put an empty file in place of the old one, so the
    // buffer is pushed out and checked first.
    if (injected(Step::Flush) || !file.flush())
        return failed(injected(Step::Flush) ? fault().reason : file.errorString());
    if (!file.commit())
        return failed(file.errorString());
    return {};
}
