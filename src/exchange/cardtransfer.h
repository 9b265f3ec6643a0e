#pragma once

#include "link/result.h"

#include "exchange/rackobserver.h"

#include "files/changelog.h"
#include "model/cardcodes.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

struct Session;

// Transfers of the one card an editor shows, and the live reads of one card.
// They return what the rack said; the editor shows it and keeps its record.
// A read that got no answer is nullopt: its box and record stay as they were.

// What the analog editor's Upload read: parameter slots 1..12 (channel 2 only
// for two-channel cards) and, for thermocouple cards with the limit function,
// whether it is on.
struct AnalogCardReads
{
    std::array<std::optional<QString>, 12> values;
    std::optional<bool> limitOn;
    // Why nothing was read: the card in the slot is not the record's model
    // (ModelCheck), told to the observer as a warning. Empty otherwise.
    QString notRead;
};
// The opening write, the model check where the table is not this link's,
// then the parameter items in slot order and the limit item "37"; progress
// 6 or 12, "Uploading".
AnalogCardReads UploadAnalogCard(Session &session, int cardNo, RackObserver &observer);
// One write of a card's Download and what became of it.
struct CardWrite
{
    int slot = 0; // the parameter slot; 0 for the limit function
    QString item;
    QString value;
    ChangeResult result = ChangeResult::Written;
};

// The opening write, the parameter boxes as typed and, where the card has a
// limit function, "37" from the tick; progress 6 or 12, "Downloading". The
// caller reads the card back with UploadAnalogCard. Returns every write but
// the opening one, in wire order; or, when the card in the slot is not the
// record's model (ModelCheck), one NotWritten entry whose value says why,
// after a warning to the observer.
QList<CardWrite> DownloadAnalogCard(Session &session, int cardNo,
                                    const std::array<QString, 12> &boxes, bool limitTicked,
                                    RackObserver &observer);

// The line the status bar keeps after a card's Download:
// "Download complete: slot 5, 12 written, 1 refused (Full scale, Ch. 1)".
QString CardDownloadSummary(const CardTable &cards, int cardNo, const QList<CardWrite> &writes);

// Counts and spans of a pulse card: slots 1, 2, 7 and 8 (items 10, 14, 11,
// 15) after the model check as for the analog card; progress 4, "Uploading".
struct PulseCardReads
{
    std::array<std::optional<QString>, 4> values;
    QString notRead; // as AnalogCardReads::notRead
};
PulseCardReads UploadPulseCard(Session &session, int cardNo, RackObserver &observer);
// The two spans (items 14, 15) as typed; progress 2, "Downloading"; the
// model check as for the analog card.
QList<CardWrite> DownloadPulseCard(Session &session, int cardNo, const QString &span1,
                                   const QString &span2, RackObserver &observer);

// Whether the card in slot `cardNo` is the model its record is for. Asked
// (item "2", after the select) only when the table is not the one uploaded
// on this link, since a parameter file or an earlier link's upload may be
// another rack's. A card that does not say counts as another.
struct ModelCheck
{
    bool ok = true;
    // The card did not answer: the model read met silence (Silent), or the
    // line would not send it (Busy).
    std::optional<Failure> unanswered;
    // For a write: "the rack has XL2-00, the file XE1-2: not written"; for
    // a read: "the rack has XL2-00, the table XE1-2: not read".
    QString reason;
};
enum class ModelCheckFor
{
    Write,
    Read,
};
bool NeedsModelCheck(const Session &session);
ModelCheck CheckCardModel(Session &session, int cardNo,
                          ModelCheckFor purpose = ModelCheckFor::Write);

// Live values of both channels as shown (text after the colon, first point
// removed) and as sent (the point kept); nullopt when a read got no answer
// and nothing may change.
struct LiveValues
{
    QString ch1;
    QString ch2;
    QString sent1;
    QString sent2;
};
// An analog or pulse card's values, each channel on its kind's live item;
// a read the card did not answer gives no values at all.
Result<LiveValues> ReadLiveValues(Session &session, int cardNo);
// Channel states of a discrete card from channel 1 on, up to the first read
// that got no answer or the line's Cancel. Nothing for a card without
// channels.
struct DiscreteStates
{
    QList<bool> states;
    bool silent = false; // the read that ended them met silence
};
DiscreteStates ReadDiscreteStates(Session &session, int cardNo);

// One live read of a card, by its FormType: the values of an analog or
// pulse card, or the channel states of a discrete card.
struct CardLiveRead
{
    int cardNo = 0;
    FormType formType = FormType::None;
    std::optional<LiveValues> values;
    QList<bool> states;
    // What the read that got no answer met (Silent may mean the whole rack
    // is gone); the values, or the states from states.size() + 1 on, are
    // then not the card's now.
    std::optional<Failure> stoppedBy;
    bool silent() const { return stoppedBy.has_value(); }
    // The card in the slot is not the record's model: nothing was read.
    QString notRead;
};
// Reads card `cardNo` as its FormType asks and puts the values read on the
// session's live feed (channel 2 only for two-channel cards), "ERROR" for a
// read met with silence, as monitoring does. Where the table is not this
// link's, the model check comes first. Nothing is read for a card no
// window serves.
CardLiveRead ReadCardLive(Session &session, int cardNo);
