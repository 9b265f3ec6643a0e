#include "exchange/download.h"

#include "exchange/cardtransfer.h"
#include "exchange/changerecord.h"
#include "exchange/session.h"
#include "exchange/upload.h"
#include "files/backupstore.h"
#include "link/transactions.h"
#include "model/encodings.h"
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
    enum class Step
    {
        Done,     // written, or refused and listed
        SkipCard, // this card gets nothing more
        Stop,     // the link is gone: the download ends
    };
    Step write(int cardNo, const QString &item, const QString &data, int slot);
    Step writeSlots(int cardNo, int first, int last);
    Step writeLimit(int cardNo);
    Step writeParameters(int cardNo);
    // The select write and, for a table that is not this link's upload, the
    // model check.
    Step selectCard(int cardNo);
    Step skip(int cardNo, const QString &reason);
    // After silence: whether the rack as a whole is still there.
    Step silence(int cardNo, const QString &reason);
    DownloadOutcome fail();
    DownloadOutcome cancelled();

    Session &m_session;
    RackObserver &m_observer;
    RetryRelay m_retries{m_session.line, m_observer};
    DownloadOutcome m_outcome;
    bool m_progressOpen = false;
    OperationCancel m_cancel{m_session.line, m_observer};
    // A table from a file may not fit the cards in the rack.
    const bool m_checkModels = NeedsModelCheck(m_session);
    int m_slot = 0;
    QString m_item;
    // What became of the last transaction: a failure tells the rack's
    // silence from a line busy with another exchange.
    Reply m_last = QString();
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
    if (m_slot > done && m_session.cards[m_slot].holdsCard())
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
    const bool refused = m_last.is(Failure::Busy);
    if (!refused)
        m_observer.operationFailed(
            QStringLiteral("Downloading"), QStringLiteral("Downloading incomplete"),
            FailurePlace(m_session.cards, m_slot, m_item,
                         m_last.is(Failure::Silent) || !m_session.line.isOpen()));
    if (m_progressOpen)
        m_observer.progressFinished();
    m_outcome.result = refused ? OperationResult::Refused : OperationResult::Failed;
    return m_outcome;
}

Download::Step Download::skip(int cardNo, const QString &reason)
{
    m_outcome.skipped.append({cardNo, reason});
    RecordSlotNotWritten(m_session, cardNo, reason);
    return Step::SkipCard;
}

Download::Step Download::silence(int cardNo, const QString &reason)
{
    if (m_cancel() || !m_session.line.isOpen() || m_last.is(Failure::Busy))
        return Step::Stop;
    // Silence, unlike a refusal, may be the whole rack gone: ask the
    // communication card before spending minutes on writes nobody hears.
    m_last = AskCommCard(m_session.line);
    if (!Answered(m_last)) {
        m_item = QStringLiteral("40");
        m_slot = 0;
        return Step::Stop;
    }
    return skip(cardNo, reason);
}

Download::Step Download::write(int cardNo, const QString &item, const QString &data, int slot)
{
    // A command without an item would select nothing the card could take.
    if (item.isEmpty())
        return Step::Done;
    if (m_cancel())
        return Step::Stop;
    m_item = item;
    m_last = WriteItem(m_session.line, kRetries, QString::number(cardNo), item, data);
    const ChangeResult outcome = WriteResult(m_session.line, m_last);
    // An item the kind lacks ("-1") is sent as it stands and refused by the
    // card: no parameter of it changes.
    const bool parameter = item != kNoItem;
    if (parameter)
        RecordCardWrite(m_session, cardNo, slot, item, data, outcome);
    if (outcome == ChangeResult::NoAnswer)
        return silence(cardNo,
                       QStringLiteral("no answer at item %1: the rest not written").arg(item));
    if (outcome == ChangeResult::Refused && parameter)
        m_outcome.failedWrites.append({cardNo, item, data, slot});
    return Step::Done;
}

Download::Step Download::selectCard(int cardNo)
{
    const QString card = QString::number(cardNo);
    if (m_cancel())
        return Step::Stop;
    m_item = QStringLiteral("1");
    m_last = WriteItem(m_session.line, kRetries, card, QStringLiteral("1"), QStringLiteral("1"));
    if (!m_last) {
        if (WriteResult(m_session.line, m_last) == ChangeResult::NoAnswer)
            return silence(cardNo, QStringLiteral("no answer, nothing written"));
        return skip(cardNo,
                    QStringLiteral("the select was refused (no card there?), nothing written"));
    }
    if (!m_checkModels)
        return Step::Done;
    if (m_cancel())
        return Step::Stop;
    m_item = QStringLiteral("2");
    const ModelCheck check = CheckCardModel(m_session, cardNo);
    if (check.ok)
        return Step::Done;
    if (!check.unanswered)
        return skip(cardNo, check.reason);
    m_last = Reply::failed(*check.unanswered);
    return silence(cardNo, check.reason);
}

Download::Step Download::writeSlots(int cardNo, int first, int last)
{
    const CardRecord &r = m_session.cards[cardNo];
    for (int k = first; k <= last; ++k)
        if (const Step step = write(cardNo, r.par(k).ItemNo, r.par(k).Value, k); step != Step::Done)
            return step;
    return Step::Done;
}

Download::Step Download::writeLimit(int cardNo)
{
    const LimitState state = m_session.cards[cardNo].limit();
    if (state == LimitState::NotAvailable)
        return Step::Done;
    return write(cardNo, QStringLiteral("37"),
                 state == LimitState::On ? QStringLiteral("1") : QStringLiteral("0"), 0);
}

Download::Step Download::writeParameters(int cardNo)
{
    const CardRecord &r = m_session.cards[cardNo];
    if (r.isPulse()) {
        // The spans only: the counts run on by themselves.
        for (const int slot : kPulseSpanSlots)
            if (const Step step =
                    write(cardNo, QString::number(r.kind().itemNo(slot)), r.par(slot).Value, slot);
                step != Step::Done)
                return step;
        return Step::Done;
    }
    const bool sensor = r.hasSensor();
    const bool limit = r.kind().limitFunction;
    // Channel 1, then channel 2 of a two-channel card; thermocouple cards
    // take the limit function once per channel.
    const bool two = r.isTwoChannel();
    for (int channel = 0; channel < (two ? 2 : 1); ++channel) {
        const int base = channel * 6;
        Step step = writeSlots(cardNo, base + 1, base + 4);
        if (step == Step::Done && sensor)
            step = writeSlots(cardNo, base + 5, base + 6);
        if (step == Step::Done && limit)
            step = writeLimit(cardNo);
        if (step != Step::Done)
            return step;
    }
    return Step::Done;
}

DownloadOutcome Download::run()
{
    // Nothing is written to a rack that does not answer: a silent line would
    // otherwise hold the program for minutes and then look successful.
    m_item = QStringLiteral("40");
    m_last = AskCommCard(m_session.line);
    if (!Answered(m_last))
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
        if (m_session.cards[i].holdsCard()) {
            m_observer.progressDetail(SlotProgressText(i, m_session.cards[i].ModelName));
            Step step = selectCard(i);
            if (step == Step::Done)
                step = writeParameters(i);
            if (step == Step::Stop)
                return fail();
        }
        m_outcome.lastSlotDone = i;
        m_observer.progressAdvanced();
    }
    m_observer.progressFinished();
    if (!m_outcome.allWritten())
        m_observer.operationWarning(
            QStringLiteral("Downloading"), DownloadProblemsText(m_outcome),
            (SkippedCardLines(m_outcome.skipped) +
             QStringList{FailedWritesDetail(m_session.cards, m_outcome.failedWrites)})
                .join(QLatin1Char('\n'))
                .trimmed());
    return m_outcome;
}

} // namespace

namespace {

QString count(qsizetype n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

} // namespace

QString DownloadProblemsText(const DownloadOutcome &outcome)
{
    QStringList parts;
    if (!outcome.failedWrites.isEmpty())
        parts << count(outcome.failedWrites.size(), QStringLiteral("write refused"),
                       QStringLiteral("writes refused"));
    if (!outcome.skipped.isEmpty())
        parts << count(outcome.skipped.size(), QStringLiteral("slot not written"),
                       QStringLiteral("slots not written"));
    return QStringLiteral("Download finished: %1.").arg(parts.join(QStringLiteral(", ")));
}

QStringList SkippedCardLines(const QList<SkippedCard> &skipped)
{
    QStringList lines;
    for (const SkippedCard &s : skipped)
        lines << QStringLiteral("Slot %1: %2").arg(s.cardNo).arg(s.reason);
    return lines;
}

QString DownloadSummary(const CardTable &cards, const DownloadOutcome &outcome)
{
    int written = 0;
    for (int i = 1; i <= outcome.lastSlotDone; ++i)
        if (cards[i].holdsCard())
            ++written;
    written -= static_cast<int>(outcome.skipped.size());
    QString text = QStringLiteral("Download complete: %1 card%2")
                       .arg(written)
                       .arg(written == 1 ? QString() : QStringLiteral("s"));
    const auto refused = outcome.failedWrites.size();
    if (refused > 0)
        text += QStringLiteral(", %1 write%2 refused")
                    .arg(refused)
                    .arg(refused == 1 ? QString() : QStringLiteral("s"));
    if (const auto skipped = outcome.skipped.size(); skipped > 0)
        text += QStringLiteral(", %1 slot%2 not written")
                    .arg(skipped)
                    .arg(skipped == 1 ? QString() : QStringLiteral("s"));
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

namespace {

const QString kNotStarted = QStringLiteral("Download not started");

// The read before a download as its own progress: the rows it reads are
// not the table's, so the window's rows hear nothing of them, and its
// failure is the download's.
class AsFoundRead final : public RackObserver
{
public:
    explicit AsFoundRead(RackObserver &o) : m_o(o) {}

    void progressStarted(int steps, const QString &) override
    {
        m_o.progressStarted(steps, QStringLiteral("Reading the rack before writing "
                                                  "(as-found backup)"));
    }
    void progressAdvanced() override { m_o.progressAdvanced(); }
    void progressFinished() override { m_o.progressFinished(); }
    void progressDetail(const QString &text) override { m_o.progressDetail(text); }
    void transactionRetrying(int attempt, int attempts) override
    {
        m_o.transactionRetrying(attempt, attempts);
    }
    void operationFailed(const QString &, const QString &, const QString &detail) override
    {
        m_o.operationFailed(QStringLiteral("Downloading"),
                            kNotStarted + QStringLiteral(": the rack could not be read for "
                                                         "its as-found backup."),
                            detail);
        m_place = detail;
    }
    void operationWarning(const QString &, const QString &, const QString &) override
    {
        // Only a cancel warns during the read.
        m_o.operationWarning(QStringLiteral("Downloading"),
                             kNotStarted + QStringLiteral(": the read for the as-found backup "
                                                          "was cancelled. Nothing was written."));
    }
    bool stopRequested() const override { return m_o.stopRequested(); }
    void cancelOffered(const CancelToken &token) override { m_o.cancelOffered(token); }
    void cancelWithdrawn() override { m_o.cancelWithdrawn(); }

    QString m_place;

private:
    RackObserver &m_o;
};

} // namespace

QString BackupRackName(const Session &session)
{
    return RackFolderName(session.rackName.isEmpty()
                              ? session.ports->describe(session.state.ComPortNo)
                              : session.rackName);
}

AsFoundResult AsFoundBackup(Session &session, RackObserver &observer)
{
    AsFoundResult out;
    if (session.link == 0 || session.lastReadLink != session.link) {
        AsFoundRead relay(observer);
        // Reset as an Upload's table is, so the backup reads as its file would.
        CardTable rack;
        ResetCardTable(rack);
        out.result = ReadRackInto(session, rack, relay);
        if (out.result != OperationResult::Completed) {
            out.error = out.result == OperationResult::Cancelled
                            ? QStringLiteral("the read for the as-found backup was cancelled")
                            : QStringLiteral("the rack could not be read for its as-found backup");
            if (!relay.m_place.isEmpty())
                out.error += QStringLiteral(" (%1)").arg(relay.m_place);
            return out;
        }
    }
    const Result<QString> written =
        WriteBackup(session.backupRoot, BackupRackName(session), session.lastRead,
                    QDateTime::currentDateTime(), true);
    out.path = written.valueOr(QString());
    if (!written) {
        out.result = OperationResult::Failed;
        out.unwritten = true;
        out.error = QStringLiteral("the as-found backup could not be written: ") + written.reason();
        observer.operationWarning(QStringLiteral("Downloading"),
                                  kNotStarted + QStringLiteral(": the as-found backup could not "
                                                               "be written."),
                                  out.error);
    }
    return out;
}

DownloadOutcome DownloadAllCards(Session &session, RackObserver &observer)
{
    QString backup;
    if (!session.backupRoot.isEmpty()) {
        const AsFoundResult found = AsFoundBackup(session, observer);
        if (found.path.isEmpty()) {
            DownloadOutcome out;
            out.result = found.result;
            out.notStarted = found.error;
            out.backupUnwritten = found.unwritten;
            return out;
        }
        backup = found.path;
    }
    session.downloadBackup = backup;
    DownloadOutcome outcome = Download(session, observer).run();
    session.downloadBackup.clear();
    outcome.backup = backup;
    return outcome;
}
