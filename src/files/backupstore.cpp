#include "files/backupstore.h"

#include "files/parameterfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace {

const QString kSuffix = QStringLiteral(".uJx");
const QString kAsFound = QStringLiteral("-as-found");
const QString kStamp = QStringLiteral("yyyyMMdd-HHmmss");

bool unfit(QChar c)
{
    return c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\') ||
           QStringLiteral("<>:\"|?*").contains(c) || c.unicode() == 0x7f;
}

} // namespace

QString RackNameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("the name is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("\"%1\" is no folder name").arg(name);
    if (name.size() > 100)
        return QStringLiteral("the name is longer than 100 characters");
    for (const QChar c : name)
        if (unfit(c))
            return c.unicode() < 0x20 || c.unicode() == 0x7f
                       ? QStringLiteral("the name holds a control character")
                       : QStringLiteral("the name holds \"%1\", which a folder name cannot").arg(c);
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')) ||
        name.startsWith(QLatin1Char(' ')))
        return QStringLiteral("the name begins with a space or ends with a dot or a space");
    static const QRegularExpression reserved(
        QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    if (reserved.match(name).hasMatch())
        return QStringLiteral("\"%1\" is a name Windows reserves").arg(name);
    return {};
}

QString RackFolderName(const QString &name)
{
    if (RackNameProblem(name).isEmpty())
        return name;
    QString out;
    const QString trimmed = name.trimmed();
    for (const QChar c : trimmed)
        out += unfit(c) ? QLatin1Char('_') : c;
    while (out.endsWith(QLatin1Char('.')) || out.endsWith(QLatin1Char(' ')))
        out.chop(1);
    out = out.left(100);
    if (!RackNameProblem(out).isEmpty())
        out = QLatin1Char('_') + out.left(99);
    return RackNameProblem(out).isEmpty() ? out : QStringLiteral("rack");
}

QString DefaultBackupRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("V9CON/backups"));
}

QList<BackupFile> ListBackups(const QString &root, const QString &rack)
{
    static const QRegularExpression name(
        QStringLiteral("^(\\d{8}-\\d{6})(-\\d+)?(-as-found)?\\.uJx$"));
    QList<std::pair<QString, BackupFile>> found;
    const QDir dir(QDir(root).filePath(rack));
    for (const QString &file : dir.entryList({QLatin1Char('*') + kSuffix}, QDir::Files)) {
        const auto m = name.match(file);
        if (!m.hasMatch())
            continue;
        BackupFile b;
        b.path = dir.filePath(file);
        b.taken = QDateTime::fromString(m.captured(1), kStamp);
        b.asFound = !m.captured(3).isEmpty();
        if (!b.taken.isValid())
            continue;
        // Same second: "-2" after the plain one.
        const int nth = m.captured(2).isEmpty() ? 1 : m.captured(2).mid(1).toInt();
        found.append({m.captured(1) + QStringLiteral("-%1").arg(nth, 6, 10, QLatin1Char('0')), b});
    }
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<BackupFile> out;
    for (const auto &f : found)
        out << f.second;
    return out;
}

Result<QString> WriteBackup(const QString &root, const QString &rack, const CardTable &cards,
                            const QDateTime &when, bool asFound)
{
    if (const QString problem = RackNameProblem(rack); !problem.isEmpty())
        return Result<QString>::failed(QStringLiteral("rack \"%1\": %2").arg(rack, problem));
    const QDir dir(QDir(root).filePath(rack));
    if (!QDir().mkpath(dir.path()))
        return Result<QString>::failed(QStringLiteral("Could not make the folder %1")
                                           .arg(QDir::toNativeSeparators(dir.path())));
    // Numbered across both kinds, so that the names alone keep the order.
    QString stamp = when.toString(kStamp);
    const auto taken = [&dir](const QString &s) {
        return QFileInfo::exists(dir.filePath(s + kSuffix)) ||
               QFileInfo::exists(dir.filePath(s + kAsFound + kSuffix));
    };
    for (int n = 2; taken(stamp); ++n)
        stamp = when.toString(kStamp) + QStringLiteral("-%1").arg(n);
    const QString path = dir.filePath(stamp + (asFound ? kAsFound : QString()) + kSuffix);
    if (const Status written = WriteParameterFile(cards, path); !written)
        return Result<QString>::failedAs(written);
    return path;
}
