#include "files/changelog.h"

#include "files/csvfields.h"
#include "files/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>

namespace {

constexpr const char *kResultTexts[] = {"written", "refused", "no answer", "not written"};
const QByteArray kCsvHeader = "time,port,commCard,slot,model,parameter,item,old,new,result\r\n";
// Far longer than any entry: a longer line is damage, and is not read into
// memory whole.
constexpr qint64 kMaxLine = 64 * 1024;

// One JSON value as text; QJsonObject would sort the keys, and a reader of
// the file expects them in the documented order.
QByteArray json(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QString timeText(const QDateTime &t)
{
    // Local time with its offset, so the line says when it was on site and
    // still orders with lines written elsewhere.
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

QString csvLine(const ChangeEntry &e)
{
    const QStringList fields{timeText(e.time), e.port,
                             e.commCard,       QString::number(e.slot),
                             e.model,          e.parameter,
                             e.item,           e.old.value_or(QString()),
                             e.value,          ChangeResultText(e.result)};
    return CsvLine(fields) + QLatin1String("\r\n");
}

// The reason the log cannot be opened for reading, or "". No file is no
// error: `file` is then left closed.
QString openLog(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (!info.exists())
        return {};
    // A FIFO or a device would block in open().
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

// Hands each entry of the open log to `visit` in file order until it
// returns false or `stop` is set; counts the lines that are none. The
// reason the file could not be read to its end, or "".
template <typename Visit>
QString forEachEntry(QFile &file, int &skipped, const std::atomic_bool *stop, Visit visit)
{
    if (!file.isOpen())
        return {};
    while (!(stop && stop->load(std::memory_order_relaxed))) {
        QByteArray line = file.readLine(kMaxLine);
        if (line.isEmpty())
            break;
        if (!line.endsWith('\n') && !file.atEnd()) {
            // Too long to be an entry: the rest of it is passed over.
            while (!line.isEmpty() && !line.endsWith('\n'))
                line = file.readLine(kMaxLine);
            ++skipped;
            continue;
        }
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (auto e = ParseChangeLogLine(line)) {
            if (!visit(std::move(*e)))
                break;
        } else {
            ++skipped;
        }
    }
    return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

} // namespace

QString ChangeResultText(ChangeResult result)
{
    return QLatin1String(kResultTexts[static_cast<int>(result)]);
}

QByteArray ChangeLogLine(const ChangeEntry &e)
{
    const std::pair<const char *, QJsonValue> fields[] = {
        {"time", timeText(e.time)},
        {"port", e.port},
        {"commCard", e.commCard},
        {"slot", e.slot},
        {"model", e.model},
        {"parameter", e.parameter},
        {"item", e.item},
        {"old", e.old ? QJsonValue(*e.old) : QJsonValue(QJsonValue::Null)},
        {"new", e.value},
        {"result", ChangeResultText(e.result)},
    };
    QByteArray line = "{";
    for (const auto &[key, value] : fields)
        line += '"' + QByteArray(key) + "\":" + json(value) + ',';
    // Last and only when there is one, so lines of writes without a backup
    // stay as they were.
    if (!e.backup.isEmpty())
        line += "\"backup\":" + json(e.backup) + ',';
    line.back() = '}';
    return line;
}

std::optional<ChangeEntry> ParseChangeLogLine(const QByteArray &line)
{
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    // A damaged line can still hold a few keys: taking it with defaults for
    // the rest would show a write that never happened.
    bool whole = true;
    auto text = [&](const char *key) {
        const QJsonValue v = o.value(QLatin1String(key));
        whole = whole && v.isString();
        return v.toString();
    };
    ChangeEntry e;
    e.time = QDateTime::fromString(text("time"), Qt::ISODate);
    e.port = text("port");
    e.commCard = text("commCard");
    e.model = text("model");
    e.parameter = text("parameter");
    e.item = text("item");
    e.value = text("new");
    const QString result = text("result");
    const QJsonValue old = o.value(QLatin1String("old"));
    if (old.isString())
        e.old = old.toString();
    // Lines of older releases have no backup.
    const QJsonValue backup = o.value(QLatin1String("backup"));
    e.backup = backup.toString();
    // Not a double with a fraction, nor a number out of range.
    const qint64 slot = o.value(QLatin1String("slot")).toInteger(-1);
    const auto *found = std::find_if(std::begin(kResultTexts), std::end(kResultTexts),
                                     [&](const char *t) { return result == QLatin1String(t); });
    if (!whole || !e.time.isValid() || !(old.isString() || old.isNull()) ||
        !(backup.isString() || backup.isUndefined()) || slot < 0 || slot > 16 ||
        found == std::end(kResultTexts))
        return std::nullopt;
    e.slot = static_cast<int>(slot);
    e.result = static_cast<ChangeResult>(found - std::begin(kResultTexts));
    return e;
}

QString ChangeLog::defaultPath()
{
    // Not AppDataLocation: that is named after each program, and the window
    // and the command-line tool write to one rack's record.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/V9CON/change-log.jsonl");
}

void ChangeLog::setPath(const QString &path)
{
    m_path = path;
    m_failure.clear();
    m_reported = false;
}

Status ChangeLog::append(ChangeEntry entry)
{
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTime();
    QByteArray line = ChangeLogLine(entry) + '\n';
    QFile file(m_path);
    const QFileInfo info(m_path);
    QString why;
    // A FIFO or a device would block the program in open().
    if (info.exists() && !info.isFile()) {
        why = QStringLiteral("it is not a regular file");
    } else if (!QDir().mkpath(info.absolutePath())) {
        why = QStringLiteral("its folder cannot be made");
    } else if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        // Unbuffered: Qt's buffer loses the system's reason for a failed
        // write ("Unknown error" for a full disk).
        why = file.errorString();
    } else {
        const qint64 before = file.size();
        char last = '\n';
        if (before > 0 && (!file.seek(before - 1) || !file.getChar(&last))) {
            why = file.errorString();
        } else {
            // A line cut off earlier (a crash while writing) is ended first,
            // so that this one stays readable.
            if (last != '\n')
                line.prepend('\n');
            if (!WriteAll(file, line)) {
                why = file.errorString();
                // Nothing of the line stays: the next one would be glued to it.
                file.resize(before);
            }
        }
    }
    if (why.isEmpty())
        return Done{};
    const QString message = QStringLiteral("The change log could not be written: %1: %2\n"
                                           "The writes to the rack went on without it.")
                                .arg(QDir::toNativeSeparators(m_path), why);
    if (m_failure.isEmpty() && !m_reported)
        m_failure = message;
    return Status::failed(message);
}

QString ChangeLog::takeFailure()
{
    if (m_reported || m_failure.isEmpty())
        return {};
    m_reported = true;
    return m_failure;
}

Result<ChangeLogRead> ReadChangeLog(const QString &path, qsizetype newest,
                                    const std::atomic_bool *stop)
{
    ChangeLogRead out;
    QFile file(path);
    // Once `newest` are kept, each entry takes the place of the oldest.
    qsizetype oldest = 0;
    QString why = openLog(file);
    if (why.isEmpty())
        why = forEachEntry(file, out.skipped, stop, [&](ChangeEntry &&e) {
            if (newest < 0 || out.entries.size() < newest) {
                out.entries.append(std::move(e));
            } else {
                ++out.older;
                if (newest > 0) {
                    out.entries[oldest] = std::move(e);
                    oldest = (oldest + 1) % newest;
                }
            }
            return true;
        });
    if (!why.isEmpty())
        return Result<ChangeLogRead>::failed(
            QStringLiteral("Could not read %1: %2").arg(QDir::toNativeSeparators(path), why));
    std::rotate(out.entries.begin(), out.entries.begin() + oldest, out.entries.end());
    return out;
}

QString ChangeLogCsv(const QList<ChangeEntry> &entries)
{
    QString out = QString::fromLatin1(kCsvHeader);
    for (const ChangeEntry &e : entries)
        out += csvLine(e);
    return out;
}

Status SaveChangeLogCsv(const QString &logPath, const QString &csvPath, int slot)
{
    QFile file(logPath);
    if (const QString why = openLog(file); !why.isEmpty())
        return Status::failed(
            QStringLiteral("Could not read %1: %2").arg(QDir::toNativeSeparators(logPath), why));
    return SaveFileFrom(csvPath, [&](const SavePut &put) {
        if (!put(kCsvHeader))
            return Status(Done{});
        int skipped = 0;
        const QString why = forEachEntry(file, skipped, nullptr, [&](ChangeEntry &&e) {
            return (slot >= 0 && e.slot != slot) || put(csvLine(e).toUtf8());
        });
        if (why.isEmpty())
            return Status(Done{});
        return Status::failed(
            QStringLiteral("could not read %1: %2").arg(QDir::toNativeSeparators(logPath), why));
    });
}
