#pragma once

#include <QString>

class SerialLine;

// Reads and writes of one card item: card select "G", item select "I",
// data write "D". "" means no usable answer; a read may also give "CNG"
// (refused) or "NEEDLESS" (the card does not use the item). A transaction
// started inside another one's wait is refused at once: it returns "" and
// line.lastRefused() tells it apart from a silent rack.
QString ReadItemOnce(SerialLine &line, const QString &card, const QString &item);
QString ReadItem(SerialLine &line, int retries, const QString &card, const QString &item);
QString WriteItemOnce(SerialLine &line, const QString &card, const QString &item,
                      const QString &data);
QString WriteItem(SerialLine &line, int retries, const QString &card, const QString &item,
                  const QString &data);

// Every caller in the program retries three times (four attempts).
inline constexpr int kRetries = 3;

// Whether the communication card still answers (item "40" of card "00",
// with retries, as connecting asks). After a transaction that met silence
// it tells one silent card from a rack that is gone.
bool CommCardAnswers(SerialLine &line);
