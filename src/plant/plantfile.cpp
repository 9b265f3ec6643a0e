#include "plant/plantfile.h"

#include "files/backupstore.h"
#include "link/portdesignation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

constexpr qint64 kMaxPlantBytes = 4 * 1024 * 1024;

std::optional<int> numberKey(const QString &key, int hi)
{
    bool ok = false;
    const int n = key.toInt(&ok);
    if (!ok || n < 1 || n > hi || key != QString::number(n))
        return std::nullopt;
    return n;
}

// What a port reaches, so that two spellings of one port are told the same:
// a device by its real path, a server by host and port whatever the scheme.
QString portKey(const QString &port)
{
    const auto d = ParsePortDesignation(port);
    if (d && d->kind != PortDesignation::Kind::Device)
        return QStringLiteral("%1:%2").arg(d->host.toCaseFolded()).arg(d->port);
    const QString real = QFileInfo(port).canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(port) : real;
}

// Reads one rack; empty when it is fine, else what is wrong with which field.
QString readRack(const QJsonObject &o, const QString &folder, PlantRack &rack)
{
    static const QStringList known{QStringLiteral("name"), QStringLiteral("port"),
                                   QStringLiteral("notes"), QStringLiteral("file"),
                                   QStringLiteral("tags")};
    for (auto it = o.begin(); it != o.end(); ++it)
        if (!known.contains(it.key()))
            return QStringLiteral("unknown key \"%1\"").arg(it.key());
    const auto text = [&o](const char *key, QString &into, bool required) -> QString {
        const QString k = QString::fromLatin1(key);
        if (!o.contains(k))
            return required ? QStringLiteral("\"%1\" is missing").arg(k) : QString();
        if (!o.value(k).isString())
            return QStringLiteral("\"%1\" must be a text").arg(k);
        into = o.value(k).toString();
        return {};
    };
    for (const QString &why : {text("name", rack.name, true), text("port", rack.port, true),
                               text("notes", rack.notes, false), text("file", rack.file, false)})
        if (!why.isEmpty())
            return why;
    if (const QString why = RackNameProblem(rack.name); !why.isEmpty())
        return QStringLiteral("\"name\": ") + why;
    if (rack.port.isEmpty())
        return QStringLiteral("\"port\" is empty");
    if (const auto d = ParsePortDesignation(rack.port); !d)
        return QStringLiteral("\"port\": ") + d.reason();
    if (o.contains(QStringLiteral("file"))) {
        if (rack.file.isEmpty())
            return QStringLiteral("\"file\" is empty");
        rack.file = QDir(folder).absoluteFilePath(rack.file);
    }
    if (!o.contains(QStringLiteral("tags")))
        return {};
    if (!o.value(QStringLiteral("tags")).isObject())
        return QStringLiteral("\"tags\" must be an object keyed by slot number");
    const QJsonObject bySlot = o.value(QStringLiteral("tags")).toObject();
    for (auto s = bySlot.begin(); s != bySlot.end(); ++s) {
        const auto slot = numberKey(s.key(), 16);
        if (!slot)
            return QStringLiteral("tags: \"%1\" is not a slot number 1..16").arg(s.key());
        if (!s.value().isObject())
            return QStringLiteral("tags: slot %1 must be an object keyed by channel").arg(*slot);
        const QJsonObject channels = s.value().toObject();
        for (auto c = channels.begin(); c != channels.end(); ++c) {
            const auto channel = numberKey(c.key(), 16);
            if (!channel)
                return QStringLiteral("tags: slot %1: \"%2\" is not a channel number 1..16")
                    .arg(*slot)
                    .arg(c.key());
            if (!c.value().isString())
                return QStringLiteral("tags: slot %1 channel %2 must be a text")
                    .arg(*slot)
                    .arg(*channel);
            rack.tags[*slot][*channel] = c.value().toString();
        }
    }
    return {};
}

} // namespace

Result<Plant> ParsePlant(const QByteArray &json, const QString &path)
{
    const auto refuse = [&](const QString &why) {
        return Result<Plant>::failed(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why));
    };
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        const qsizetype line = json.left(parse.offset).count('\n') + 1;
        return refuse(QStringLiteral("line %1: %2").arg(line).arg(parse.errorString()));
    }
    if (!doc.isObject())
        return refuse(QStringLiteral("a plant file is a JSON object"));
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it)
        if (it.key() != QLatin1String("racks"))
            return refuse(QStringLiteral("unknown key \"%1\"").arg(it.key()));
    if (!root.value(QStringLiteral("racks")).isArray())
        return refuse(QStringLiteral("\"racks\" must be a list of racks"));
    const QJsonArray list = root.value(QStringLiteral("racks")).toArray();
    if (list.isEmpty())
        return refuse(QStringLiteral("\"racks\" is empty"));

    Plant plant;
    plant.path = path;
    const QString folder = QFileInfo(path).absolutePath();
    // Folder names are compared as Windows would: case does not tell two apart.
    QMap<QString, int> seen;
    // Two racks on one port would interleave their commands on it.
    QMap<QString, int> ports;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject o = list.at(i).toObject();
        const QString named =
            o.value(QStringLiteral("name")).isString()
                ? QStringLiteral(" (\"%1\")").arg(o.value(QStringLiteral("name")).toString())
                : QString();
        const QString where = QStringLiteral("rack %1%2").arg(i + 1).arg(named);
        if (!list.at(i).isObject())
            return refuse(where + QStringLiteral(": a rack must be an object"));
        PlantRack rack;
        if (const QString why = readRack(o, folder, rack); !why.isEmpty())
            return refuse(where + QStringLiteral(": ") + why);
        const QString key = rack.name.toCaseFolded();
        if (seen.contains(key))
            return refuse(where +
                          QStringLiteral(": \"name\" is rack %1's already").arg(seen.value(key)));
        seen.insert(key, int(i + 1));
        const QString port = portKey(rack.port);
        if (ports.contains(port))
            return refuse(where +
                          QStringLiteral(": \"port\" is rack %1's already").arg(ports.value(port)));
        ports.insert(port, int(i + 1));
        plant.racks << rack;
    }
    return plant;
}

Result<Plant> LoadPlantFile(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    const auto refuse = [&](const QString &why) {
        return Result<Plant>::failed(QStringLiteral("%1: %2").arg(shown, why));
    };
    if (!info.exists())
        return refuse(QStringLiteral("no such file"));
    // A FIFO or a device would block in open().
    if (!info.isFile())
        return refuse(QStringLiteral("not a regular file"));
    if (info.size() > kMaxPlantBytes)
        return refuse(QStringLiteral("too large for a plant file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    return ParsePlant(file.readAll(), path);
}
