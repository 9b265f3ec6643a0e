#include "exchange/download.h"

#include "exchange/changerecord.h"
#include "exchange/session.h"
#include "link/transactions.h"
#include "model/parametercaptions.h"

namespace {

// A slot's item number when the kind has no such item: the card refuses it.
const QString kNoItem = QStringLiteral("-1");

class Download
{
public:
    Download(Session &s, RackObserver &o) : m_session(s), m_observer(o) {}

    DownloadOutcome run();

private:
    // False when the link is gone and the download must end.
    bool write(int cardNo, const QString &item, const QString &data, int slot = 0);
    bool writeSlots(int cardNo, int first, int last);
    bool writeLimit(int cardNo);
    bool writeCard(int cardNo);
    DownloadOutcome fail();
    DownloadOutcome cancelled();

    Session &m_session;
    RackObserver &m_observer;
    RetryRelay m_retries{m_session.line, m_observer};
    DownloadOutcome m_outcome;
    bool m_progressOpen = false;
    CancelLatch m_cancel{m_observer};
    int m_slot = 0;
    QString m_item;
};

DownloadOutcome Download::cancelled()
{
    if (m_progressOpen)
        m_observer.progressFinished();
    const int done = m_outcome.lastSlotDone;
    QString text = done > 0 ? QStringLiteral("Downloading cancelled after slot %1.").arg(done)
                            : QStringLiteral("Downloading cancelled before slot 1.");
    text += done > 0 ? QStringLiteral("\nWritten: slots 1 to %1.").arg(done)
                     : QStringLiteral("\nNothing was written.");
    if (m_slot > done && m_session.cards[m_slot].ModelKind != kNoCard)
        text += QStringLiteral("\nSlot %1 may be partly written.").arg(m_slot);
    m_observer.operationWarning(QStringLiteral("Downloading"), text);
    m_outcome.result = OperationResult::Cancelled;
    return m_outcome;
}

DownloadOutcome Download::fail()
{
    // Cancel pressed during the transaction that failed: the operator's
    // stop, not a dead link.
    if (m_cancel())
        return cancelled();
    const bool refused = m_session.line.lastRefused();
    if (!refused)
        m_observer.operationFailed(
            QStringLiteral("Downloading"), QStringLiteral("Downloading incomplete"),
            FailurePlace(m_session.cards, m_slot, m_item,
                         m_session.line.lastSilent() || !m_session.line.isOpen()));
    if (m_progressOpen)
        m_observer.progressFinished();
    m_outcome.result = refused ? OperationResult::Refused : OperationResult::Failed;
    return m_outcome;
}

bool Download::write(int cardNo, const QString &item, const QString &data, int slot)
{
    // A command without an item would select nothing the card could take.
    if (item.isEmpty())
        return true;
    if (m_cancel())
        return false;
    m_item = item;
    const QString result = WriteItem(m_session.line, kRetries, QString::number(cardNo), item, data);
    // The opening select "1" and items the kind lacks change no parameter.
    if (item != QLatin1String("1") && item != kNoItem)
        RecordCardWrite(m_session, cardNo, slot, item, data, WriteResult(m_session.line, result));
    if (!result.isEmpty())
        return true;
    if (!m_session.line.isOpen() || m_session.line.lastRefused())
        return false;
    // Silence, unlike a refusal, may be the whole rack gone: ask the
    // communication card before spending minutes on writes nobody hears.
    if (m_session.line.lastSilent() && !CommCardAnswers(m_session.line)) {
        m_item = QStringLiteral("40");
        m_slot = 0;
        return false;
    }
    if (item != kNoItem)
        m_outcome.failedWrites.append({cardNo, item, data, slot});
    return true;
}

bool Download::writeSlots(int cardNo, int first, int last)
{
    const CardRecord &r = m_session.cards[cardNo];
    for (int k = first; k <= last; ++k)
        if (!write(cardNo, r.par(k).ItemNo, r.par(k).Value, k))
            return false;
    return true;
}

bool Download::writeLimit(int cardNo)
{
    const LimitState state = m_session.cards[cardNo].limit();
    if (state == LimitState::NotAvailable)
        return true;
    return write(cardNo, QStringLiteral("37"),
                 state == LimitState::On ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Download::writeCard(int cardNo)
{
    const CardRecord &r = m_session.cards[cardNo];
    if (!write(cardNo, QStringLiteral("1"), QStringLiteral("1")))
        return false;
    if (r.isPulse())
        return write(cardNo, QStringLiteral("14"), r.par(2).Value, 2) &&
               write(cardNo, QStringLiteral("15"), r.par(8).Value, 8);
    if (!writeSlots(cardNo, 1, 4))
        return false;
    const bool sensor = r.hasSensor();
    if (sensor && !writeSlots(cardNo, 5, 6))
        return false;
    const bool limit = KindHasLimitFunction(r.ModelKind);
    if (limit && !writeLimit(cardNo))
        return false;
    if (!r.isTwoChannel())
        return true;
    if (!writeSlots(cardNo, 7, 10))
        return false;
    if (sensor && !writeSlots(cardNo, 11, 12))
        return false;
    // Two-channel thermocouple cards take the limit function once per channel.
    return !limit || writeLimit(cardNo);
}

DownloadOutcome Download::run()
{
    // Nothing is written to a rack that does not answer: a silent line would
    // otherwise hold the program for minutes and then look successful.
    m_item = QStringLiteral("40");
    if (!CommCardAnswers(m_session.line))
        return fail();

    m_observer.progressStarted(kCardCount, QStringLiteral("Downloading"));
    m_progressOpen = true;
    for (int i = 1; i <= kCardCount; ++i) {
        if (m_observer.stopRequested()) {
            m_observer.progressFinished();
            m_outcome.result = OperationResult::Cancelled;
            return m_outcome;
        }
        // Empty slots and codes no rule knows have nothing to take the values.
        m_slot = i;
        if (m_session.cards[i].ModelKind != kNoCard) {
            m_observer.progressDetail(SlotProgressText(i, m_session.cards[i].ModelName));
            if (!writeCard(i))
                return fail();
        }
        m_outcome.lastSlotDone = i;
        m_observer.progressAdvanced();
    }
    m_observer.progressFinished();
    if (!m_outcome.failedWrites.isEmpty())
        m_observer.operationWarning(QStringLiteral("Downloading"),
                                    FailedWritesText(m_outcome.failedWrites),
                                    FailedWritesDetail(m_session.cards, m_outcome.failedWrites));
    return m_outcome;
}

} // namespace

QString FailedWritesText(const QList<FailedWrite> &writes)
{
    QStringList lines{QStringLiteral("These writes were not accepted:")};
    for (const FailedWrite &w : writes)
        lines << QStringLiteral("Card %1, item %2").arg(w.cardNo).arg(w.item);
    return lines.join(QLatin1Char('\n'));
}

QString DownloadSummary(const CardTable &cards, const DownloadOutcome &outcome)
{
    int written = 0;
    for (int i = 1; i <= outcome.lastSlotDone; ++i)
        if (cards[i].ModelKind != kNoCard)
            ++written;
    QString text = QStringLiteral("Download complete: %1 card%2")
                       .arg(written)
                       .arg(written == 1 ? QString() : QStringLiteral("s"));
    const auto refused = outcome.failedWrites.size();
    if (refused > 0)
        text += QStringLiteral(", %1 write%2 refused")
                    .arg(refused)
                    .arg(refused == 1 ? QString() : QStringLiteral("s"));
    return text;
}

QString FailedWritesDetail(const CardTable &cards, const QList<FailedWrite> &writes)
{
    QStringList lines;
    for (const FailedWrite &w : writes) {
        const CardRecord &r = cards[w.cardNo];
        QString caption = ParameterCaption(r, w.slot);
        if (caption.isEmpty())
            caption = w.item == QLatin1String("37") ? QStringLiteral("Limit function")
                                                    : QStringLiteral("Item ") + w.item;
        QString line = QStringLiteral("Card %1 (%2): %3, sent \"%4\"")
                           .arg(w.cardNo)
                           .arg(r.ModelName, caption, w.value);
        const auto range = ParameterRange(r, w.slot);
        if (range && !range->low.isEmpty() && !range->high.isEmpty())
            line += QStringLiteral(", range %1 to %2").arg(range->low, range->high);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

DownloadOutcome DownloadAllCards(Session &session, RackObserver &observer)
{
    return Download(session, observer).run();
}
