#include "exchange/cardtransfer.h"

#include "exchange/changerecord.h"
#include "exchange/session.h"
#include "link/transactions.h"
#include "model/encodings.h"
#include "model/parametercaptions.h"

#include <tuple>

namespace {

// The value read, a refusal as its text ("CNG", "NEEDLESS"), or nullopt
// when the card gave no answer.
std::optional<QString> readValue(Session &s, const QString &card, const QString &item)
{
    const Reply r = ReadItem(s.line, kRetries, card, item);
    if (!Answered(r))
        return std::nullopt;
    return TextAfterColon(ReplyText(r));
}

// Item "1" picks the card's page of items; its reply says nothing.
void selectChannelPage(Session &s, const QString &card)
{
    std::ignore = WriteItem(s.line, kRetries, card, QStringLiteral("1"), QStringLiteral("1"));
}

int slotCount(const CardRecord &r)
{
    return r.isTwoChannel() ? 12 : 6;
}

// One write of a card's Download, recorded before the Download reports back.
CardWrite writeParameter(Session &s, int cardNo, int slot, const QString &item,
                         const QString &value)
{
    const Reply reply = WriteItem(s.line, kRetries, QString::number(cardNo), item, value);
    const CardWrite out{slot, item, value, WriteResult(s.line, reply)};
    // "-1": an item the card's kind lacks, no parameter of it.
    if (item != QLatin1String("-1"))
        RecordCardWrite(s, cardNo, slot, item, value, out.result);
    return out;
}

// The model check before a card's writes: empty when they may go, else the
// one entry that says why not, recorded and told.
QList<CardWrite> refuseOtherModel(Session &s, int cardNo, RackObserver &observer)
{
    if (!NeedsModelCheck(s))
        return {};
    const ModelCheck check = CheckCardModel(s, cardNo);
    if (check.ok)
        return {};
    RecordSlotNotWritten(s, cardNo, check.reason);
    observer.operationWarning(QStringLiteral("Downloading"),
                              QStringLiteral("Slot %1: %2").arg(cardNo).arg(check.reason));
    return {CardWrite{0, QStringLiteral("2"), check.reason, ChangeResult::NotWritten}};
}

// The model check before a card's Upload: empty when the reads may go,
// else why not, told.
QString otherModelNotRead(Session &s, int cardNo, RackObserver &observer)
{
    if (!NeedsModelCheck(s))
        return {};
    const ModelCheck check = CheckCardModel(s, cardNo, ModelCheckFor::Read);
    if (check.ok)
        return {};
    observer.operationWarning(QStringLiteral("Uploading"),
                              QStringLiteral("Slot %1: %2").arg(cardNo).arg(check.reason));
    return check.reason;
}

} // namespace

bool NeedsModelCheck(const Session &session)
{
    return !session.table.uploadedOn(session.link);
}

ModelCheck CheckCardModel(Session &session, int cardNo, ModelCheckFor purpose)
{
    const bool write = purpose == ModelCheckFor::Write;
    const Reply reply =
        ReadItem(session.line, kRetries, QString::number(cardNo), QStringLiteral("2"));
    ModelCheck out;
    if (!Answered(reply)) {
        out.ok = false;
        if (WriteResult(session.line, reply) == ChangeResult::NoAnswer)
            out.unanswered = reply.is(Failure::Busy) ? Failure::Busy : Failure::Silent;
        out.reason = write ? QStringLiteral("no answer to the model read, nothing written")
                           : QStringLiteral("no answer to the model read, nothing read");
        return out;
    }
    const QString rackModel = TextAfterColon(ReplyText(reply));
    const QString &tableModel = session.cards[cardNo].ModelName;
    if (rackModel != tableModel) {
        out.ok = false;
        out.reason = write ? QStringLiteral("the rack has %1, the file %2: not written")
                                 .arg(rackModel, tableModel)
                           : QStringLiteral("the rack has %1, the table %2: not read")
                                 .arg(rackModel, tableModel);
    }
    return out;
}

AnalogCardReads UploadAnalogCard(Session &session, int cardNo, RackObserver &observer)
{
    const CardRecord &r = session.cards[cardNo];
    const QString card = QString::number(cardNo);
    const int count = slotCount(r);
    AnalogCardReads out;
    observer.progressStarted(count, QStringLiteral("Uploading"));
    selectChannelPage(session, card);
    out.notRead = otherModelNotRead(session, cardNo, observer);
    if (!out.notRead.isEmpty()) {
        observer.progressFinished();
        return out;
    }
    for (int k = 1; k <= count; ++k) {
        out.values.at(static_cast<std::size_t>(k - 1)) = readValue(session, card, r.par(k).ItemNo);
        observer.progressAdvanced();
    }
    if (r.kind().limitFunction && r.limit() != LimitState::NotAvailable) {
        if (const auto limit = readValue(session, card, QStringLiteral("37")))
            out.limitOn = *limit != QLatin1String("DIS");
    }
    observer.progressFinished();
    return out;
}

QList<CardWrite> DownloadAnalogCard(Session &session, int cardNo,
                                    const std::array<QString, 12> &boxes, bool limitTicked,
                                    RackObserver &observer)
{
    const CardRecord &r = session.cards[cardNo];
    const QString card = QString::number(cardNo);
    const int count = slotCount(r);
    QList<CardWrite> out;
    observer.progressStarted(count, QStringLiteral("Downloading"));
    selectChannelPage(session, card);
    if (const QList<CardWrite> refused = refuseOtherModel(session, cardNo, observer);
        !refused.isEmpty()) {
        observer.progressFinished();
        return refused;
    }
    for (int k = 1; k <= count; ++k) {
        out << writeParameter(session, cardNo, k, r.par(k).ItemNo,
                              boxes.at(static_cast<std::size_t>(k - 1)));
        observer.progressAdvanced();
    }
    // A card without the function would get a limit it cannot show.
    if (r.kind().limitFunction && r.limit() != LimitState::NotAvailable)
        out << writeParameter(session, cardNo, 0, QStringLiteral("37"),
                              limitTicked ? QStringLiteral("1") : QStringLiteral("0"));
    observer.progressFinished();
    return out;
}

PulseCardReads UploadPulseCard(Session &session, int cardNo, RackObserver &observer)
{
    const CardKind &kind = session.cards[cardNo].kind();
    const QString card = QString::number(cardNo);
    PulseCardReads out;
    // Count and span of channel 1, then of channel 2.
    const int order[] = {kPulseCountSlots[0], kPulseSpanSlots[0], kPulseCountSlots[1],
                         kPulseSpanSlots[1]};
    observer.progressStarted(4, QStringLiteral("Uploading"));
    out.notRead = otherModelNotRead(session, cardNo, observer);
    for (std::size_t i = 0; i < out.values.size() && out.notRead.isEmpty(); ++i) {
        out.values.at(i) = readValue(session, card, QString::number(kind.itemNo(order[i])));
        observer.progressAdvanced();
    }
    observer.progressFinished();
    return out;
}

QList<CardWrite> DownloadPulseCard(Session &session, int cardNo, const QString &span1,
                                   const QString &span2, RackObserver &observer)
{
    QList<CardWrite> out;
    observer.progressStarted(2, QStringLiteral("Downloading"));
    if (const QList<CardWrite> refused = refuseOtherModel(session, cardNo, observer);
        !refused.isEmpty()) {
        observer.progressFinished();
        return refused;
    }
    const CardKind &kind = session.cards[cardNo].kind();
    const QString spans[] = {span1, span2};
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const int slot = kPulseSpanSlots.at(ch);
        out << writeParameter(session, cardNo, slot, QString::number(kind.itemNo(slot)), spans[ch]);
        observer.progressAdvanced();
    }
    observer.progressFinished();
    return out;
}

Result<LiveValues> ReadLiveValues(Session &session, int cardNo)
{
    const CardRecord &r = session.cards[cardNo];
    const QString card = QString::number(cardNo);
    LiveValues out;
    for (int ch = 1; ch <= (r.isTwoChannel() ? 2 : 1); ++ch) {
        const Reply reply =
            ReadItem(session.line, kRetries, card, QString::number(r.kind().liveItemOf(ch)));
        if (!Answered(reply))
            return Result<LiveValues>::failedAs(reply);
        const QString sent = TextAfterColon(ReplyText(reply));
        (ch == 1 ? out.ch1 : out.ch2) = RemoveFirstPoint(sent);
        (ch == 1 ? out.sent1 : out.sent2) = sent;
    }
    return out;
}

DiscreteStates ReadDiscreteStates(Session &session, int cardNo)
{
    const CardRecord &r = session.cards[cardNo];
    DiscreteStates out;
    const int count = r.channels();
    if (count == 0 || r.ModelName == QLatin1String("NONE"))
        return out;
    const QString card = QString::number(cardNo);
    for (int ch = 1; ch <= count; ++ch) {
        // Monitoring's Stop does not wait for sixteen reads.
        if (ch > 1 && session.line.cancelRequested())
            break;
        const Reply reply =
            ReadItem(session.line, kRetries, card, QString::number(r.kind().liveItemOf(ch)));
        if (!Answered(reply)) {
            out.silent = reply.is(Failure::Silent);
            break;
        }
        out.states << (TextAfterColon(ReplyText(reply)) == QLatin1String("1"));
    }
    return out;
}

CardLiveRead ReadCardLive(Session &session, int cardNo)
{
    CardLiveRead out;
    out.cardNo = cardNo;
    if (cardNo < 1 || cardNo > kCardCount)
        return out;
    const CardRecord &r = session.cards[cardNo];
    out.formType = r.form();
    if (out.formType == FormType::None || out.formType > FormType::Discrete)
        return out;
    if (NeedsModelCheck(session)) {
        const ModelCheck check = CheckCardModel(session, cardNo, ModelCheckFor::Read);
        out.stoppedBy = check.unanswered;
        if (!check.ok) {
            out.notRead = check.reason;
            return out;
        }
    }
    if (r.form() != FormType::Discrete) {
        const Result<LiveValues> values = ReadLiveValues(session, cardNo);
        if (values)
            out.values = *values;
        else
            out.stoppedBy = values.why();
    } else {
        const DiscreteStates read = ReadDiscreteStates(session, cardNo);
        out.states = read.states;
        if (read.silent)
            out.stoppedBy = Failure::Silent;
        return out;
    }
    const QString error = QStringLiteral("ERROR");
    emit session.live.value(cardNo, 1, out.values ? out.values->sent1 : error);
    if (r.isTwoChannel())
        emit session.live.value(cardNo, 2, out.values ? out.values->sent2 : error);
    return out;
}

QString CardDownloadSummary(const CardTable &cards, int cardNo, const QList<CardWrite> &writes)
{
    int written = 0;
    QStringList refused;
    int silent = 0;
    for (const CardWrite &w : writes) {
        switch (w.result) {
        case ChangeResult::Written:
            ++written;
            break;
        case ChangeResult::Refused: {
            const QString caption = ParameterCaption(cards[cardNo], w.slot);
            refused << (caption.isEmpty() ? QStringLiteral("item ") + w.item : caption);
            break;
        }
        case ChangeResult::NoAnswer:
            ++silent;
            break;
        case ChangeResult::NotWritten:
            return QStringLiteral("Download not done: slot %1: %2").arg(cardNo).arg(w.value);
        }
    }
    QString text =
        QStringLiteral("Download complete: slot %1, %2 written").arg(cardNo).arg(written);
    if (!refused.isEmpty())
        text += QStringLiteral(", %1 refused (%2)")
                    .arg(refused.size())
                    .arg(refused.join(QStringLiteral("; ")));
    if (silent > 0)
        text += QStringLiteral(", %1 without answer").arg(silent);
    return text;
}
