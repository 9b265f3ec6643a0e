#pragma once

#include "link/canceltoken.h"

#include <QMetaObject>
#include <QString>

class CardTable;
class SerialLine;

// What a rack operation tells whoever shows it: the main window, a test,
// the command-line tool. Every call has a do-nothing default.
class RackObserver
{
public:
    virtual ~RackObserver() = default;

    virtual void progressStarted(int /*steps*/, const QString & /*caption*/) {}
    virtual void progressAdvanced() {}
    virtual void progressFinished() {}
    // What the operation is at now, for a line under the bar:
    // "Slot 5 of 16: XA1-00" (see SlotProgressText).
    virtual void progressDetail(const QString & /*text*/) {}
    // The transaction in progress met silence and starts its attempt
    // `attempt` (2 .. attempts) (see RetryText).
    virtual void transactionRetrying(int /*attempt*/, int /*attempts*/) {}

    // The communication card's model (text before the colon) and version.
    virtual void commCardModel(const QString & /*model*/) {}
    virtual void commCardVersion(const QString & /*version*/) {}

    // Slot i is about to be read and holds nothing yet.
    virtual void cardRowCleared(int /*cardNo*/) {}
    // Slot i's model is known and classified (kind 99: no card there).
    virtual void cardIdentified(int /*cardNo*/) {}
    // Slot i's record is complete.
    virtual void cardRead(int /*cardNo*/) {}

    // The operation could not go on and the link is to be given up. The
    // detail says where: the port, or the slot, model and item.
    virtual void operationFailed(const QString & /*title*/, const QString & /*text*/,
                                 const QString & /*detail*/)
    {
    }
    // The operation ended, but the operator must hear about what went wrong.
    virtual void operationWarning(const QString & /*title*/, const QString & /*text*/,
                                  const QString & /*detail*/ = {})
    {
    }

    // Asked before each slot: true ends the operation there, with the slot
    // in progress finished, as Cancelled. Nothing is reported for it.
    virtual bool stopRequested() const { return false; }
    // The running operation can be cancelled through `token` until
    // cancelWithdrawn(): whoever shows it offers the operator a Cancel.
    virtual void cancelOffered(const CancelToken & /*token*/) {}
    virtual void cancelWithdrawn() {}
};

// The operator's Cancel of one operation, owned by it: offered to the
// observer and put on the line while the operation lives, and gone with it.
// Asked before each transaction; a transaction meeting silence makes no
// further attempt once it is requested. Kept once seen, so that a failure
// after it still reads as the operator's stop, not a dead link.
class OperationCancel
{
public:
    OperationCancel(SerialLine &line, RackObserver &observer);
    ~OperationCancel();
    OperationCancel(const OperationCancel &) = delete;
    OperationCancel &operator=(const OperationCancel &) = delete;

    bool operator()() { return m_seen = m_seen || m_token.requested(); }
    bool seen() const { return m_seen; }

private:
    SerialLine &m_line;
    RackObserver &m_observer;
    CancelToken m_token;
    bool m_seen = false;
};

// "Slot 5 of 16: XA1-00"; the model is left out while it is not known.
QString SlotProgressText(int cardNo, const QString &model);
// "no answer, try 2 of 4"
QString RetryText(int attempt, int attempts);
// Where an operation failed, for the line under its message:
// "Slot 5: XA1-00, item 12: no answer"; slot 0 is the communication card.
QString FailurePlace(const CardTable &cards, int slot, const QString &item, bool silent);

// How a rack operation ended.
enum class OperationResult
{
    Completed,
    Failed,    // reported through operationFailed
    Refused,   // another exchange held the line; nothing was reported
    Cancelled, // stopRequested() ended it between slots; the link stays
};

// Passes the line's retries to an observer while it lives: one operation.
class RetryRelay
{
public:
    RetryRelay(SerialLine &line, RackObserver &observer);
    ~RetryRelay();
    RetryRelay(const RetryRelay &) = delete;
    RetryRelay &operator=(const RetryRelay &) = delete;

private:
    QMetaObject::Connection m_connection;
};
