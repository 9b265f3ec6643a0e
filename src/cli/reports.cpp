#include "cli/reports.h"

#include "model/catalogue.h"
#include "model/slotfields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// An unknown model has no status; an empty slot is "NONE".
QString statusOf(const CardRecord &r)
{
    if (!r.holdsCard() && r.namesModel())
        return {};
    return StatusName(r.Status);
}

// The parameters the card's kind has, one line each under the slot's row:
// "      Full scale, Ch. 1 (parameter 2, item 12): 12000".
QStringList parameterLines(const CardRecord &r)
{
    QStringList out;
    for (int k = 1; k <= 12; ++k)
        if (r.kind().itemNo(k) >= 0)
            out << QStringLiteral("      %1: %2").arg(ParameterName(r, k), r.par(k).Value);
    return out;
}

QString statesText(const CardRecord &r)
{
    QStringList out;
    const int count = r.channels();
    for (int c = 0; c < count && c < 16; ++c)
        out << r.ChData.at(static_cast<std::size_t>(c));
    return QStringLiteral("states ") + out.join(QLatin1Char(' '));
}

QString withoutTrailingBlanks(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// The slot's row, and for a card with parameters a line for each.
QStringList slotLines(int slot, const CardRecord &r)
{
    QString line = QStringLiteral("%1  %2 %3 %4 ")
                       .arg(slot, 4)
                       .arg(r.ModelName, -9)
                       .arg(r.holdsCard() ? r.VerNo : QString(), -8)
                       .arg(statusOf(r), -7);
    if (!r.holdsCard())
        return {withoutTrailingBlanks(line)};
    const bool sensor = r.hasSensor();
    line += QStringLiteral("%1 %2 %3 ")
                .arg(InputTypeName(r), -12)
                .arg(sensor ? r.Burnout[0] : QString(), -7)
                .arg(r.kind().limitFunction ? LimitStateName(r.Limit) : QString(), -13);
    if (r.isDiscrete())
        return {withoutTrailingBlanks(line + statesText(r))};
    return QStringList(withoutTrailingBlanks(line)) + parameterLines(r);
}

QJsonArray texts(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

QJsonObject slotJson(int slot, const CardRecord &r)
{
    QStringList parameters;
    for (int k = 1; k <= 12; ++k)
        parameters << r.par(k).Value;
    QStringList channelData(r.ChData.cbegin(), r.ChData.cend());
    return QJsonObject{
        {QStringLiteral("slot"), slot},
        {QStringLiteral("model"), r.ModelName},
        {QStringLiteral("known"), r.holdsCard()},
        {QStringLiteral("version"), r.VerNo},
        {QStringLiteral("status"), statusOf(r)},
        {QStringLiteral("channels"), r.channels()},
        {QStringLiteral("inputType"), InputTypeName(r)},
        {QStringLiteral("burnout"), r.Burnout[0]},
        {QStringLiteral("limitState"), LimitStateName(r.Limit)},
        {QStringLiteral("parameters"), texts(parameters)},
        {QStringLiteral("channelData"), texts(channelData)},
    };
}

} // namespace

QString ShowText(const CardTable &cards, const TableSource &source)
{
    QString text;
    if (source.file.isEmpty())
        text += QStringLiteral("Communication card: %1, version %2\n")
                    .arg(source.commModel, source.commVersion);
    text += QStringLiteral("Slot  Model     Version  Status  Input        Burnout Limit         "
                           "Values\n");
    for (int slot = 1; slot <= kCardCount; ++slot)
        text += slotLines(slot, cards[slot]).join(QLatin1Char('\n')) + QLatin1Char('\n');
    return text;
}

QByteArray ShowJson(const CardTable &cards, const TableSource &source)
{
    QJsonArray slotList;
    for (int slot = 1; slot <= kCardCount; ++slot)
        slotList.append(slotJson(slot, cards[slot]));
    QJsonObject root{{QStringLiteral("slots"), slotList}};
    if (source.file.isEmpty()) {
        root.insert(QStringLiteral("source"), QStringLiteral("rack"));
        root.insert(QStringLiteral("commCard"),
                    QJsonObject{{QStringLiteral("model"), source.commModel},
                                {QStringLiteral("version"), source.commVersion}});
    } else {
        root.insert(QStringLiteral("source"), QStringLiteral("file"));
        root.insert(QStringLiteral("file"), source.file);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString DifferencesText(const QList<Difference> &differences, const QString &file)
{
    QString text;
    int settings = 0;
    for (const Difference &d : differences) {
        settings += !d.informational;
        if (d.field == kModelField) {
            text += QStringLiteral("Slot %1: models differ: file \"%2\", rack \"%3\"\n")
                        .arg(d.slot)
                        .arg(d.fileValue, d.rackValue);
            continue;
        }
        text += QStringLiteral("Slot %1, %2: file \"%3\", rack \"%4\"%5\n")
                    .arg(d.slot)
                    .arg(d.field, d.fileValue, d.rackValue,
                         d.informational ? QStringLiteral(" (live value, information only)")
                                         : QString());
    }
    if (settings == 0)
        text += QStringLiteral("%1: the rack's settings match the file\n").arg(file);
    else
        text += QStringLiteral("%1: %2 setting%3 differ%4 from the rack\n")
                    .arg(file, QString::number(settings),
                         settings == 1 ? QString() : QStringLiteral("s"),
                         settings == 1 ? QStringLiteral("s") : QString());
    return text;
}

QByteArray DifferencesJson(const QList<Difference> &differences, const QString &file)
{
    QJsonArray list;
    for (const Difference &d : differences)
        list.append(QJsonObject{
            {QStringLiteral("slot"), d.slot},
            {QStringLiteral("field"), d.field},
            {QStringLiteral("file"), d.fileValue},
            {QStringLiteral("rack"), d.rackValue},
            {QStringLiteral("informational"), d.informational},
        });
    const QJsonObject root{
        {QStringLiteral("file"), file},
        {QStringLiteral("settingsDiffer"), SettingsDiffer(differences)},
        {QStringLiteral("differences"), list},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
