#pragma once

#include <QString>
#include <functional>

struct CardLiveRead;
struct Session;

// What the overview pass of monitoring shows. Analog values also go to the
// session's live feed.
class MonitorObserver
{
public:
    virtual ~MonitorObserver() = default;
    // Channel 1 or 2 of an analog card: the value as shown, or "ERROR".
    virtual void analogValue(int cardNo, int channel, const QString &text) = 0;
    // A discrete card's states: 16 characters "0"/"1", most significant
    // first (channel 1 is the last). Empty when the reply gave no states;
    // `answered` is false when there was no reply at all.
    virtual void discreteBits(int cardNo, int channels, const QString &bits, bool answered) = 0;
};

// How a monitoring cycle ended.
enum class MonitorEnd
{
    Stopped,  // IsMonitoring was cleared, or the card has nothing to read
    LinkLost, // the port closed, or a read met silence and so did the communication card
    Quitting, // the program is ending
};

// Pauses between passes and after each single-card reading, so monitoring
// never spins even when there is nothing to read.
inline constexpr int kMonitorPauseMs = 50;

// Ends the monitoring in progress: IsMonitoring is cleared, and a read
// that meets silence makes no further attempt, so the cycle returns once
// the exchange on the line has.
void StopMonitoring(Session &session);

// Reads every card's values pass after pass while IsMonitoring holds.
MonitorEnd MonitorAllCards(Session &session, MonitorObserver &observer);
// Reads the selected card live (ReadCardLive) over and over while
// IsMonitoring holds and the card stays one a window serves; `show` gets
// each read.
MonitorEnd MonitorSelectedCard(Session &session, int cardNo,
                               const std::function<void(const CardLiveRead &)> &show);
// The 16 bits of an item-26 reply ("0005" -> ...0101), or empty when the
// reply carries no states (a refusal, fewer than four hex digits).
QString DiscreteBits(const QString &reply);
