#pragma once

#include "exchange/rackobserver.h"
#include "model/cardrecord.h"

#include <QList>
#include <QString>

struct Session;

// One parameter write that a card refused after all its attempts.
struct FailedWrite
{
    int cardNo;
    QString item;
    QString value = {};
    // The parameter slot (1..12) the value came from; 0 for other items.
    int slot = 0;
};

// A card that got none (or not all) of its writes, and why: it did not
// answer, or it is not the model the values are for.
struct SkippedCard
{
    int cardNo;
    QString reason; // "the rack has XL2-00, the file XE1-2: not written"
};

struct DownloadOutcome
{
    OperationResult result = OperationResult::Completed;
    QList<FailedWrite> failedWrites; // refused by the card
    QList<SkippedCard> skipped;
    // Slots 1..lastSlotDone went through (written, skipped, or nothing to write).
    int lastSlotDone = 0;
    // The as-found backup taken first; empty when none was asked for.
    QString backup;
    // Why nothing was written: the as-found backup could not be made (the
    // read failed or was cancelled, or the file could not be written).
    QString notStarted;
    // The rack was read, but its backup could not be written (a full disk).
    bool backupUnwritten = false;
    bool allWritten() const { return failedWrites.isEmpty() && skipped.isEmpty(); }
};

// Writes the editable parameters of every card in the table to the rack.
// Slots without a known card are passed over. When the table is not the
// one uploaded on this link (a parameter file), each card is asked for its
// model after the select write, and one of another model, or one that does
// not say, gets nothing. A card that does not answer gets nothing more; the
// download goes on with the next. No answer from the communication card, or
// a port lost on the way, ends it through
// operationFailed("Downloading", "Downloading incomplete"); refused writes
// and cards not written are listed at the end in one warning and the link
// stays.
//
// With a backup root in the session, the rack's parameters as found go to
// an as-found backup first (AsFoundBackup); when that cannot be made,
// nothing is written and the observer hears why.
DownloadOutcome DownloadAllCards(Session &session, RackObserver &observer);

struct AsFoundResult
{
    OperationResult result = OperationResult::Completed;
    QString path;           // the backup written
    QString error;          // why there is none
    bool unwritten = false; // the rack was read, the file not written
};
// Writes the rack's parameters as they are now to a new as-found backup of
// the session's rack (BackupRackName) under session.backupRoot. The values
// read on this link serve when the whole rack was read on it (lastRead,
// with the writes since); otherwise the rack is read first into a table of
// its own, the session's table left as it is ("Reading the rack before
// writing (as-found backup)").
AsFoundResult AsFoundBackup(Session &session, RackObserver &observer);
// The folder name of the session's rack in the backup store: its name, or
// its port's designation.
QString BackupRackName(const Session &session);

// The warning's first line: "Download finished: 2 writes refused, 1 slot
// not written."
QString DownloadProblemsText(const DownloadOutcome &outcome);
// One line per card not written ("Slot 5: no answer, nothing written").
QStringList SkippedCardLines(const QList<SkippedCard> &skipped);
// The line the status bar keeps after a download that went through:
// "Download complete: 14 cards, 2 writes refused, 1 slot not written".
QString DownloadSummary(const CardTable &cards, const DownloadOutcome &outcome);

// What each failed write was, for the line under that warning: the card's
// model, the parameter's caption, the value sent and its range.
QString FailedWritesDetail(const CardTable &cards, const QList<FailedWrite> &writes);
