#pragma once

#include "sim/replyshaper.h"
#include "sim/simfaults.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <array>
#include <functional>
#include <memory>

class SimCard;
class SimCommCard;
class SimSlot;
class TrafficLog;

// A V9 rack as the program sees it through the communication card: card
// select "G", item select "I", data write "D", one CR-terminated command at
// a time, with faults to switch on for the whole rack or for one card.
class SimulatedRack final : public QObject
{
    Q_OBJECT
public:
    explicit SimulatedRack(QObject *parent = nullptr);
    ~SimulatedRack() override;

    // Contents. Slot 0 is the communication card, 1..16 the I/O slots.
    void setCommCard(const QString &model, const QString &version);
    bool insertCard(int slot, const QString &model, const QString &version);
    void removeCard(int slot);
    bool isOccupied(int slot) const;
    SimCommCard &commCard() { return *m_comm; }
    SimCard *card(int slot) const;

    // One command line, CR optional; the reply with its CR, no faults applied.
    QByteArray handle(const QByteArray &commandLine);
    // The same with this rack's faults: what goes on the line and when.
    QList<TimedBytes> respond(const QByteArray &commandLine);

    void setFaults(const SimFaults &faults);
    // Faults of one card take the place of the rack's for the select that
    // addresses the card and for the commands while it is selected.
    void setCardFaults(int slot, const SimFaults &faults);
    void clearFaults();
    void setTimeoutRefused(bool refused);

    // The value text a read of the item shows ("" for no such item); and a
    // way to put one there without the checks of a data write.
    QString itemValue(int slot, int item) const;
    bool setItemValue(int slot, int item, const QString &text);

    int commandCount() const { return m_commands; }
    qint64 charsReceived() const { return m_charsIn; }
    qint64 charsSent() const { return m_charsOut; }
    // Reply delay, lateness and chunk pauses added on top of character time.
    qint64 addedDelayMs() const { return m_addedDelayMs; }
    void resetCounters();

    void setTrafficLog(TrafficLog *log) { m_log = log; }
    // Live values follow this clock (ms); tests freeze or step it.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    qint64 nowMs() const { return m_clock(); }

private:
    struct FaultScope
    {
        SimFaults faults;
        int answered = 0;
        bool set = false;
    };
    SimSlot *slot(int n) const;
    int scopeOf(const QByteArray &line) const;
    void updateInstalled();

    std::unique_ptr<SimCommCard> m_comm;
    std::array<std::unique_ptr<SimCard>, 17> m_cards; // index 0 unused
    int m_selected = -1;                              // -1 after a refused select
    int m_item = -1;
    bool m_itemSelected = false;
    bool m_timeoutRefused = false;

    FaultScope m_rackFaults;
    std::array<FaultScope, 17> m_cardFaults;
    QRandomGenerator m_random{0x5639};

    int m_commands = 0;
    qint64 m_charsIn = 0;
    qint64 m_charsOut = 0;
    qint64 m_addedDelayMs = 0;
    TrafficLog *m_log = nullptr;
    QElapsedTimer m_uptime;
    std::function<qint64()> m_clock;
};
