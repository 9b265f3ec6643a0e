#include "sim/rackloader.h"

#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "sim/simulatedrack.h"
#include "sim/simvalues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

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

} // namespace

bool RackLoader::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool RackLoader::load(const QByteArray &json, SimulatedRack &rack, QString *error)
{
    RackLoader loader(rack);
    auto report = [&](bool ok) {
        if (!ok && error)
            *error = loader.m_error;
        return ok;
    };
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError)
        return report(loader.fail(
            QStringLiteral("%1: %2").arg(lineAndColumn(json, parse.offset), parse.errorString())));
    if (!doc.isObject())
        return report(loader.fail(QStringLiteral("a rack description is a JSON object")));
    const QJsonObject root = doc.object();
    const QString odd =
        unknownKey(root, {QStringLiteral("name"), QStringLiteral("comm"), QStringLiteral("slots")});
    if (!odd.isEmpty())
        return report(loader.fail(QStringLiteral("unknown key \"%1\"").arg(odd)));
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
    for (auto it = cards.begin(); it != cards.end(); ++it) {
        const auto slot = numberKey(it.key(), 1, 16);
        if (!slot)
            return report(loader.fail(
                QStringLiteral("slots: \"%1\" is not a slot number 1..16").arg(it.key())));
        if (!it.value().isObject())
            return report(loader.fail(QStringLiteral("slot %1 must be an object").arg(*slot)));
        if (!loader.loadCard(*slot, it.value().toObject()))
            return report(false);
    }
    return report(true);
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
    m_rack.setCommCard(model.value_or(QStringLiteral("V9-XS1-A")),
                       version.value_or(QStringLiteral("1.05")));
    const QJsonArray mac = comm.value(QStringLiteral("mac")).toArray();
    if (mac.size() > 2)
        return fail(QStringLiteral("comm: \"mac\" has two parts"));
    for (int i = 0; i < mac.size(); ++i)
        if (!textOf(mac[i]) || !m_rack.setItemValue(0, 57 + i, *textOf(mac[i])))
            return fail(QStringLiteral("comm: this communication card has no MAC address"));

    const QJsonObject items = comm.value(QStringLiteral("items")).toObject();
    for (auto it = items.begin(); it != items.end(); ++it) {
        const auto item = numberKey(it.key(), 0, 99);
        const auto value = textOf(it.value());
        if (!item || !value)
            return fail(
                QStringLiteral("comm: item \"%1\" needs a number and a text").arg(it.key()));
        const QByteArray reply = m_rack.commCard().write(*item, *value);
        if (reply == kCnu)
            return fail(QStringLiteral("comm: %1 has no item %2")
                            .arg(m_rack.commCard().model())
                            .arg(*item));
        if (reply == kCng)
            return fail(QStringLiteral("comm: item %1 refuses \"%2\"").arg(*item).arg(*value));
    }
    // After the items, so a refusing card can still be given a time-out value.
    m_rack.setTimeoutRefused(comm.value(QStringLiteral("timeoutRefused")).toBool());
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
    m_rack.insertCard(slot, *model, version.value_or(QStringLiteral("1.00")));
    SimCard &card = *m_rack.card(slot);

    const QJsonObject items = obj.value(QStringLiteral("items")).toObject();
    for (auto it = items.begin(); it != items.end(); ++it) {
        const auto item = numberKey(it.key(), 0, 99);
        const auto value = textOf(it.value());
        if (!item || !value)
            return fail(
                QStringLiteral("%1: item \"%2\" needs a number and a text").arg(where, it.key()));
        const QByteArray reply = card.write(*item, *value);
        if (reply == kCnu)
            return fail(
                QStringLiteral("%1: a %2 card has no item %3").arg(where, *model).arg(*item));
        if (reply == kCng)
            return fail(
                QStringLiteral("%1: item %2 refuses \"%3\"").arg(where).arg(*item).arg(*value));
    }

    const QJsonArray burnout = obj.value(QStringLiteral("burnout")).toArray();
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
