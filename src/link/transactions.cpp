#include "link/transactions.h"

#include "link/serialline.h"

namespace {

const QString kCok = QStringLiteral("COK");
const QString kCng = QStringLiteral("CNG");
const QString kCnu = QStringLiteral("CNU");

Status selectCard(SerialLine &line, const QString &card)
{
    const Reply r = line.SendCommand(QLatin1Char('G') + card + QLatin1Char('\r'));
    if (!r)
        return Status::failedAs(r);
    if (*r != kCok)
        return Status::failed(Failure::Unusable);
    return Done{};
}

// One reply line as the card's answer: its value after the status
// character, or the refusal it is. A reply without a value is no answer.
Reply answerOf(const Reply &line)
{
    if (!line)
        return line;
    if (*line == kCng)
        return Reply::failed(Failure::Refused);
    if (*line == kCnu)
        return Reply::failed(Failure::NotUsed);
    const QString value = trimBlanks(line->mid(1));
    if (value.isEmpty())
        return Reply::failed(Failure::Unusable);
    return value;
}

Reply readOnce(SerialLine &line, const QString &card, const QString &item)
{
    if (const Status selected = selectCard(line, card); !selected)
        return Reply::failedAs(selected);
    return answerOf(line.SendCommand(QLatin1Char('I') + item + QLatin1Char('\r')));
}

Reply writeOnce(SerialLine &line, const QString &card, const QString &item, const QString &data)
{
    // A line end inside the data would split the command on the wire and
    // shift every later reply by one.
    if (data.contains(QLatin1Char('\r')) || data.contains(QLatin1Char('\n')))
        return Reply::failed(Failure::Error, QStringLiteral("a line end inside the data"));
    if (const Status selected = selectCard(line, card); !selected)
        return Reply::failedAs(selected);
    // Any reply to the item select but a refusal lets the data follow.
    const Reply selected = line.SendCommand(QLatin1Char('I') + item + QLatin1Char('\r'));
    if (!selected)
        return selected;
    if (selected->isEmpty())
        return Reply::failed(Failure::Unusable);
    if (*selected == kCng || *selected == kCnu)
        return answerOf(selected);
    return answerOf(line.SendCommand(QLatin1Char('D') + data + QLatin1Char('\r')));
}

bool worthRetrying(const Reply &r, bool write)
{
    if (r.ok())
        return false;
    switch (r.why()) {
    case Failure::Silent:
    case Failure::Unusable:
        return true;
    case Failure::Refused:
    case Failure::NotUsed:
        // A card that refused a read would refuse it again; a write is
        // tried again.
        return write;
    case Failure::Busy: // refused again at once
    case Failure::Error:
        return false;
    }
    return false;
}

template <typename Attempt>
Reply withRetries(SerialLine &line, int retries, bool write, Attempt attempt)
{
    Reply result = Reply::failed(Failure::Silent);
    for (int n = 0; n <= retries; ++n) {
        // The operator's Cancel does not wait for the remaining attempts,
        // and a port that has failed would only fail them all at once.
        if (n > 0 && (line.cancelRequested() || !line.isOpen()))
            break;
        line.beginAttempt(n, retries + 1, result.is(Failure::Silent));
        result = attempt();
        if (!worthRetrying(result, write))
            break;
    }
    line.beginAttempt(0, retries + 1, false);
    return result;
}

} // namespace

Reply ReadItem(SerialLine &line, int retries, const QString &card, const QString &item)
{
    return withRetries(line, retries, false, [&] { return readOnce(line, card, item); });
}

Reply WriteItem(SerialLine &line, int retries, const QString &card, const QString &item,
                const QString &data)
{
    return withRetries(line, retries, true, [&] { return writeOnce(line, card, item, data); });
}

QString ReplyText(const Reply &r)
{
    if (r.ok())
        return *r;
    if (r.is(Failure::Refused))
        return kCng;
    if (r.is(Failure::NotUsed))
        return QStringLiteral("NEEDLESS");
    return {};
}

Reply AskCommCard(SerialLine &line)
{
    return ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("40"));
}
