#pragma once

#include "exchange/rackobserver.h"
#include "model/cardrecord.h"

#include <QList>
#include <QString>

struct Session;

// One write that a present card did not take after all its attempts.
struct FailedWrite
{
    int cardNo;
    QString item;
    QString value = {};
    // The parameter slot (1..12) the value came from; 0 for other items.
    int slot = 0;
};

struct DownloadOutcome
{
    OperationResult result = OperationResult::Completed;
    QList<FailedWrite> failedWrites;
    // Slots 1..lastSlotDone went through (written, or nothing to write).
    int lastSlotDone = 0;
};

// Writes the editable parameters of every card in the table to the rack.
// Slots without a known card are skipped. No answer from the communication
// card, or a port lost on the way, ends it through
// operationFailed("Downloading", "Downloading incomplete") before anything
// else is written; writes a card refuses are listed at the end in one
// warning and the link stays.
DownloadOutcome DownloadAllCards(Session &session, RackObserver &observer);

// The warning text that lists failed writes, card by card.
QString FailedWritesText(const QList<FailedWrite> &writes);
// The line the status bar keeps after a download that went through:
// "Download complete: 14 cards, 2 writes refused".
QString DownloadSummary(const CardTable &cards, const DownloadOutcome &outcome);

// What each failed write was, for the line under that warning: the card's
// model, the parameter's caption, the value sent and its range.
QString FailedWritesDetail(const CardTable &cards, const QList<FailedWrite> &writes);
