#pragma once

#include "sim/simfaults.h"

#include <QByteArray>
#include <QList>

class QRandomGenerator;

// Bytes due on the line this many ms after the command was received.
struct TimedBytes
{
    int atMs = 0;
    QByteArray bytes;
};

// Turns one clean reply into what the line carries under the given faults:
// nothing, noise, pieces with pauses, a late or paced delivery.
class ReplyShaper
{
public:
    ReplyShaper(const SimFaults &faults, QRandomGenerator &random);

    // commandChars counts the command as received (CR included); reply ends
    // in CR. isCardSelect: the reply answers a "G" command.
    QList<TimedBytes> shape(int commandChars, const QByteArray &reply, bool isCardSelect,
                            bool silenced);
    // The wait this reply got beyond the time its characters take.
    int addedDelayMs() const { return m_addedDelayMs; }

private:
    QByteArray noise();

    SimFaults m_faults;
    QRandomGenerator &m_random;
    int m_addedDelayMs = 0;
};
