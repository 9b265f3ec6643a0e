#pragma once

#include <QString>

// What a rack operation tells whoever shows it: the main window, a test,
// the command-line tool. Every call has a do-nothing default.
class RackObserver
{
public:
    virtual ~RackObserver() = default;

    virtual void progressStarted(int /*steps*/, const QString & /*caption*/) {}
    virtual void progressAdvanced() {}
    virtual void progressFinished() {}

    // The communication card's model (text before the colon) and version.
    virtual void commCardModel(const QString & /*model*/) {}
    virtual void commCardVersion(const QString & /*version*/) {}

    // Slot i is about to be read and holds nothing yet.
    virtual void cardRowCleared(int /*cardNo*/) {}
    // Slot i's model is known and classified (kind 99: no card there).
    virtual void cardIdentified(int /*cardNo*/) {}
    // Slot i's record is complete.
    virtual void cardRead(int /*cardNo*/) {}

    // The operation could not go on and the link is to be given up.
    virtual void operationFailed(const QString & /*title*/, const QString & /*text*/) {}
    // The operation ended, but the operator must hear about what went wrong.
    virtual void operationWarning(const QString & /*title*/, const QString & /*text*/) {}

    // Asked before each slot: true ends the operation there, with the slot
    // in progress finished, as Cancelled. Nothing is reported for it.
    virtual bool stopRequested() const { return false; }
};

// How a rack operation ended.
enum class OperationResult
{
    Completed,
    Failed,    // reported through operationFailed
    Refused,   // another exchange held the line; nothing was reported
    Cancelled, // stopRequested() ended it between slots; the link stays
};
