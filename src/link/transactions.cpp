#include "link/transactions.h"

#include "link/serialline.h"

namespace {

const QString kCok = QStringLiteral("COK");
const QString kCng = QStringLiteral("CNG");
const QString kCnu = QStringLiteral("CNU");

bool selectCard(SerialLine &line, const QString &card)
{
    return line.SendCommand(QLatin1Char('G') + card + QLatin1Char('\r')) == kCok;
}

bool refused(const QString &reply)
{
    return reply.isEmpty() || reply == kCng || reply == kCnu;
}

template <typename Attempt> QString withRetries(SerialLine &line, int retries, Attempt attempt)
{
    QString result;
    for (int n = 0; n <= retries; ++n) {
        // The operator's Cancel does not wait for the remaining attempts,
        // and a port that has failed would only fail them all at once.
        if (n > 0 && (line.cancelRequested() || !line.isOpen()))
            break;
        line.beginAttempt(n, retries + 1);
        result = trimBlanks(attempt());
        // A refused nested command would be refused again at once.
        if (!result.isEmpty() || line.lastRefused())
            break;
    }
    line.beginAttempt(0, retries + 1);
    return result;
}

} // namespace

QString ReadItemOnce(SerialLine &line, const QString &card, const QString &item)
{
    if (!selectCard(line, card))
        return {};
    const QString reply = line.SendCommand(QLatin1Char('I') + item + QLatin1Char('\r'));
    if (reply.isEmpty())
        return {};
    if (reply == kCng)
        return kCng;
    if (reply == kCnu)
        return QStringLiteral("NEEDLESS");
    return reply.mid(1);
}

QString ReadItem(SerialLine &line, int retries, const QString &card, const QString &item)
{
    return withRetries(line, retries, [&] { return ReadItemOnce(line, card, item); });
}

QString WriteItemOnce(SerialLine &line, const QString &card, const QString &item,
                      const QString &data)
{
    // A line end inside the data would split the command on the wire and
    // shift every later reply by one.
    if (data.contains(QLatin1Char('\r')) || data.contains(QLatin1Char('\n')))
        return {};
    if (!selectCard(line, card))
        return {};
    if (refused(line.SendCommand(QLatin1Char('I') + item + QLatin1Char('\r'))))
        return {};
    const QString reply = line.SendCommand(QLatin1Char('D') + data + QLatin1Char('\r'));
    if (refused(reply))
        return {};
    return reply.mid(1);
}

QString WriteItem(SerialLine &line, int retries, const QString &card, const QString &item,
                  const QString &data)
{
    return withRetries(line, retries, [&] { return WriteItemOnce(line, card, item, data); });
}

bool CommCardAnswers(SerialLine &line)
{
    return !ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("40")).isEmpty();
}
