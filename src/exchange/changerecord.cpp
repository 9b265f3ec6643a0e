#include "exchange/changerecord.h"

#include <tuple>

#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "link/serialline.h"
#include "model/parametercaptions.h"

namespace {

const QString kLimitItem = QStringLiteral("37");

void append(Session &s, ChangeEntry entry)
{
    if (!s.changeLog)
        return;
    entry.port = PortText(*s.ports, s.state.ComPortNo);
    entry.commCard = (s.commCardModel + QLatin1Char(' ') + s.commCardVersion).trimmed();
    entry.backup = s.downloadBackup;
    // A write to the rack never waits on its log: a failure is kept by the
    // log, to be shown once the window or the tool is free.
    std::ignore = s.changeLog->append(std::move(entry));
}

// The last upload's record of the card now in the slot; another model there
// means nothing is known about this one.
const CardRecord *knownRecord(const Session &s, int cardNo)
{
    const CardRecord &known = s.lastRead[cardNo];
    const CardRecord &now = s.cards[cardNo];
    if (!known.holdsCard() || known.ModelName != now.ModelName)
        return nullptr;
    return &known;
}

} // namespace

ChangeResult WriteResult(const SerialLine &line, const Reply &reply)
{
    if (reply.ok())
        return ChangeResult::Written;
    // A command the line would not send reached no card either.
    if (reply.is(Failure::Silent) || reply.is(Failure::Busy) || !line.isOpen())
        return ChangeResult::NoAnswer;
    return ChangeResult::Refused;
}

std::optional<QString> LastKnownValue(const Session &session, int cardNo, int parSlot)
{
    const CardRecord *r = knownRecord(session, cardNo);
    if (!r)
        return std::nullopt;
    if (parSlot > 0)
        return r->par(parSlot).Value;
    switch (r->limit()) {
    case LimitState::On:
        return QStringLiteral("1");
    case LimitState::Off:
        return QStringLiteral("0");
    default:
        return std::nullopt;
    }
}

void RecordCardWrite(Session &session, int cardNo, int parSlot, const QString &item,
                     const QString &value, ChangeResult result)
{
    const CardRecord &r = session.cards[cardNo];
    QString caption = parSlot > 0 ? ParameterCaption(r, parSlot) : QString();
    if (caption.isEmpty())
        caption =
            item == kLimitItem ? QStringLiteral("Limit function") : QStringLiteral("Item ") + item;
    append(session, {{},
                     {},
                     {},
                     cardNo,
                     r.ModelName,
                     caption,
                     item,
                     LastKnownValue(session, cardNo, parSlot),
                     value,
                     result});
    // The card may have taken a write whose reply was lost: what the rack
    // holds is not known until it is read again.
    if (result == ChangeResult::NoAnswer)
        session.lastReadLink = 0;
    if (result != ChangeResult::Written || !knownRecord(session, cardNo))
        return;
    CardRecord &known = session.lastRead[cardNo];
    if (parSlot > 0)
        known.par(parSlot).Value = value;
    else if (item == kLimitItem)
        known.Limit = value == QLatin1String("1") ? LimitState::On : LimitState::Off;
}

void RecordSlotNotWritten(Session &session, int cardNo, const QString &why)
{
    append(session, {{},
                     {},
                     {},
                     cardNo,
                     session.cards[cardNo].ModelName,
                     why,
                     {},
                     std::nullopt,
                     {},
                     ChangeResult::NotWritten});
}

void RecordCommCardWrite(Session &session, const QString &parameter, const QString &item,
                         const QString &value, ChangeResult result)
{
    std::optional<QString> old;
    if (const auto known = session.commCardRead.constFind(item);
        known != session.commCardRead.constEnd())
        old = *known;
    append(session, {{}, {}, {}, 0, session.commCardModel, parameter, item, old, value, result});
    if (result == ChangeResult::Written)
        session.commCardRead.insert(item, value);
}
