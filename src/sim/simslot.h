#pragma once

#include <QByteArray>
#include <QString>

// One addressable card behind the communication card: slot 0 (the
// communication card itself) or an I/O card. Replies carry no CR; the rack
// adds it.
class SimSlot
{
public:
    virtual ~SimSlot() = default;

    virtual bool hasItem(int item) const = 0;
    // The reply to an item select: status character, prefix, colon, value.
    virtual QByteArray read(int item, qint64 nowMs) const = 0;
    // The reply to a data write to the item; "CNG" when the value is refused.
    virtual QByteArray write(int item, const QString &data) = 0;
    // Sets what a read shows, without the checks of a data write. False when
    // the item does not exist or cannot be set (live values, model code).
    virtual bool setValue(int item, const QString &text) = 0;
};
