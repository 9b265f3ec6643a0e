#pragma once

#include "link/result.h"

#include <QString>

class SerialLine;

// A card item's reply: the text after the reply's status character, or what
// happened instead (Busy, Silent, Unusable, Refused, NotUsed).
using Reply = Result<QString>;

// Reads and writes of one card item: card select "G", item select "I",
// data write "D". A transaction started inside another one's wait is
// refused at once (Busy): nothing is sent, and the rack is not to blame.
//
// Attempts: a read is tried again after silence or an unusable reply; a
// write after any failure but Busy, a refusal too.
Reply ReadItem(SerialLine &line, int retries, const QString &card, const QString &item);
Reply WriteItem(SerialLine &line, int retries, const QString &card, const QString &item,
                const QString &data);

// Every caller in the program retries three times (four attempts).
inline constexpr int kRetries = 3;

// The card gave an answer: a value, or a refusal that says why not.
inline bool Answered(const Reply &r)
{
    return r.ok() || r.is(Failure::Refused) || r.is(Failure::NotUsed);
}

// The reply as a card record keeps it: the value, "CNG" for a refusal,
// "NEEDLESS" for an item the card does not use, "" for no answer.
QString ReplyText(const Reply &r);

// Whether the communication card still answers (item "40" of card "00",
// with retries, as connecting asks): the read's reply. After a transaction
// that met silence it tells one silent card from a rack that is gone.
Reply AskCommCard(SerialLine &line);
