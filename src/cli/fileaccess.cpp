#include "cli/fileaccess.h"

#include "files/parameterfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

std::optional<CardTable> LoadParameterFile(const QString &path, QString *error)
{
    ParameterFileResult loaded = OpenParameterFile(path);
    if (loaded.ok())
        return std::move(*loaded.cards);
    // Open errors name the file already; faults of the content do not.
    const QString shown = QDir::toNativeSeparators(path);
    if (error)
        *error = loaded.error.contains(shown) ? loaded.error
                                              : QStringLiteral("%1: %2").arg(shown, loaded.error);
    return std::nullopt;
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
