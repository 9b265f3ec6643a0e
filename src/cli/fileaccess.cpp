#include "cli/fileaccess.h"

#include "files/parameterfile.h"

#include <QDir>
#include <QFileInfo>

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
    return {};
}
