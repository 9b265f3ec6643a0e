#pragma once

#include <QObject>
#include <QString>

// Every live value the program shows (monitoring, the read when a card is
// shown), for whoever wants to follow them over time.
class LiveFeed final : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // Channel 1 or 2 of card 1..16 as the rack sent it, the decimal point
    // kept ("12.34", "ERROR", "CNG"); the windows show it without the point.
    void value(int cardNo, int channel, const QString &text);
    // Monitoring, or a card's single live read, has ended: the values that
    // follow are not joined to those before.
    void interrupted();
};
