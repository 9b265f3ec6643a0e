#include "files/changelog.h"

#include "files/csvfields.h"

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
    line.back() = '}';
    return line;
}

std::optional<ChangeEntry> ParseChangeLogLine(const QByteArray &line)
{
    const QJsonDocument doc = QJsonDocument::fromJson(line);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    ChangeEntry e;
    e.time = QDateTime::fromString(o.value(QLatin1String("time")).toString(), Qt::ISODate);
    e.port = o.value(QLatin1String("port")).toString();
    e.commCard = o.value(QLatin1String("commCard")).toString();
    e.slot = o.value(QLatin1String("slot")).toInt();
    e.model = o.value(QLatin1String("model")).toString();
    e.parameter = o.value(QLatin1String("parameter")).toString();
    e.item = o.value(QLatin1String("item")).toString();
    if (const QJsonValue old = o.value(QLatin1String("old")); old.isString())
        e.old = old.toString();
    e.value = o.value(QLatin1String("new")).toString();
    const QString result = o.value(QLatin1String("result")).toString();
    const auto *found = std::find_if(std::begin(kResultTexts), std::end(kResultTexts),
                                     [&](const char *t) { return result == QLatin1String(t); });
    if (found == std::end(kResultTexts))
        return std::nullopt;
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

bool ChangeLog::append(ChangeEntry entry)
{
    if (!entry.time.isValid())
        entry.time = QDateTime::currentDateTime();
    const QByteArray line = ChangeLogLine(entry) + '\n';
    QFile file(m_path);
    const QFileInfo info(m_path);
    QString why;
    // A FIFO or a device would block the program in open().
    if (info.exists() && !info.isFile())
        why = QStringLiteral("it is not a regular file");
    else if (!QDir().mkpath(info.absolutePath()))
        why = QStringLiteral("its folder cannot be made");
    else if (!file.open(QIODevice::WriteOnly | QIODevice::Append) ||
             file.write(line) != line.size() || !file.flush())
        why = file.errorString();
    if (why.isEmpty())
        return true;
    if (m_failure.isEmpty() && !m_reported)
        m_failure = QStringLiteral("The change log could not be written: %1: %2\n"
                                   "The writes to the rack went on without it.")
                        .arg(QDir::toNativeSeparators(m_path), why);
    return false;
}

QString ChangeLog::takeFailure()
{
    if (m_reported || m_failure.isEmpty())
        return {};
    m_reported = true;
    return m_failure;
}

ChangeLogRead ReadChangeLog(const QString &path)
{
    ChangeLogRead out;
    const QFileInfo info(path);
    if (!info.exists())
        return out;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("Could not read %1: %2")
                        .arg(QDir::toNativeSeparators(path),
                             info.isFile() ? file.errorString()
                                           : QStringLiteral("it is not a regular file"));
        return out;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        if (auto e = ParseChangeLogLine(line))
            out.entries.append(std::move(*e));
        else
            ++out.skipped;
    }
    return out;
}

QString ChangeLogCsv(const QList<ChangeEntry> &entries)
{
    QString out = QStringLiteral("time,port,commCard,slot,model,parameter,item,old,new,result\r\n");
    for (const ChangeEntry &e : entries) {
        const QStringList fields{timeText(e.time), e.port,
                                 e.commCard,       QString::number(e.slot),
                                 e.model,          e.parameter,
                                 e.item,           e.old.value_or(QString()),
                                 e.value,          ChangeResultText(e.result)};
        out += CsvLine(fields) + QLatin1String("\r\n");
    }
    return out;
}
