#include "sim/rackloader.h"

#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "sim/simvalues.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <optional>
#include <vector>

namespace {

// The first key of obj that is not one of known, or "".
QString unknownKey(const QJsonObject &obj, const QStringList &known)
{
    for (auto it = obj.begin(); it != obj.end(); ++it)
        if (!known.contains(it.key()))
            return it.key();
    return {};
}

// Texts may be written as JSON strings or plain numbers.
std::optional<QString> textOf(const QJsonValue &v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 15);
    return std::nullopt;
}

std::optional<int> numberKey(const QString &key, int lo, int hi)
{
    bool ok = false;
    const int n = key.toInt(&ok);
    if (!ok || n < lo || n > hi)
        return std::nullopt;
    return n;
}

QString lineAndColumn(const QByteArray &json, qsizetype offset)
{
    const QByteArray before = json.left(offset);
    const qsizetype lastNewline = before.lastIndexOf('\n');
    return QStringLiteral("line %1, column %2")
        .arg(before.count('\n') + 1)
        .arg(offset - lastNewline);
}

// The text of a JSON string given as written, quotes included.
QString keyText(const QByteArray &quoted)
{
    if (!quoted.contains('\\'))
        return QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
    return QJsonDocument::fromJson('[' + quoted + ']').array().at(0).toString();
}

// QJsonDocument keeps only the last of two equal keys, so a slot given twice
// would silently lose the first: find repeats in the text itself. Runs on
// text that parsed, so strings and brackets are all there is to follow.
QString repeatedKey(const QByteArray &json)
{
    struct Level
    {
        bool object = false;
        QString where;
        QSet<QString> keys;
    };
    std::vector<Level> levels;
    QString lastKey;
    const qsizetype n = json.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = json.at(i);
        if (c == '{' || c == '[') {
            // Named as the messages of the checks below name places.
            QString where;
            if (!levels.empty() && !levels.back().object)
                where = levels.back().where;
            else if (!levels.empty() && levels.back().where.isEmpty())
                where = lastKey;
            else if (!levels.empty() && levels.back().where == QLatin1String("slots"))
                where = QStringLiteral("slot ") + lastKey;
            else if (!levels.empty())
                where = levels.back().where + QStringLiteral(": ") + lastKey;
            levels.push_back({c == '{', where, {}});
        } else if (c == '}' || c == ']') {
            if (!levels.empty())
                levels.pop_back();
        } else if (c == '"') {
            const qsizetype start = i;
            for (++i; i < n && json.at(i) != '"'; ++i)
                if (json.at(i) == '\\')
                    ++i;
            qsizetype next = i + 1;
            while (next < n && QByteArrayView(" \t\r\n").contains(json.at(next)))
                ++next;
            if (next >= n || json.at(next) != ':' || levels.empty())
                continue;
            lastKey = keyText(json.mid(start, i + 1 - start));
            Level &level = levels.back();
            if (level.keys.contains(lastKey)) {
                const QString key = QStringLiteral("\"%1\" is given twice (%2)")
                                        .arg(lastKey, lineAndColumn(json, start));
                return level.where.isEmpty() ? key : level.where + QStringLiteral(": ") + key;
            }
            level.keys.insert(lastKey);
        }
    }
    return {};
}

} // namespace

bool RackLoader::fail(const QString &message)
{
    m_error = message;
    return false;
}

Status RackLoader::load(const QByteArray &json, SimulatedRack &rack)
{
    RackLoader loader(rack);
    auto report = [&](bool ok) { return ok ? Status(Done{}) : Status::failed(loader.m_error); };
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError)
        return report(loader.fail(
            QStringLiteral("%1: %2").arg(lineAndColumn(json, parse.offset), parse.errorString())));
    if (!doc.isObject())
        return report(loader.fail(QStringLiteral("a rack description is a JSON object")));
    const QString repeated = repeatedKey(json);
    if (!repeated.isEmpty())
        return report(loader.fail(repeated));
    const QJsonObject root = doc.object();
    const QString odd =
        unknownKey(root, {QStringLiteral("name"), QStringLiteral("comm"), QStringLiteral("slots")});
    if (!odd.isEmpty())
        return report(loader.fail(QStringLiteral("unknown key \"%1\"").arg(odd)));
    if (root.contains(QStringLiteral("name")) && !textOf(root.value(QStringLiteral("name"))))
        return report(loader.fail(QStringLiteral("\"name\" must be a text")));
    if (root.contains(QStringLiteral("comm"))) {
        if (!root.value(QStringLiteral("comm")).isObject())
            return report(loader.fail(QStringLiteral("\"comm\" must be an object")));
        if (!loader.loadComm(root.value(QStringLiteral("comm")).toObject()))
            return report(false);
    }
    const QJsonValue slotList = root.value(QStringLiteral("slots"));
    if (!slotList.isUndefined() && !slotList.isObject())
        return report(
            loader.fail(QStringLiteral("\"slots\" must be an object keyed by slot number")));
    const QJsonObject cards = slotList.toObject();
    QSet<int> seen;
    for (auto it = cards.begin(); it != cards.end(); ++it) {
        const auto slot = numberKey(it.key(), 1, 16);
        if (!slot)
            return report(loader.fail(
                QStringLiteral("slots: \"%1\" is not a slot number 1..16").arg(it.key())));
        // "1" and "01" are different keys but the same slot.
        if (seen.contains(*slot))
            return report(loader.fail(QStringLiteral("slots: slot %1 is given twice").arg(*slot)));
        seen.insert(*slot);
        if (!it.value().isObject())
            return report(loader.fail(QStringLiteral("slot %1 must be an object").arg(*slot)));
        if (!loader.loadCard(*slot, it.value().toObject()))
            return report(false);
    }
    return report(true);
}

Status RackLoader::loadFile(const QString &path, SimulatedRack &rack)
{
    auto refuse = [&](const QString &why) {
        return Status::failed(QStringLiteral("%1: %2").arg(path, why));
    };
    // A FIFO or a device would block in open() or never end: look before opening.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return refuse(QStringLiteral("not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    // One byte over the limit tells a large file without reading all of it.
    const QByteArray json = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(file.errorString());
    if (json.size() > kMaxFileSize)
        return refuse(QStringLiteral("too large for a rack description"));
    if (const Status loaded = load(json, rack); !loaded)
        return refuse(loaded.reason());
    return Done{};
}

bool RackLoader::loadComm(const QJsonObject &comm)
{
    const QString odd = unknownKey(comm, {QStringLiteral("model"), QStringLiteral("version"),
                                          QStringLiteral("timeoutRefused"), QStringLiteral("mac"),
                                          QStringLiteral("items")});
    if (!odd.isEmpty())
        return fail(QStringLiteral("comm: unknown key \"%1\"").arg(odd));
    const auto model = textOf(comm.value(QStringLiteral("model")));
    const auto version = textOf(comm.value(QStringLiteral("version")));
    if (comm.contains(QStringLiteral("model")) && (!model || model->isEmpty()))
        return fail(QStringLiteral("comm: \"model\" must be a text"));
    if (comm.contains(QStringLiteral("version")) && !version)
        return fail(QStringLiteral("comm: \"version\" must be a text"));
    const QJsonValue refused = comm.value(QStringLiteral("timeoutRefused"));
    if (!refused.isUndefined() && !refused.isBool())
        return fail(QStringLiteral("comm: \"timeoutRefused\" must be true or false"));
    const QJsonValue macList = comm.value(QStringLiteral("mac"));
    if (!macList.isUndefined() && !macList.isArray())
        return fail(QStringLiteral("comm: \"mac\" must be a list of its two parts"));
    const QJsonValue itemList = comm.value(QStringLiteral("items"));
    if (!itemList.isUndefined() && !itemList.isObject())
        return fail(QStringLiteral("comm: \"items\" must be an object keyed by item number"));

    m_rack.setCommCard(model.value_or(QStringLiteral("V9-XS1-A")),
                       version.value_or(QStringLiteral("1.05")));
    const QJsonArray mac = macList.toArray();
    if (mac.size() > 2)
        return fail(QStringLiteral("comm: \"mac\" has two parts"));
    for (int i = 0; i < mac.size(); ++i)
        if (!textOf(mac[i]) || !m_rack.setItemValue(0, 57 + i, *textOf(mac[i])))
            return fail(QStringLiteral("comm: this communication card has no MAC address"));

    const QJsonObject items = itemList.toObject();
    QSet<int> seen;
    for (auto it = items.begin(); it != items.end(); ++it) {
        const auto item = numberKey(it.key(), 0, 99);
        const auto value = textOf(it.value());
        if (!item || !value)
            return fail(
                QStringLiteral("comm: item \"%1\" needs a number and a text").arg(it.key()));
        if (seen.contains(*item))
            return fail(QStringLiteral("comm: item %1 is given twice").arg(*item));
        seen.insert(*item);
        const QByteArray reply = m_rack.commCard().write(*item, *value);
        if (reply == kCnu)
            return fail(QStringLiteral("comm: %1 has no item %2")
                            .arg(m_rack.commCard().model())
                            .arg(*item));
        if (reply == kCng)
            return fail(QStringLiteral("comm: item %1 refuses \"%2\"").arg(*item).arg(*value));
    }
    // After the items, so a refusing card can still be given a time-out value.
    m_rack.setTimeoutRefused(refused.toBool());
    return true;
}

bool RackLoader::loadCard(int slot, const QJsonObject &obj)
{
    const QString where = QStringLiteral("slot %1").arg(slot);
    const QString odd = unknownKey(obj, {QStringLiteral("model"), QStringLiteral("version"),
                                         QStringLiteral("items"), QStringLiteral("burnout"),
                                         QStringLiteral("states")});
    if (!odd.isEmpty())
        return fail(QStringLiteral("%1: unknown key \"%2\"").arg(where, odd));
    const auto model = textOf(obj.value(QStringLiteral("model")));
    if (!model || model->isEmpty())
        return fail(QStringLiteral("%1: \"model\" (the card's model code) is missing").arg(where));
    const auto version = textOf(obj.value(QStringLiteral("version")));
    if (obj.contains(QStringLiteral("version")) && !version)
        return fail(QStringLiteral("%1: \"version\" must be a text").arg(where));
    const QJsonValue itemList = obj.value(QStringLiteral("items"));
    if (!itemList.isUndefined() && !itemList.isObject())
        return fail(
            QStringLiteral("%1: \"items\" must be an object keyed by item number").arg(where));
    const QJsonValue burnoutList = obj.value(QStringLiteral("burnout"));
    if (!burnoutList.isUndefined() && !burnoutList.isArray())
        return fail(
            QStringLiteral("%1: \"burnout\" must be a list, one value per channel").arg(where));
    m_rack.insertCard(slot, *model, version.value_or(QStringLiteral("1.00")));
    SimCard &card = *m_rack.card(slot);

    const QJsonObject items = itemList.toObject();
    QSet<int> seen;
    for (auto it = items.begin(); it != items.end(); ++it) {
        const auto item = numberKey(it.key(), 0, 99);
        const auto value = textOf(it.value());
        if (!item || !value)
            return fail(
                QStringLiteral("%1: item \"%2\" needs a number and a text").arg(where, it.key()));
        if (seen.contains(*item))
            return fail(QStringLiteral("%1: item %2 is given twice").arg(where).arg(*item));
        seen.insert(*item);
        const QByteArray reply = card.write(*item, *value);
        if (reply == kCnu)
            return fail(
                QStringLiteral("%1: a %2 card has no item %3").arg(where, *model).arg(*item));
        if (reply == kCng)
            return fail(
                QStringLiteral("%1: item %2 refuses \"%3\"").arg(where).arg(*item).arg(*value));
    }

    const QJsonArray burnout = burnoutList.toArray();
    for (int ch = 0; ch < burnout.size(); ++ch)
        if (!textOf(burnout[ch]) || !card.setBurnout(ch, *textOf(burnout[ch])))
            return fail(QStringLiteral("%1: burnout of channel %2 does not fit this card")
                            .arg(where)
                            .arg(ch + 1));

    if (obj.contains(QStringLiteral("states"))) {
        const auto states = parseHex4(obj.value(QStringLiteral("states")).toString());
        if (!states || !card.isDiscrete())
            return fail(
                QStringLiteral("%1: \"states\" takes four hex digits, on discrete cards only")
                    .arg(where));
        card.setStates(*states);
    }
    return true;
}

Result<std::unique_ptr<SimulatedRack>> LoadRack(const QByteArray &json)
{
    auto rack = std::make_unique<SimulatedRack>();
    if (const Status loaded = RackLoader::load(json, *rack); !loaded)
        return Result<std::unique_ptr<SimulatedRack>>::failedAs(loaded);
    return rack;
}

Result<std::unique_ptr<SimulatedRack>> LoadRackFile(const QString &path)
{
    auto rack = std::make_unique<SimulatedRack>();
    if (const Status loaded = RackLoader::loadFile(path, *rack); !loaded)
        return Result<std::unique_ptr<SimulatedRack>>::failedAs(loaded);
    return rack;
}
