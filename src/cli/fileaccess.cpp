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
    if (!error)
        return std::nullopt;
    // Open errors name the file as given; a fault of a line names it by its
    // name alone, which the path given replaces; other faults name none.
    const QString shown = QDir::toNativeSeparators(path);
    const QString name = QFileInfo(path).fileName();
    if (loaded.errorLine > 0 && loaded.error.startsWith(name))
        *error = shown + loaded.error.mid(name.size());
    else
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
