#include "cli/fileaccess.h"

#include "files/parameterfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

Result<CardTable> LoadParameterFile(const QString &path)
{
    // Open errors and faults of a line name the file as given; the faults
    // of the whole file name none.
    const QString shown = QDir::toNativeSeparators(path);
    Result<CardTable> loaded = OpenParameterFile(path, shown);
    if (loaded || loaded.reason().contains(shown))
        return loaded;
    return Result<CardTable>::failed(QStringLiteral("%1: %2").arg(shown, loaded.reason()));
}

QString OutputPathProblem(const QString &path)
{
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (info.isDir())
        return QStringLiteral("%1 is a directory").arg(shown);
    const QFileInfo dir(info.absolutePath());
    if (!dir.isDir())
        return QStringLiteral("cannot write %1: no directory %2")
            .arg(shown, QDir::toNativeSeparators(dir.filePath()));
    if (info.exists() ? !info.isWritable() : !dir.isWritable())
        return QStringLiteral("cannot write %1: permission denied").arg(shown);
    // Permission bits do not tell everything (a read-only mount, a folder
    // only the kernel fills, root ignoring them): open the file as the save
    // will, and drop it again; the file that is there stays untouched.
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(shown, probe.errorString());
    probe.cancelWriting();
    return {};
}
