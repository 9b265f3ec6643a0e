#include "exchange/commcardsettings.h"

#include "exchange/changerecord.h"
#include "exchange/session.h"
#include "link/transactions.h"
#include "model/encodings.h"

#include <QStringList>
#include <tuple>

namespace {

const QString kCommCard = QStringLiteral("00");

Reply read(Session &s, const QString &item)
{
    return ReadItem(s.line, kRetries, kCommCard, item);
}

// A setting's write, recorded in the change log before the caller reports it.
Reply write(Session &s, const QString &item, const QString &data, const QString &parameter)
{
    const Reply reply = WriteItem(s.line, kRetries, kCommCard, item, data);
    RecordCommCardWrite(s, parameter, item, data, WriteResult(s.line, reply));
    return reply;
}

// Item "1" picks which page of items the card answers; its reply says nothing.
void selectPage(Session &s, const QString &page)
{
    std::ignore = WriteItem(s.line, kRetries, kCommCard, QStringLiteral("1"), page);
}

QString item(int n)
{
    return QString::number(n);
}

// The first octet goes to box 3, the leftmost.
std::array<QString, 4> octetBoxes(const QString &reply)
{
    const DottedParts p = SplitDotted(TextAfterColon(reply));
    return {p.rest, p.third, p.second, p.first};
}

QString dotted(const std::array<QString, 4> &boxes)
{
    return boxes[3] + QLatin1Char('.') + boxes[2] + QLatin1Char('.') + boxes[1] + QLatin1Char('.') +
           boxes[0];
}

bool isDigits(const QString &text, qsizetype maxLength)
{
    if (text.isEmpty() || text.size() > maxLength)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool inRange(const QString &digits, qsizetype maxLength, int min, int max)
{
    return isDigits(digits, maxLength) && digits.toInt() >= min && digits.toInt() <= max;
}

// A read the card answered without a value: refused, or an item this
// firmware does not have.
bool isRefusal(const Reply &reply)
{
    return reply.is(Failure::Refused) || reply.is(Failure::NotUsed);
}

// A write that failed: a refusal is the card's answer and the link is fine;
// silence, or a command the line would not send because another exchange
// was waiting, takes the failure path.
SettingsDownload failedWrite(const Reply &reply)
{
    if (reply.is(Failure::Busy))
        return SettingsDownload::Busy;
    if (reply.is(Failure::Silent))
        return SettingsDownload::WriteFailed;
    return SettingsDownload::Refused;
}

// A link check that got no answer: Busy when nothing was sent.
SettingsDownload noAnswer(const Reply &reply)
{
    return reply.is(Failure::Busy) ? SettingsDownload::Busy : SettingsDownload::NoAnswer;
}

EntryProblem refusal(const QString &box, const QString &setting, const QStringList &written)
{
    const QString done =
        written.isEmpty()
            ? QStringLiteral("Nothing was written.")
            : QStringLiteral("Already written: %1.").arg(written.join(QStringLiteral(", ")));
    return {box, QStringLiteral("The card refused %1.\n%2").arg(setting, done)};
}

struct Setting
{
    QString item;
    QString data;
    QString name; // as the operator knows it from the window
    QString box;
};

const QString kPleaseEnterNumber = QStringLiteral("Please enter number.");

struct OctetGroup
{
    const std::array<QString, 4> &boxes;
    const char *name;
    const char *label;
};

} // namespace

EthernetUpload UploadEthernetSettings(Session &session)
{
    EthernetUpload out;
    // The reply's text, or nullopt when the card gave none: the upload
    // stops there, and says whether anything was sent.
    const auto get = [&](const QString &item) -> std::optional<QString> {
        const Reply r = read(session, item);
        out.busy = r.is(Failure::Busy);
        if (!Answered(r))
            return std::nullopt;
        return ReplyText(r);
    };
    if (!get(QStringLiteral("40")))
        return out;
    selectPage(session, QStringLiteral("1"));
    const auto ip = get(QStringLiteral("59"));
    if (!ip)
        return out;
    out.ip = octetBoxes(*ip);
    session.commCardRead.insert(QStringLiteral("59"), dotted(*out.ip));
    const auto mask = get(QStringLiteral("60"));
    if (!mask)
        return out;
    out.mask = octetBoxes(*mask);
    session.commCardRead.insert(QStringLiteral("60"), dotted(*out.mask));
    const auto macFirst = get(QStringLiteral("57"));
    if (!macFirst)
        return out;
    out.macFirst = TextAfterColon(*macFirst);
    // The second half of the MAC address sits on page "F".
    selectPage(session, QStringLiteral("F"));
    const auto macSecond = get(QStringLiteral("58"));
    if (!macSecond)
        return out;
    out.macSecond = TextAfterColon(*macSecond);
    selectPage(session, QStringLiteral("1"));
    for (std::size_t i = 0; i < out.port.size(); ++i) {
        const auto port = get(item(61 + static_cast<int>(i)));
        if (!port)
            return out;
        out.port[i] = TextAfterColon(*port);
        session.commCardRead.insert(item(61 + static_cast<int>(i)), *out.port[i]);
    }
    for (std::size_t i = 0; i < out.linger.size(); ++i) {
        const Reply linger = read(session, item(71 + static_cast<int>(i)));
        out.busy = linger.is(Failure::Busy);
        if (!Answered(linger))
            return out;
        // The reply names the socket before the time: "LG:1:5". Firmware
        // before 0.04 has no linger times: an empty box, which Download skips.
        out.linger[i] = isRefusal(linger) ? QString() : TextAfterColon(TextAfterColon(*linger));
        if (!isRefusal(linger))
            session.commCardRead.insert(item(71 + static_cast<int>(i)), *out.linger[i]);
    }
    out.complete = true;
    return out;
}

std::optional<EntryProblem> CheckEthernetEntries(const EthernetSettings &boxes)
{
    const OctetGroup groups[] = {{boxes.ip, "txtIP_%1", "IP Address"},
                                 {boxes.mask, "txtSNM_%1", "Subnet Mask"}};
    for (const OctetGroup &g : groups)
        for (int i = 0; i < 4; ++i)
            if (g.boxes[static_cast<std::size_t>(i)].isEmpty())
                return EntryProblem{
                    QString::fromLatin1(g.name).arg(i),
                    QStringLiteral("Please enter number in %1.").arg(QLatin1String(g.label))};
    for (int n = 1; n <= 4; ++n)
        if (boxes.port[static_cast<std::size_t>(n - 1)].isEmpty())
            return EntryProblem{QStringLiteral("txtPort_%1").arg(n),
                                QStringLiteral("Please enter number in TCP Port No.")};

    // One bad octet or port would leave the card unreachable on the network.
    for (const OctetGroup &g : groups)
        for (int i = 0; i < 4; ++i)
            if (!inRange(g.boxes[static_cast<std::size_t>(i)], 3, 0, 255))
                return EntryProblem{
                    QString::fromLatin1(g.name).arg(i),
                    QStringLiteral("Please enter 0 to 255 in %1, box %2 from the left.")
                        .arg(QLatin1String(g.label))
                        .arg(4 - i)};
    for (int n = 1; n <= 4; ++n)
        if (!inRange(boxes.port[static_cast<std::size_t>(n - 1)], 5, 1, 65535))
            return EntryProblem{QStringLiteral("txtPort_%1").arg(n),
                                QStringLiteral("Please enter 1 to 65535 in Port%1.").arg(n)};
    for (int n = 1; n <= 4; ++n) {
        const QString &linger = boxes.linger[static_cast<std::size_t>(n - 1)];
        if (!linger.isEmpty() && !isDigits(linger, linger.size()))
            return EntryProblem{QStringLiteral("txtTimeout_%1").arg(n),
                                QStringLiteral("Please enter digits only in Linger %1.").arg(n)};
    }
    return std::nullopt;
}

EthernetDownload DownloadEthernetSettings(Session &session, const EthernetSettings &boxes)
{
    if (const Reply check = read(session, QStringLiteral("40")); !Answered(check))
        return {noAnswer(check), {}};
    if (const auto problem = CheckEthernetEntries(boxes))
        return {SettingsDownload::BadEntry, *problem};
    QList<Setting> settings = {
        {QStringLiteral("59"), dotted(boxes.ip), QStringLiteral("IP Address"),
         QStringLiteral("txtIP_3")},
        {QStringLiteral("60"), dotted(boxes.mask), QStringLiteral("Subnet Mask"),
         QStringLiteral("txtSNM_3")},
    };
    for (int n = 1; n <= 4; ++n)
        settings.append({item(60 + n), boxes.port[static_cast<std::size_t>(n - 1)],
                         QStringLiteral("Port%1").arg(n), QStringLiteral("txtPort_%1").arg(n)});
    // An empty linger box keeps the card's time (and firmware without linger
    // times is not asked to take one).
    for (int n = 1; n <= 4; ++n)
        if (const QString &linger = boxes.linger[static_cast<std::size_t>(n - 1)];
            !linger.isEmpty())
            settings.append({item(70 + n), linger, QStringLiteral("Linger %1").arg(n),
                             QStringLiteral("txtTimeout_%1").arg(n)});

    selectPage(session, QStringLiteral("1"));
    QStringList written;
    for (const Setting &s : settings) {
        const Reply reply = write(session, s.item, s.data, s.name);
        if (reply) {
            written << s.name;
            continue;
        }
        const SettingsDownload result = failedWrite(reply);
        if (result != SettingsDownload::Refused)
            return {result, {}};
        // The card is there; the operator must know how far the change got.
        return {SettingsDownload::Refused, refusal(s.box, s.name, written)};
    }
    return {SettingsDownload::Written, {}};
}

QString OctetTypingMessage(const QString &text)
{
    const auto value = CheckNumberText(text);
    if (!value)
        return kPleaseEnterNumber;
    if (*value > 255 || *value < 0)
        return QStringLiteral("Please enter 0 to 255.");
    return {};
}

QString PortTypingMessage(const QString &text)
{
    // Ports above the 16-bit signed range are valid and must not be refused.
    if (inRange(text, 5, 0, 65535) || CheckNumberText(text))
        return {};
    return kPleaseEnterNumber;
}

QString LingerTypingMessage(const QString &text)
{
    return CheckNumberText(text) ? QString() : kPleaseEnterNumber;
}

CommTimeoutUpload UploadCommTimeout(Session &session)
{
    using Outcome = CommTimeoutUpload::Result;
    const auto unanswered = [](const Reply &r) {
        return CommTimeoutUpload{r.is(Failure::Busy) ? Outcome::Busy : Outcome::NoAnswer, {}};
    };
    if (const Reply check = read(session, QStringLiteral("40")); !Answered(check))
        return unanswered(check);
    selectPage(session, QStringLiteral("1"));
    const Reply reply = read(session, QStringLiteral("09"));
    if (!Answered(reply))
        return unanswered(reply);
    // A card that does not use the item cannot take a value either; writing
    // its refusal back would send "0".
    if (isRefusal(reply))
        return {Outcome::CannotSet, {}};
    session.commCardRead.insert(QStringLiteral("09"), TextAfterColon(*reply));
    return {Outcome::Read, TextAfterColon(*reply)};
}

std::optional<QString> ClampCommTimeout(const QString &box)
{
    if (!isDigits(box, box.size()))
        return std::nullopt;
    // Judged by its significant digits, so no length of text overflows.
    qsizetype first = 0;
    while (first < box.size() && box.at(first) == QLatin1Char('0'))
        ++first;
    const QString significant = box.mid(first);
    if (significant.isEmpty())
        return QStringLiteral("0");
    if (significant.size() > 5 || significant.toInt() > 32767)
        return QStringLiteral("32767");
    return box;
}

CommTimeoutDownload DownloadCommTimeout(Session &session, const QString &box)
{
    if (const Reply check = read(session, QStringLiteral("40")); !Answered(check))
        return {noAnswer(check), {}, {}};
    const auto sent = ClampCommTimeout(box);
    if (!sent)
        return {SettingsDownload::BadEntry, {}, {}};
    selectPage(session, QStringLiteral("1"));
    const Reply reply = write(session, QStringLiteral("09"), *sent, QStringLiteral("Time-out"));
    if (reply)
        return {SettingsDownload::Written, *sent, {}};
    if (const SettingsDownload result = failedWrite(reply); result != SettingsDownload::Refused)
        return {result, *sent, {}};
    return {SettingsDownload::Refused, *sent,
            refusal(QStringLiteral("txtTimeout"), QStringLiteral("TimeOut"), {})};
}
