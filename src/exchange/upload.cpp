#include "exchange/upload.h"

#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "link/transactions.h"
#include "model/encodings.h"

#include <tuple>

namespace {

const QString kComm = QStringLiteral("00");

// Mask of occupied slots, bit 0 = card 1; nullopt when it is no hex number.
std::optional<quint32> parseMask(const QString &text)
{
    bool ok = false;
    const quint32 v = text.trimmed().toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return v;
}

class Upload
{
public:
    // `cards` is the session's table for an Upload, another for a read that
    // leaves the table alone.
    Upload(Session &s, CardTable &cards, RackObserver &o)
        : m_session(s), m_cards(cards), m_observer(o), m_ownTable(&cards == &s.cards)
    {
    }

    OperationResult run();

private:
    // The reply's value (a refusal as its text, "CNG"), or nullopt when the
    // read got no answer.
    std::optional<QString> read(const QString &card, const QString &item)
    {
        const Reply r =
            transact(item, [&] { return ReadItem(m_session.line, kRetries, card, item); });
        if (!Answered(r))
            return std::nullopt;
        return TextAfterColon(ReplyText(r));
    }
    Reply write(const QString &card, const QString &item, const QString &data)
    {
        return transact(item,
                        [&] { return WriteItem(m_session.line, kRetries, card, item, data); });
    }
    // One transaction, unless the operator asked to cancel: then nothing is
    // sent and the operation ends as Cancelled where it stands.
    template <typename Transaction> Reply transact(const QString &item, Transaction t)
    {
        if (m_cancel())
            return Reply::failed(Failure::Error, QStringLiteral("cancelled"));
        m_item = item;
        m_last = t();
        return m_last;
    }
    bool readSlots(const QString &card, CardRecord &r, int first, int last);
    bool readAux(const QString &card, const QString &item, int &target);
    bool readCard(int i);
    bool readSensor(const QString &card, int i);
    // Tells the table's provenance how far the upload got.
    void stopped(const QString &how);
    OperationResult fail();
    OperationResult cancelled();

    Session &m_session;
    CardTable &m_cards;
    RackObserver &m_observer;
    const bool m_ownTable;
    RetryRelay m_retries{m_session.line, m_observer};
    bool m_progressOpen = false;
    OperationCancel m_cancel{m_session.line, m_observer};
    // Where the operation is: slot (0 = communication card) and item.
    int m_slot = 0;
    QString m_item;
    // What became of the last transaction: a failure tells the rack's
    // silence from a line busy with another exchange.
    Reply m_last = QString();
};

void Upload::stopped(const QString &how)
{
    // Slots before the current one are read whole; the current one is not.
    const int done = m_slot - 1;
    const QString reason = done > 0 ? QStringLiteral("upload %1 after slot %2").arg(how).arg(done)
                                    : QStringLiteral("upload %1 before slot 1").arg(how);
    const bool partial = m_slot > 0 && m_cards[m_slot].holdsCard();
    if (m_ownTable)
        m_session.table.uploadStopped(reason, partial ? m_slot : 0);
}

OperationResult Upload::cancelled()
{
    stopped(QStringLiteral("cancelled"));
    if (m_progressOpen)
        m_observer.progressFinished();
    const int done = m_slot - 1;
    m_observer.operationWarning(QStringLiteral("Uploading"),
                                done > 0
                                    ? QStringLiteral("Uploading cancelled after slot %1.").arg(done)
                                    : QStringLiteral("Uploading cancelled before slot 1."));
    return OperationResult::Cancelled;
}

OperationResult Upload::fail()
{
    // Cancel pressed during the transaction that failed: the operator's
    // stop, not a dead link.
    if (m_cancel())
        return cancelled();
    stopped(QStringLiteral("failed"));
    // Refused because another exchange was waiting: not the rack's fault, and
    // that other operation still owns the link.
    const bool refused = m_last.is(Failure::Busy);
    if (!refused)
        m_observer.operationFailed(
            QStringLiteral("Uploading"), QStringLiteral("Uploading incomplete"),
            FailurePlace(m_cards, m_slot, m_item, m_last.is(Failure::Silent)));
    if (m_progressOpen)
        m_observer.progressFinished();
    return refused ? OperationResult::Refused : OperationResult::Failed;
}

OperationResult Upload::run()
{
    if (m_ownTable)
        m_session.table.uploadStarted(PortText(*m_session.ports, m_session.state.ComPortNo),
                                      m_session.link);
    const Reply reply = transact(QStringLiteral("4"), [&] {
        return ReadItem(m_session.line, kRetries, kComm, QStringLiteral("4"));
    });
    if (!Answered(reply))
        return fail();
    const QString model = ReplyText(reply);
    m_observer.commCardModel(TextBeforeColon(model));
    m_session.commCardModel = TextBeforeColon(model);
    const auto version = read(kComm, QStringLiteral("40"));
    if (!version)
        return fail();
    m_observer.commCardVersion(*version);
    m_session.commCardVersion = *version;

    m_observer.progressStarted(kCardCount, QStringLiteral("Uploading"));
    m_progressOpen = true;
    // Set-up writes whose replies the rack gives no meaning to.
    for (const auto &[item, data] : {std::pair{"1", "F"}, {"41", "847"}, {"1", "0"}})
        std::ignore = write(kComm, QLatin1String(item), QLatin1String(data));

    const auto maskText = read(kComm, QStringLiteral("6"));
    // A garbled mask would mark arbitrary slots present: treat it as no answer.
    const auto mask = maskText ? parseMask(*maskText) : std::nullopt;
    if (!mask)
        return fail();

    for (int i = 1; i <= kCardCount; ++i) {
        if (m_observer.stopRequested()) {
            m_slot = i;
            stopped(QStringLiteral("stopped"));
            m_observer.progressFinished();
            return OperationResult::Cancelled;
        }
        m_slot = i;
        m_observer.cardRowCleared(i);
        m_observer.progressDetail(SlotProgressText(i, {}));
        QString modelText = QStringLiteral("NONE");
        const QString card = QString::number(i);
        if (*mask & (1u << (i - 1))) {
            // Item "1" picks the card's page of items; its reply says nothing.
            std::ignore = write(card, QStringLiteral("1"), QStringLiteral("1"));
            const auto m = read(card, QStringLiteral("2"));
            if (!m)
                return fail();
            modelText = *m;
        }
        ClassifyCard(m_cards, i, modelText);
        m_observer.cardIdentified(i);
        if (m_cards[i].holdsCard())
            m_observer.progressDetail(SlotProgressText(i, m_cards[i].ModelName));
        if (m_cards[i].holdsCard()) {
            if (!readCard(i))
                return fail();
            m_observer.cardRead(i);
        }
        // What the change log gives as a parameter's value before a write.
        m_session.lastRead[i] = m_cards[i];
        m_observer.progressAdvanced();
    }
    if (m_ownTable)
        m_session.table.uploadCompleted();
    // The whole rack is known on this link: a download's as-found backup
    // needs no read of its own.
    m_session.lastReadLink = m_session.link;
    m_observer.progressFinished();
    return OperationResult::Completed;
}

bool Upload::readCard(int i)
{
    CardRecord &r = m_cards[i];
    const QString card = QString::number(i);
    const auto version = read(card, QStringLiteral("40"));
    if (!version)
        return false;
    r.VerNo = *version;

    const CardKind &kind = r.kind();
    for (int ch = 1; ch <= r.channels(); ++ch) {
        if (kind.isDiscrete()) {
            const auto v = read(card, QString::number(kind.liveItemOf(ch)));
            if (!v)
                return false;
            r.ChData.at(static_cast<std::size_t>(ch - 1)) = *v;
            continue;
        }
        // Channel n's six slots, then its range setting where the kind has one.
        if (!readSlots(card, r, 6 * ch - 5, 6 * ch))
            return false;
        const auto n = static_cast<std::size_t>(ch - 1);
        if (ch <= 2 && kind.rangeItems.at(n) >= 0 &&
            !readAux(card, QString::number(kind.rangeItems.at(n)), r.AuxSetting.at(n)))
            return false;
    }
    if (r.hasSensor())
        return readSensor(card, i);
    return true;
}

bool Upload::readSlots(const QString &card, CardRecord &r, int first, int last)
{
    // Item "-1" is sent as it stands; the card answers for itself.
    for (int k = first; k <= last; ++k) {
        const auto v = read(card, r.par(k).ItemNo);
        if (!v)
            return false;
        r.par(k).Value = *v;
    }
    return true;
}

bool Upload::readAux(const QString &card, const QString &item, int &target)
{
    const auto v = read(card, item);
    if (!v)
        return false;
    bool ok = false;
    const int n = v->trimmed().toInt(&ok);
    // Anything but a 16-bit whole number keeps the "not read" value.
    if (ok && n >= -32768 && n <= 32767)
        target = n;
    return true;
}

bool Upload::readSensor(const QString &card, int i)
{
    CardRecord &r = m_cards[i];
    const Reply burnout0 = write(card, QStringLiteral("9"), QStringLiteral("0"));
    if (!burnout0)
        return false;
    r.Burnout[0] = TextAfterColon(*burnout0);
    if (r.isTwoChannel()) {
        const Reply burnout1 = write(card, QStringLiteral("9"), QStringLiteral("1"));
        if (!burnout1)
            return false;
        r.Burnout[1] = TextAfterColon(*burnout1);
    }
    const auto unit = read(card, QStringLiteral("6"));
    if (!unit)
        return false;
    if (*unit == QLatin1String("C"))
        r.Unit = TempUnit::Celsius;
    else if (*unit == QLatin1String("F"))
        r.Unit = TempUnit::Fahrenheit;
    else if (*unit == QLatin1String("K"))
        r.Unit = TempUnit::Kelvin;
    const auto name = read(card, QStringLiteral("8"));
    if (!name)
        return false;
    const QStringList *names = r.kind().sensorNames();
    const qsizetype type = names ? names->indexOf(*name) : -1;
    if (type >= 0)
        r.InputType = static_cast<int>(type);
    if (r.kind().limitFunction) {
        if (r.VerNo.left(1) != QLatin1String("0")) {
            // No answer here does not end the upload: the card may lack the function.
            const Reply limit = transact(QStringLiteral("37"), [&] {
                return ReadItem(m_session.line, kRetries, card, QStringLiteral("37"));
            });
            if (m_cancel.seen())
                return false;
            r.Limit = TextAfterColon(ReplyText(limit)) == QLatin1String("DIS") ? LimitState::Off
                                                                               : LimitState::On;
        } else {
            r.Limit = LimitState::NotAvailable;
        }
    }
    return true;
}

} // namespace

OperationResult UploadAllCards(Session &session, RackObserver &observer)
{
    return Upload(session, session.cards, observer).run();
}

OperationResult ReadRackInto(Session &session, CardTable &cards, RackObserver &observer)
{
    return Upload(session, cards, observer).run();
}
