#pragma once

#include "link/transactions.h"

#include "files/changelog.h"

#include <QString>
#include <optional>

class SerialLine;
struct Session;

// What the write the line just finished came to; `reply` is what WriteItem
// returned.
ChangeResult WriteResult(const SerialLine &line, const Reply &reply);

// The value the program last knew parameter slot `parSlot` (or, for 0, the
// limit function's "1"/"0") of card `cardNo` to hold; nullopt when it never
// read that card.
std::optional<QString> LastKnownValue(const Session &session, int cardNo, int parSlot);

// Records a write to card `cardNo` (0: the communication card) in the
// session's change log, when it has one, and remembers a written value as
// the rack's. `parSlot` names the parameter slot for I/O cards, 0 for the
// limit function; `parameter` overrides the caption.
void RecordCardWrite(Session &session, int cardNo, int parSlot, const QString &item,
                     const QString &value, ChangeResult result);
// Records that card `cardNo` got none of the table's values, and why.
void RecordSlotNotWritten(Session &session, int cardNo, const QString &why);
void RecordCommCardWrite(Session &session, const QString &parameter, const QString &item,
                         const QString &value, ChangeResult result);
